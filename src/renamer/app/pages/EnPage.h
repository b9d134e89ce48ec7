// Page of mode 1 ("增强").
#pragma once

#include "ModePage.h"
#include "ReplaceDeleteGroup.h"
#include "renamer/modes/EnhancedNaming.h"

class QCheckBox;
class QLineEdit;

namespace kq {

class CEnPage : public CModePage {
    Q_OBJECT
public:
    explicit CEnPage(QWidget* parent = nullptr);

    void FillNewNames(CFileNameList& list, bool keepExtension) override;
    std::shared_ptr<const CNamePlan> PrepareNames(const CFileNameList& list, bool keepExtension) override;
    void NamesDone(const CFileNameList& list, const std::u16string& message) override;
    void StoreControls() override;
    void LoadControls() override;

    CEnFields& Fields() { return m_fields; }

    QLineEdit* m_pTemplate;
    QComboBox* m_pKind;
    QLabel* m_pEnumLabel;
    QComboBox* m_pEnumList;
    QLabel* m_pDigitsLabel;
    QComboBox* m_pDigits;
    QComboBox* m_pStart;
    QComboBox* m_pStep;
    QComboBox* m_pRepeat;
    CReplaceDeleteGroup m_replaceDelete;

private:
    void UpdateEnabled();
    void OnChanged();
    // Kind, digits or enumeration list changed: the start goes back to the
    // first member of the new sequence.
    void OnSequenceChanged();
    void FillStartItems(const std::vector<std::u16string>& items);

    CEnFields m_fields;
    bool m_bLoading = false;
};

}  // namespace kq
