// "超级排序": the rule chooser, where rules are picked, created, renamed,
// deleted, edited, exported and imported. The rule store is read when it
// opens and written whenever it closes.
#pragma once

#include <functional>
#include <string>

#include <QDialog>

#include "renamer/supersort/RouteFile.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace kq {

class CFileNameList;

class CSuperSortDlg : public QDialog {
    Q_OBJECT
public:
    // storePath empty: the rule store in the configuration folder.
    explicit CSuperSortDlg(QWidget* parent = nullptr, const std::u16string& storePath = {});

    CSortRouteList m_list;
    int m_nChosen = -1;  // after 确定
    std::u16string m_strDescription;

    // File dialogs, replaceable for tests: the path chosen (empty on cancel).
    std::function<QString(QWidget* parent, const QString& filter)> m_fnSaveFile;
    std::function<QString(QWidget* parent, const QString& filter)> m_fnOpenFile;

    QComboBox* m_pRoutes;
    QLabel* m_pDescription;
    QPushButton* m_pAdd;
    QPushButton* m_pEdit;
    QPushButton* m_pRename;
    QPushButton* m_pDelete;
    QPushButton* m_pExport;
    QPushButton* m_pImport;
    QPushButton* m_pFolder;
    QPushButton* m_pOK;
    QPushButton* m_pCancel;

    void OnAdd();
    void OnEdit();
    void OnRename();
    void OnDelete();
    void OnExport();
    void OnImport();
    void OnFolder();
    void OnOK();
    void reject() override;  // 取消 and closing: the store is written first

    const CRouteStore& Store() const { return m_store; }

private:
    void RefreshDescription();
    CRouteStore m_store;
};

// The two "超级排序" commands of the main window: chooser, evaluation,
// preview, and on 确定 the rows in their new order. True when the list changed.
bool RunSuperSortDialogs(QWidget* parent, CFileNameList& list, bool ascending);

}  // namespace kq
