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
    m_pList->setObjectName(QStringLiteral("PresetList"));
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pDescription = new QPlainTextEdit(group);
    m_pDescription->setObjectName(QStringLiteral("Description"));
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
    connect(m_pList, &QListWidget::itemSelectionChanged, this, &CMarcoInputDlg::OnSelectionChanged);
}

void CMarcoInputDlg::FillTables()
{
    m_aExpression.clear();
    m_aDescription.clear();
    for (const CExpressionPreset& preset : m_bFormulaMode ? FormulaPresets() : MacroPresets()) {
        m_aExpression.emplace_back(preset.m_strExpression);
        m_aDescription.emplace_back(preset.m_strDescription);
    }
}

int CMarcoInputDlg::exec()
{
    setWindowTitle(Q(m_strTitle));
    FillTables();
    m_pList->clear();
    for (const std::u16string& text : m_aExpression) m_pList->addItem(Q(text));
    // Nothing chosen, nothing described: no current row until the user picks one.
    m_pList->setCurrentRow(-1);
    m_pList->clearSelection();
    m_strDescription.clear();
    m_pDescription->clear();
    return QDialog::exec();
}

void CMarcoInputDlg::OnSelectionChanged()
{
    const QList<QListWidgetItem*> chosen = m_pList->selectedItems();
    const int row = chosen.isEmpty() ? -1 : m_pList->row(chosen.first());
    m_strDescription = (row >= 0 && row < static_cast<int>(m_aDescription.size())) ? m_aDescription[size_t(row)] : u"";
    m_pDescription->setPlainText(Q(m_strDescription));
}

void CMarcoInputDlg::OnOK()
{
    const QList<QListWidgetItem*> chosen = m_pList->selectedItems();
    const int row = chosen.isEmpty() ? -1 : m_pList->row(chosen.first());
    if (row < 0 || row >= static_cast<int>(m_aExpression.size())) return;
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
    m_pRule->setObjectName(QStringLiteral("RuleText"));
    m_pRule->setReadOnly(true);
    m_pRule->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Only CR LF ends a line of the rules text: a bare line feed inside a
    // line is no break, and the last line end opens no empty line. (Joining
    // "\n\r\n" first would swallow the empty lines of "\r\n\r\n\r\n".)
    QStringList lines = Q(m_strRule).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    for (QString& line : lines) line.remove(QLatin1Char('\n'));
    m_pRule->setPlainText(lines.join(QLatin1Char('\n')));
    layout->addWidget(m_pRule);
    resize(560, 400);
}

}  // namespace kq
