#include "SuperSortDlg.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "AppIcons.h"
#include "MdySortRouteDlg.h"
#include "RouteDlgs.h"
#include "platform/FileSystem.h"
#include "platform/Prompt.h"
#include "platform/Shell.h"
#include "renamer/app/pages/ModePage.h"
#include "renamer/list/FileNameList.h"
#include "renamer/supersort/RouteEditing.h"
#include "renamer/supersort/SortWorkList.h"

namespace kq {

namespace {

const QString kRuleFileFilter = QStringLiteral("配置文件（*.cfg） (*.cfg)");

QString PickFile(QWidget* parent, const QString& filter, bool save)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("cfg"));
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setNameFilter(filter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

}  // namespace

CSuperSortDlg::CSuperSortDlg(QWidget* parent, const std::u16string& storePath)
    : QDialog(parent), m_store(storePath.empty() ? RouteStorePath() : storePath)
{
    setObjectName(QStringLiteral("CSuperSortDlg"));
    setWindowTitle(QStringLiteral("超级排序"));
    setWindowIcon(ProgramIcon());
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("排序规则："), this);
    auto* grid = new QGridLayout(group);
    m_pRoutes = new QComboBox(group);
    m_pDescription = new QLabel(group);
    m_pDescription->setWordWrap(true);
    m_pDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pDescription->setTextFormat(Qt::PlainText);
    grid->addWidget(new QLabel(QStringLiteral("排序规则："), group), 0, 0);
    grid->addWidget(m_pRoutes, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("排序说明："), group), 1, 0, Qt::AlignTop);
    grid->addWidget(m_pDescription, 2, 0, 5, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(6, 1);
    m_pAdd = MakeButton(group, QStringLiteral("增加"));
    m_pEdit = MakeButton(group, QStringLiteral("编辑"));
    m_pRename = MakeButton(group, QStringLiteral("改名"));
    m_pDelete = MakeButton(group, QStringLiteral("删除"));
    m_pExport = MakeButton(group, QStringLiteral("导出"));
    m_pImport = MakeButton(group, QStringLiteral("导入"));
    int row = 0;
    for (QPushButton* button : {m_pAdd, m_pEdit, m_pRename, m_pDelete, m_pExport, m_pImport})
        grid->addWidget(button, row++, 2);
    layout->addWidget(group, 1);
    auto* bottom = new QHBoxLayout;
    m_pFolder = MakeButton(this, QStringLiteral("目录"));
    m_pOK = new QPushButton(QStringLiteral("确定"), this);
    m_pOK->setDefault(true);
    m_pCancel = MakeButton(this, QStringLiteral("取消"));
    bottom->addWidget(m_pFolder);
    bottom->addStretch(1);
    bottom->addWidget(m_pOK);
    bottom->addWidget(m_pCancel);
    layout->addLayout(bottom);

    connect(m_pRoutes, &QComboBox::currentIndexChanged, this, &CSuperSortDlg::RefreshDescription);
    connect(m_pAdd, &QPushButton::clicked, this, &CSuperSortDlg::OnAdd);
    connect(m_pEdit, &QPushButton::clicked, this, &CSuperSortDlg::OnEdit);
    connect(m_pRename, &QPushButton::clicked, this, &CSuperSortDlg::OnRename);
    connect(m_pDelete, &QPushButton::clicked, this, &CSuperSortDlg::OnDelete);
    connect(m_pExport, &QPushButton::clicked, this, &CSuperSortDlg::OnExport);
    connect(m_pImport, &QPushButton::clicked, this, &CSuperSortDlg::OnImport);
    connect(m_pFolder, &QPushButton::clicked, this, &CSuperSortDlg::OnFolder);
    connect(m_pOK, &QPushButton::clicked, this, &CSuperSortDlg::OnOK);
    connect(m_pCancel, &QPushButton::clicked, this, &CSuperSortDlg::reject);
    resize(DialogUnits(this, 269, 180));

    m_store.Load(m_list);
    for (int r = 0; r < m_list.GetCount(); ++r) m_pRoutes->addItem(Q(m_list[r].m_strName));
    if (m_list.GetCount() > 0) m_pRoutes->setCurrentIndex(0);
    RefreshDescription();
}

void CSuperSortDlg::RefreshDescription()
{
    const int index = m_pRoutes->currentIndex();
    // With no rule left the description is empty.
    m_strDescription = index >= 0 && index < m_list.GetCount() ? RouteDescriptionText(m_list[index]) : u"";
    m_pDescription->setText(Q(m_strDescription));
}

void CSuperSortDlg::OnAdd()
{
    CNewSortRouteDlg dialog(m_list, -1, u"", u"", this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_list.AddRoute(dialog.m_strName, dialog.m_strDescription);
    m_pRoutes->addItem(Q(dialog.m_strName));
    if (m_pRoutes->count() == 1) RefreshDescription();
}

void CSuperSortDlg::OnEdit()
{
    const int index = m_pRoutes->currentIndex();
    if (index < 0) return;
    CMdySortRouteDlg dialog(m_list[index], this);
    dialog.exec();
}

void CSuperSortDlg::OnRename()
{
    const int index = m_pRoutes->currentIndex();
    if (index < 0) return;
    CNewSortRouteDlg dialog(m_list, index, m_list[index].m_strName, m_list[index].m_strDescription, this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_list[index].m_strName = dialog.m_strName;
    m_list[index].m_strDescription = dialog.m_strDescription;
    m_pRoutes->setItemText(index, Q(dialog.m_strName));
    m_pRoutes->setCurrentIndex(index);
    RefreshDescription();
}

void CSuperSortDlg::OnDelete()
{
    const int index = m_pRoutes->currentIndex();
    if (index < 0) return;
    const std::u16string text = u"删除的规则无法恢复，确实需要删除规则“" + m_list[index].m_strName + u"”吗？";
    if (GetPromptProvider().AskYesNo(text, u"确认删除") != EPromptAnswer::Yes) return;
    m_list.RemoveRoute(index);
    {
        const QSignalBlocker block(m_pRoutes);
        m_pRoutes->removeItem(index);
        m_pRoutes->setCurrentIndex(index < m_pRoutes->count() ? index : m_pRoutes->count() - 1);
    }
    RefreshDescription();
}

void CSuperSortDlg::OnExport()
{
    CPortListDlg pick(m_list, this);
    if (pick.exec() != QDialog::Accepted) return;
    const QString path = m_fnSaveFile ? m_fnSaveFile(this, kRuleFileFilter) : PickFile(this, kRuleFileFilter, true);
    if (path.isEmpty()) return;
    SaveRouteFile(U(path), ExportRoutes(m_list, pick.m_aChecked));
}

void CSuperSortDlg::OnImport()
{
    const QString path = m_fnOpenFile ? m_fnOpenFile(this, kRuleFileFilter) : PickFile(this, kRuleFileFilter, false);
    if (path.isEmpty()) return;
    CSortRouteList incoming;
    LoadRouteFile(U(path), incoming);
    CPortListDlg pick(incoming, this);
    if (pick.exec() != QDialog::Accepted) return;
    const bool wasEmpty = m_pRoutes->count() == 0;
    for (const auto& name : ImportRoutes(m_list, incoming, pick.m_aChecked)) m_pRoutes->addItem(Q(name));
    if (wasEmpty) RefreshDescription();
}

void CSuperSortDlg::OnFolder()
{
    const std::u16string folder = GetConfigFolder();
    if (!IsFolder(folder)) {
        const std::u16string text = u"远舟文件改名系统版本过低或安装不正确，找不到配置保存目录，是否需要现在创建？\n\n" + folder;
        if (GetPromptProvider().AskYesNo(text, u"确认创建") != EPromptAnswer::Yes) return;
        if (!CreateFolder(folder)) return;
    }
    ShellOpen(folder);
}

void CSuperSortDlg::OnOK()
{
    m_store.Save(m_list);
    const int index = m_pRoutes->currentIndex();
    if (index < 0) return;  // no rule chosen: the dialog stays open
    m_nChosen = index;
    accept();
}

void CSuperSortDlg::reject()
{
    m_store.Save(m_list);
    QDialog::reject();
}

bool RunSuperSortDialogs(QWidget* parent, CFileNameList& list, bool ascending)
{
    CSuperSortDlg chooser(parent);
    CSuperSortSteps steps;
    steps.m_fnChoose = [&]() -> const CSortRouteItem* {
        if (chooser.exec() != QDialog::Accepted || chooser.m_nChosen < 0) return nullptr;
        return &chooser.m_list[chooser.m_nChosen];
    };
    steps.m_fnPreview = [parent](const CSortWorkList& work) {
        CPrepSortDlg preview(work, parent);
        return preview.exec() == QDialog::Accepted;
    };
    return RunSuperSort(list, ascending, steps, parent) == kSuperSortOk;
}

}  // namespace kq
