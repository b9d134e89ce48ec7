// Page of mode 0 ("简洁").
#pragma once

#include "ModePage.h"
#include "ReplaceDeleteGroup.h"
#include "renamer/modes/SimpleNaming.h"

class QCheckBox;
class QLineEdit;

namespace kq {

class CEaPage : public CModePage {
    Q_OBJECT
public:
    explicit CEaPage(QWidget* parent = nullptr);

    void FillNewNames(CFileNameList& list, bool keepExtension) override;
    std::shared_ptr<const CNamePlan> PrepareNames(const CFileNameList& list, bool keepExtension) override;
    void NamesDone(const CFileNameList& list, const std::u16string& message) override;
    void StoreControls() override;
    void LoadControls() override;

    CEaFields& Fields() { return m_fields; }

    QLineEdit* m_pTemplate;
    QCheckBox* m_pIndexEnabled;
    QComboBox* m_pStart;
    QComboBox* m_pStep;
    QComboBox* m_pRepeat;
    QComboBox* m_pDigits;
    QComboBox* m_pPosition;
    CReplaceDeleteGroup m_replaceDelete;

private:
    void UpdateEnabled();
    void OnChanged();

    CEaFields m_fields;
    QList<QWidget*> m_aIndexControls;
    bool m_bLoading = false;
};

}  // namespace kq
