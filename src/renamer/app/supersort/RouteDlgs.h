// The small dialogs around a super-sort run: the rule name dialog, the rule
// selection for export and import, and the sorted preview.
#pragma once

#include <string>
#include <vector>

#include <QAbstractTableModel>
#include <QDialog>
#include <QFontMetrics>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QTableView;

namespace kq {

class CSortRouteList;
class CSortWorkList;

// Pixels of a dialog-unit size for the widget's font (4 units per average
// character width, 8 per character height).
QSize DialogUnits(const QWidget* widget, int width, int height);
// The average width of a-z and A-Z, which dialog units count in. A CJK
// font reports a full-width averageCharWidth, twice as wide.
int DialogBaseWidth(const QFontMetrics& metrics);

// "新建规则": name and description of a new or renamed rule.
class CNewSortRouteDlg : public QDialog {
    Q_OBJECT
public:
    // index: the rule being renamed, -1 for a new one.
    CNewSortRouteDlg(const CSortRouteList& list, int index, const std::u16string& name,
                     const std::u16string& description, QWidget* parent = nullptr);

    // After 确定: the name without surrounding white space, the description.
    std::u16string m_strName;
    std::u16string m_strDescription;

    QLineEdit* m_pName;
    QPlainTextEdit* m_pDescription;

    void OnOK();

private:
    const CSortRouteList& m_list;
    int m_nIndex;
};

// "规则列表": one check box per rule; 确定 needs at least one.
class CPortListDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPortListDlg(const CSortRouteList& list, QWidget* parent = nullptr);

    std::vector<int> m_aChecked;  // after 确定, ascending
    QListWidget* m_pList;

    void OnOK();
};

// The preview rows over the work list, read in place (100,000 rows stay cheap).
class CPrepSortModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CPrepSortModel(const CSortWorkList& work, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const CSortWorkList& m_work;
};

// "排序预览".
class CPrepSortDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPrepSortDlg(const CSortWorkList& work, QWidget* parent = nullptr);
    QTableView* m_pTable;
};

}  // namespace kq
