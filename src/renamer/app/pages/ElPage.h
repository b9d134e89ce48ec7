// Page of mode 2 ("列表").
#pragma once

#include "ModePage.h"
#include "renamer/modes/ListNaming.h"

class QListWidget;
class QPushButton;

namespace kq {

class CElPage : public CModePage {
    Q_OBJECT
public:
    explicit CElPage(QWidget* parent = nullptr);

    void FillNewNames(CFileNameList& list, bool keepExtension) override;
    std::shared_ptr<const CNamePlan> PrepareNames(const CFileNameList& list, bool keepExtension) override;
    void StoreControls() override;
    void LoadControls() override;

    CElFields& Fields() { return m_fields; }

    QListWidget* m_pNames;
    QPushButton* m_pAdd;
    QPushButton* m_pDelete;
    QPushButton* m_pUp;
    QPushButton* m_pDown;
    QComboBox* m_pRepeat;
    QComboBox* m_pCycle;

private:
    void OnPaste();
    // Runs one of the name operations on the list box selection.
    void OnNameOperation(bool (CElFields::*operation)(int&));
    void OnChanged();

    CElFields m_fields;
    bool m_bLoading = false;
};

}  // namespace kq
