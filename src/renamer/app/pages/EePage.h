// Page of mode 3 ("高级") and page of mode 4 ("公式"): one multi-line text,
// a picker of ready-made texts and a help button each.
#pragma once

#include "ModePage.h"
#include "renamer/modes/AdvancedNaming.h"
#include "renamer/modes/FormulaNaming.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kq {

class CEePage : public CModePage {
    Q_OBJECT
public:
    explicit CEePage(QWidget* parent = nullptr);

    void FillNewNames(CFileNameList& list, bool keepExtension) override;
    std::shared_ptr<const CNamePlan> PrepareNames(const CFileNameList& list, bool keepExtension) override;
    void NamesDone(const CFileNameList& list, const std::u16string& message) override;
    void StoreControls() override;
    void LoadControls() override;

    CEeFields& Fields() { return m_fields; }
    // "常用控制表达式": the choice replaces the template.
    void OnPicker();
    // "表达式控制规则".
    void OnRules();

    QPlainTextEdit* m_pMacro;
    QPushButton* m_pPicker;
    QPushButton* m_pRules;
    QLabel* m_pError;  // the first failing row's error

private:
    CEeFields m_fields;
    bool m_bLoading = false;
};

class CEfPage : public CModePage {
    Q_OBJECT
public:
    explicit CEfPage(QWidget* parent = nullptr);

    void FillNewNames(CFileNameList& list, bool keepExtension) override;
    std::shared_ptr<const CNamePlan> PrepareNames(const CFileNameList& list, bool keepExtension) override;
    void NamesDone(const CFileNameList& list, const std::u16string& message) override;
    void StoreControls() override;
    void LoadControls() override;

    CEfFields& Fields() { return m_fields; }
    // "常用公式": the choice replaces the whole formula.
    void OnPicker();
    // "公式帮助": calhelp in the installation folder.
    void OnHelp();

    QPlainTextEdit* m_pFormula;
    QPushButton* m_pPicker;
    QPushButton* m_pHelp;
    QLabel* m_pError;

private:
    CEfFields m_fields;
    bool m_bLoading = false;
};

}  // namespace kq
