// The pickers of ready-made control expressions / formulas and the rules
// dialog of the control-expression language.
#pragma once

#include <string>
#include <vector>

#include <QDialog>

class QGroupBox;
class QListWidget;
class QPlainTextEdit;

namespace kq {

class CMarcoInputDlg : public QDialog {
    Q_OBJECT
public:
    explicit CMarcoInputDlg(QWidget* parent = nullptr);

    // Set before exec(); m_strSelect is the choice after an accepted run.
    int m_bFormulaMode = 0;
    std::u16string m_strTitle = u"常用控制表达式";
    std::u16string m_strSelect;
    std::vector<std::u16string> m_aExpression;
    std::vector<std::u16string> m_aDescription;
    std::u16string m_strDescription;

    int exec() override;
    // OK button and double click: without a selection the dialog stays open.
    void OnOK();

private:
    void OnSelectionChanged();
    void FillTables();

    QListWidget* m_pList;            // "PresetList"
    QPlainTextEdit* m_pDescription;  // "Description"
};

class CMarcoRuleDlg : public QDialog {
    Q_OBJECT
public:
    explicit CMarcoRuleDlg(QWidget* parent = nullptr);

    std::u16string m_strRule;

private:
    QPlainTextEdit* m_pRule;  // "RuleText"
};

}  // namespace kq
