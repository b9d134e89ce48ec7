#include "EePage.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "renamer/list/LaunchCommands.h"
#include "MarcoDlgs.h"
#include "renamer/list/FileNameList.h"
#include "renamer/modes/FormulaPresets.h"

namespace kq {

namespace {

// The text page layout shared by both pages: caption, edit, two buttons,
// the note.
QPlainTextEdit* BuildTextPage(QWidget* page, QPushButton*& first, const QString& firstText, QPushButton*& second,
                              const QString& secondText, const QString& note, QLabel*& error)
{
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("新文件名："), page));
    auto* edit = new QPlainTextEdit(page);
    edit->setTabChangesFocus(true);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(edit, 1);
    // The first failing row's error, shown only while a row fails.
    error = new QLabel(page);
    error->setObjectName(QStringLiteral("PageError"));
    error->setWordWrap(true);
    error->setStyleSheet(QStringLiteral("color: #c00000"));
    error->setVisible(false);
    layout->addWidget(error);
    first = MakeButton(page, firstText, layout);
    second = MakeButton(page, secondText, layout);
    layout->addSpacing(8);
    layout->addWidget(MakePageNote(page, note));
    return edit;
}

// "第3行：错误2：函数nosuch不存在" for the first row whose name failed.
void ShowFirstFailure(QLabel* error, const CFileNameList& list)
{
    QString text;
    for (int r = 0; r < list.GetItemCount(); ++r) {
        if (!list.IsNameFailed(r)) continue;
        text = QStringLiteral("第%1行：").arg(r + 1) + Q(list.NameFailure(r));
        break;
    }
    error->setText(text);
    error->setVisible(!text.isEmpty());
}

}  // namespace

CEePage::CEePage(QWidget* parent) : CModePage(parent)
{
    setObjectName(QStringLiteral("CEePage"));
    m_pMacro = BuildTextPage(this, m_pPicker, QStringLiteral("常用控制表达式"), m_pRules,
                             QStringLiteral("表达式控制规则"), Q(kEePageNote), m_pError);
    LoadControls();
    connect(m_pMacro, &QPlainTextEdit::textChanged, this, [this] {
        if (m_bLoading) return;
        StoreControls();
        emit RefreshNames();
    });
    connect(m_pPicker, &QPushButton::clicked, this, &CEePage::OnPicker);
    connect(m_pRules, &QPushButton::clicked, this, &CEePage::OnRules);
}

void CEePage::OnPicker()
{
    CMarcoInputDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_fields.m_strMacro = dialog.m_strSelect;
    LoadControls();
    emit RefreshNames();
}

void CEePage::OnRules()
{
    CMarcoRuleDlg dialog(this);
    dialog.exec();
}

void CEePage::StoreControls() { m_fields.m_strMacro = U(m_pMacro->toPlainText()); }

void CEePage::LoadControls()
{
    m_bLoading = true;
    m_pMacro->setPlainText(Q(m_fields.m_strMacro));
    m_bLoading = false;
}

void CEePage::FillNewNames(CFileNameList& list, bool keepExtension)
{
    StoreControls();
    m_fields.FillNewNames(list, keepExtension);
    ShowFirstFailure(m_pError, list);
}

std::shared_ptr<const CNamePlan> CEePage::PrepareNames(const CFileNameList& list, bool keepExtension)
{
    StoreControls();
    return m_fields.PrepareNames(list, keepExtension);
}

void CEePage::NamesDone(const CFileNameList& list, const std::u16string&) { ShowFirstFailure(m_pError, list); }

CEfPage::CEfPage(QWidget* parent) : CModePage(parent)
{
    setObjectName(QStringLiteral("CEfPage"));
    m_pFormula = BuildTextPage(this, m_pPicker, QStringLiteral("常用公式"), m_pHelp, QStringLiteral("公式帮助"),
                               Q(kEfPageNote), m_pError);
    LoadControls();
    connect(m_pFormula, &QPlainTextEdit::textChanged, this, [this] {
        if (m_bLoading) return;
        StoreControls();
        emit RefreshNames();
    });
    connect(m_pPicker, &QPushButton::clicked, this, &CEfPage::OnPicker);
    connect(m_pHelp, &QPushButton::clicked, this, &CEfPage::OnHelp);
}

void CEfPage::OnPicker()
{
    CMarcoInputDlg dialog(this);
    dialog.m_strTitle = kFormulaPickerTitle;
    dialog.m_bFormulaMode = 1;
    if (dialog.exec() != QDialog::Accepted) return;
    m_fields.m_strFormula = dialog.m_strSelect;
    LoadControls();
    emit RefreshNames();
}

void CEfPage::OnHelp() { RunShellCommand(FormulaHelpCommand()); }

void CEfPage::StoreControls() { m_fields.m_strFormula = U(m_pFormula->toPlainText()); }

void CEfPage::LoadControls()
{
    m_bLoading = true;
    m_pFormula->setPlainText(Q(m_fields.m_strFormula));
    m_bLoading = false;
}

void CEfPage::FillNewNames(CFileNameList& list, bool keepExtension)
{
    StoreControls();
    m_fields.FillNewNames(list, keepExtension);
    ShowFirstFailure(m_pError, list);
}

std::shared_ptr<const CNamePlan> CEfPage::PrepareNames(const CFileNameList& list, bool keepExtension)
{
    StoreControls();
    return m_fields.PrepareNames(list, keepExtension);
}

void CEfPage::NamesDone(const CFileNameList& list, const std::u16string&) { ShowFirstFailure(m_pError, list); }

}  // namespace kq
