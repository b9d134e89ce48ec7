#include "NewClauseDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "AppIcons.h"
#include "RouteDlgs.h"
#include "platform/Prompt.h"
#include "renamer/app/pages/ModePage.h"
#include "renamer/list/LaunchCommands.h"
#include "renamer/supersort/SortRoute.h"

namespace kq {

namespace {

QComboBox* TableCombo(QWidget* parent, int count, std::u16string (*text)(int))
{
    auto* combo = new QComboBox(parent);
    for (int k = 0; k < count; ++k) combo->addItem(Q(text(k)));
    return combo;
}

// A whole 32-bit number, nothing else but surrounding spaces.
bool ReadInteger(const QLineEdit* edit, int& value)
{
    bool ok = false;
    const int parsed = edit->text().trimmed().toInt(&ok, 10);
    if (ok) value = parsed;
    return ok;
}

}  // namespace

CNewClauseDlg::CNewClauseDlg(CSortRouteClause& clause, QWidget* parent) : QDialog(parent), m_clause(clause)
{
    setObjectName(QStringLiteral("CNewClauseDlg"));
    setWindowTitle(QStringLiteral("增加条款"));
    setWindowIcon(ProgramIcon());
    auto* layout = new QVBoxLayout(this);

    auto* top = new QGroupBox(QStringLiteral("条款说明："), this);
    auto* grid = new QGridLayout(top);
    m_pCombination = TableCombo(top, kCombinationCount, CombinationText);
    m_pLoopMode = TableCombo(top, kLoopModeCount, LoopModeText);
    m_pLoopStart = new QLineEdit(top);
    m_pLoopEnd = new QLineEdit(top);
    m_pLoopStep = new QLineEdit(top);
    m_pWeight = new QLineEdit(top);
    m_pStartLabel = new QLabel(QStringLiteral("循环起始："), top);
    m_pEndLabel = new QLabel(QStringLiteral("循环终止："), top);
    m_pStepLabel = new QLabel(QStringLiteral("循环步长："), top);
    grid->addWidget(new QLabel(QStringLiteral("条款模式："), top), 0, 0);
    grid->addWidget(m_pCombination, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("循环模式："), top), 0, 2);
    grid->addWidget(m_pLoopMode, 0, 3);
    grid->addWidget(m_pStartLabel, 1, 0);
    grid->addWidget(m_pLoopStart, 1, 1);
    grid->addWidget(m_pEndLabel, 1, 2);
    grid->addWidget(m_pLoopEnd, 1, 3);
    grid->addWidget(m_pStepLabel, 2, 0);
    grid->addWidget(m_pLoopStep, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("条款权值："), top), 2, 2);
    grid->addWidget(m_pWeight, 2, 3);
    layout->addWidget(top);

    const char* const groups[3] = {"A：", "B：", "C："};
    for (size_t j = 0; j < 3; ++j) {
        auto* box = new QGroupBox(QString::fromUtf8(groups[j]), this);
        auto* g = new QGridLayout(box);
        m_aMode[j] = TableCombo(box, kConditionModeCount, ConditionModeText);
        m_aText[j] = new QLineEdit(box);
        m_aHint[j] = new QLabel(box);
        m_aLabels[j] = {new QLabel(QStringLiteral("条件模式："), box), new QLabel(QStringLiteral("条件文本："), box)};
        g->addWidget(m_aLabels[j][0], 0, 0);
        g->addWidget(m_aMode[j], 0, 1);
        g->addWidget(m_aHint[j], 0, 2);
        g->addWidget(m_aLabels[j][1], 1, 0);
        g->addWidget(m_aText[j], 1, 1, 1, 2);
        g->setColumnStretch(2, 1);
        layout->addWidget(box);
    }

    auto* bottom = new QHBoxLayout;
    m_pHelp = MakeButton(this, QStringLiteral("表达式帮助"));
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setDefault(true);
    auto* cancel = MakeButton(this, QStringLiteral("取消"));
    bottom->addWidget(m_pHelp);
    bottom->addStretch(1);
    bottom->addWidget(ok);
    bottom->addWidget(cancel);
    layout->addLayout(bottom);

    // The fields from the clause; the lists are filled in index order, so
    // the selected index is the stored value.
    m_pCombination->setCurrentIndex(clause.m_nCombination);
    m_pLoopMode->setCurrentIndex(clause.m_nLoopMode);
    m_pLoopStart->setText(QString::number(clause.m_nLoopStart));
    m_pLoopEnd->setText(QString::number(clause.m_nLoopEnd));
    m_pLoopStep->setText(QString::number(clause.m_nLoopStep));
    m_pWeight->setText(Q(clause.m_strWeight));
    for (size_t j = 0; j < 3; ++j) {
        m_aMode[j]->setCurrentIndex(clause.m_aConditionMode[j]);
        m_aText[j]->setText(Q(clause.m_aConditionText[j]));
    }
    ApplyLoopRule();
    ApplyCombinationRule();

    connect(m_pLoopMode, &QComboBox::currentIndexChanged, this, &CNewClauseDlg::ApplyLoopRule);
    connect(m_pCombination, &QComboBox::currentIndexChanged, this, &CNewClauseDlg::ApplyCombinationRule);
    connect(m_pHelp, &QPushButton::clicked, this, [] { RunShellCommand(FormulaHelpCommand()); });
    connect(ok, &QPushButton::clicked, this, &CNewClauseDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(DialogUnits(this, 292, 273).width(), sizeHint().height());
}

void CNewClauseDlg::ApplyLoopRule()
{
    const int mode = m_pLoopMode->currentIndex();
    const bool looping = mode == kLoopRange || mode == kLoopAuto;
    EnableAll({m_pStartLabel, m_pLoopStart, m_pStepLabel, m_pLoopStep}, looping);
    EnableAll({m_pEndLabel, m_pLoopEnd}, mode == kLoopRange);
    const QString hint = looping ? QStringLiteral("可使用公式及变量i，使用公式时=开头") : QStringLiteral("可使用公式，使用公式时=开头");
    for (QLabel* label : m_aHint) label->setText(hint);
}

void CNewClauseDlg::ApplyCombinationRule()
{
    const int combination = m_pCombination->currentIndex();
    for (size_t j = 1; j < 3; ++j) {
        const bool on = combination >= (j == 1 ? 1 : 3);
        EnableAll({m_aLabels[j][0], m_aLabels[j][1], m_aMode[j], m_aText[j], m_aHint[j]}, on);
    }
}

void CNewClauseDlg::OnOK()
{
    int start = 0, end = 0, step = 0;
    if (!ReadInteger(m_pLoopStart, start) || !ReadInteger(m_pLoopEnd, end) || !ReadInteger(m_pLoopStep, step)) {
        GetPromptProvider().Inform(u"循环起始、循环终止和循环步长都必须是整数，请重新输入！", u"数值错误");
        return;
    }
    // Disabled fields are written too, with whatever they hold.
    m_clause.m_nCombination = m_pCombination->currentIndex();
    m_clause.m_nLoopMode = m_pLoopMode->currentIndex();
    m_clause.m_nLoopStart = start;
    m_clause.m_nLoopEnd = end;
    m_clause.m_nLoopStep = step;
    m_clause.m_strWeight = U(m_pWeight->text());
    for (size_t j = 0; j < 3; ++j) {
        m_clause.m_aConditionMode[j] = m_aMode[j]->currentIndex();
        m_clause.m_aConditionText[j] = U(m_aText[j]->text());
    }
    accept();
}

}  // namespace kq
