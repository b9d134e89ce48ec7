#include "MarcoDlgs.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "AppIcons.h"
#include "ModePage.h"
#include "renamer/modes/FormulaPresets.h"
#include "renamer/templates/MacroPresets.h"
#include "renamer/templates/MacroRules.h"

namespace kq {

CMarcoInputDlg::CMarcoInputDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CMarcoInputDlg"));
    setWindowIcon(ProgramIcon());
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("常用控制表达式："), this);
    auto* groupLayout = new QVBoxLayout(group);
    m_pList = new QListWidget(group);
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pDescription = new QPlainTextEdit(group);
    m_pDescription->setReadOnly(true);
    m_pDescription->setFixedHeight(fontMetrics().lineSpacing() * 3 + 12);
    groupLayout->addWidget(m_pList, 1);
    groupLayout->addWidget(m_pDescription);
    layout->addWidget(group, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    layout->addWidget(buttons);
    resize(qMax(440, fontMetrics().horizontalAdvance(QLatin1Char('x')) * 70), 400);

    // The OK button is handled here, not by accept(), so that no selection
    // keeps the dialog open.
    connect(buttons, &QDialogButtonBox::accepted, this, &CMarcoInputDlg::OnOK);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_pList, &QListWidget::itemDoubleClicked, this, &CMarcoInputDlg::OnOK);
    connect(m_pList, &QListWidget::currentRowChanged, this, &CMarcoInputDlg::OnSelectionChanged);
}

void CMarcoInputDlg::FillTables()
{
    m_aExpression.clear();
    m_aDescription.clear();
    if (m_bFormulaMode) {
        const CFormulaPreset* presets = FormulaPresets();
        for (int i = 0; i < kFormulaPresetCount; ++i) {
            m_aExpression.emplace_back(presets[i].m_pszFormula);
            m_aDescription.emplace_back(presets[i].m_pszDescription);
        }
    } else {
        for (const CMacroPreset& preset : MacroPresets()) {
            m_aExpression.emplace_back(preset.m_strExpression);
            m_aDescription.emplace_back(preset.m_strDescription);
        }
    }
}

int CMarcoInputDlg::exec()
{
    setWindowTitle(Q(m_strTitle));
    FillTables();
    m_pList->clear();
    for (const std::u16string& text : m_aExpression) m_pList->addItem(Q(text));
    m_strDescription.clear();
    m_pDescription->clear();
    return QDialog::exec();
}

void CMarcoInputDlg::OnSelectionChanged()
{
    const int row = m_pList->currentRow();
    m_strDescription = (row >= 0 && row < static_cast<int>(m_aDescription.size())) ? m_aDescription[size_t(row)] : u"";
    m_pDescription->setPlainText(Q(m_strDescription));
}

void CMarcoInputDlg::OnOK()
{
    const int row = m_pList->currentRow();
    if (row < 0 || row >= static_cast<int>(m_aExpression.size()) || m_pList->selectedItems().isEmpty()) return;
    m_strSelect = m_aExpression[size_t(row)];
    accept();
}

CMarcoRuleDlg::CMarcoRuleDlg(QWidget* parent) : QDialog(parent), m_strRule(MacroRulesText())
{
    setObjectName(QStringLiteral("CMarcoRuleDlg"));
    setWindowTitle(QStringLiteral("表达式控制规则"));
    setWindowIcon(ProgramIcon());
    auto* layout = new QVBoxLayout(this);
    m_pRule = new QPlainTextEdit(this);
    m_pRule->setReadOnly(true);
    m_pRule->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // A bare line feed inside the rules text is no line break in a
    // multi-line edit; only CR LF ends a line.
    QString text = Q(m_strRule);
    text.replace(QStringLiteral("\n\r\n"), QStringLiteral("\r\n"));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_pRule->setPlainText(text);
    layout->addWidget(m_pRule);
    resize(560, 400);
}

}  // namespace kq
