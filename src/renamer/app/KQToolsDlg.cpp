#include "KQToolsDlg.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "AppIcons.h"
#include "FileListModel.h"
#include "FileListView.h"
#include "platform/SystemInfo.h"
#include "renamer/app/pages/EaPage.h"
#include "renamer/app/pages/ElPage.h"
#include "renamer/app/pages/EePage.h"
#include "renamer/app/pages/EnPage.h"

namespace kq {

CKQToolsDlg::CKQToolsDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CKQToolsDlg"));
    setWindowTitle(QStringLiteral("远舟文件改名系统"));
    setWindowIcon(ProgramIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    KeepFreedMemory();
    m_pIdleRelease = new QTimer(this);
    m_pIdleRelease->setSingleShot(true);
    connect(m_pIdleRelease, &QTimer::timeout, this, [this] {
        if (!m_pCycle) ReleaseFreedMemory();
    });

    BuildControls();
    BuildMenus();
    BuildStatusBar();
    NameControls();
    // The size the layout asks for, measured before the saved one is set.
    adjustSize();
    m_defaultSize = size();
    RestoreSettings();
    LoadControls();
    ConnectCommands();

    StoreControls();
    ShowModePage();
    RefreshNewNames();
    UpdateCountPane();
    UpdateUndoAction();
}

CKQToolsDlg::~CKQToolsDlg()
{
    // Stop the workers before anything they read or post to goes away.
    m_pModel->SetPendingNames(nullptr);
    m_pCycle.reset();
    // The view must let go of the model before the list it reads goes away.
    m_pListView->setModel(nullptr);
}

QString CKQToolsDlg::VersionText() { return QStringLiteral(KQ_VERSION_TEXT); }


void CKQToolsDlg::BuildControls()
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(10, 10, 10, 6);
    root->addLayout(body, 1);

    // Top row: the mode group and the options group keep their size.
    auto* top = new QHBoxLayout;
    auto* modeBox = new QGroupBox(QStringLiteral("模式："), this);
    auto* modeLayout = new QHBoxLayout(modeBox);
    m_pModeGroup = new QButtonGroup(this);
    const char16_t* modeNames[5] = {u"简洁", u"增强", u"列表", u"高级", u"公式"};
    for (int i = 0; i < 5; ++i) {
        m_aModeButtons[size_t(i)] = new QRadioButton(QString::fromUtf16(modeNames[i]), modeBox);
        m_pModeGroup->addButton(m_aModeButtons[size_t(i)], i);
        modeLayout->addWidget(m_aModeButtons[size_t(i)]);
    }
    auto* optionBox = new QGroupBox(QStringLiteral("选项："), this);
    auto* optionLayout = new QHBoxLayout(optionBox);
    m_pKeepExtension = new QCheckBox(QStringLiteral("保持文件后缀不变"), optionBox);
    m_pFilterEnabled = new QCheckBox(QStringLiteral("启用文件过滤"), optionBox);
    m_pFilter = new QLineEdit(optionBox);
    m_pFilter->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("*.jpg;*.png")) + 16);
    optionLayout->addWidget(m_pKeepExtension);
    optionLayout->addWidget(m_pFilterEnabled);
    optionLayout->addWidget(m_pFilter);
    top->addWidget(modeBox);
    top->addWidget(optionBox);
    top->addStretch(1);
    body->addLayout(top);

    auto* middle = new QHBoxLayout;
    body->addLayout(middle, 1);

    // The page area ("控制："): one page shown at a time; it keeps its size
    // when the window grows.
    auto* left = new QVBoxLayout;
    auto* pageBox = new QGroupBox(QStringLiteral("控制："), this);
    auto* pageLayout = new QVBoxLayout(pageBox);
    m_pPageArea = new QStackedWidget(pageBox);
    m_aPages = {new CEaPage(m_pPageArea), new CEnPage(m_pPageArea), new CElPage(m_pPageArea), new CEePage(m_pPageArea),
                new CEfPage(m_pPageArea)};
    for (CModePage* page : m_aPages) m_pPageArea->addWidget(page);
    m_pPageArea->setFixedWidth(PageWidth(this));
    // One height for all pages: a stacked layout measures only the page on
    // show, and a page without wrapped text would otherwise shrink the area
    // and move it when the mode changes.
    int pageHeight = 0;
    for (CModePage* page : m_aPages)
        pageHeight = std::max(pageHeight, page->hasHeightForWidth() ? page->heightForWidth(PageWidth(this))
                                                                    : page->sizeHint().height());
    m_pPageArea->setFixedHeight(pageHeight);
    pageLayout->addWidget(m_pPageArea);
    pageBox->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    left->addWidget(pageBox);
    left->addStretch(1);
    middle->addLayout(left);

    // The command buttons above the list, and the list, which alone grows.
    auto* right = new QVBoxLayout;
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);  // the buttons stand apart, never edge to edge
    m_pAdd = MakeButton(this, QStringLiteral("添加"), buttons);
    m_pAddFolder = MakeButton(this, QStringLiteral("添加文件夹…"), buttons);
    m_pDelete = MakeButton(this, QStringLiteral("清除"), buttons);
    m_pUp = MakeButton(this, QStringLiteral("上移"), buttons);
    m_pDown = MakeButton(this, QStringLiteral("下移"), buttons);
    m_pSort = MakeButton(this, QStringLiteral("排序"), buttons);
    m_pMore = MakeButton(this, QStringLiteral("更多"), buttons);
    buttons->addSpacing(24);
    m_pExecute = MakeButton(this, QStringLiteral("执行改名"), buttons);
    buttons->addStretch(1);
    right->addLayout(buttons);

    m_pListView = new CFileListView(this);
    m_pModel = new CFileListModel(m_list, this);
    m_pModel->SetProblems(&m_problems);
    m_pModel->m_fnBeforeEdit = [this] { FinishNames(); };
    m_pListView->setModel(m_pModel);
    m_pListView->setMinimumSize(520, 360);
    right->addWidget(m_pListView, 1);
    middle->addLayout(right, 1);
}

void CKQToolsDlg::BuildMenus()
{
    m_pListMenu = new QMenu(QStringLiteral("列表"), this);
    m_pActSelectAll = m_pListMenu->addAction(QStringLiteral("全选文件(&L)"));
    m_pActInvert = m_pListMenu->addAction(QStringLiteral("反选文件(&M)"));
    m_pActClear = m_pListMenu->addAction(QStringLiteral("清空列表(&C)"));
    m_pActClearEdits = m_pListMenu->addAction(QStringLiteral("清除手工修改"));
    m_pListMenu->addSeparator();
    m_pActUndo = m_pListMenu->addAction(QStringLiteral("撤销上次改名(&Z)"));
    m_pActHistory = m_pListMenu->addAction(QStringLiteral("改名历史…"));
    m_pListMenu->addSeparator();
    m_pActExport = m_pListMenu->addAction(QStringLiteral("输出列表(&E)"));
    m_pListMenu->addSeparator();
    m_pActSavePreset = m_pListMenu->addAction(QStringLiteral("保存为预设…"));
    m_pPresetMenu = m_pListMenu->addMenu(QStringLiteral("预设"));
    m_pActImportPresets = m_pListMenu->addAction(QStringLiteral("导入预设…"));
    m_pActExportPresets = m_pListMenu->addAction(QStringLiteral("导出预设…"));
    m_pActRestoreDefaults = m_pListMenu->addAction(QStringLiteral("恢复默认设置"));
    m_pListMenu->addSeparator();
    m_pActHelp = m_pListMenu->addAction(QStringLiteral("帮助主题(&H)"));
    m_pListMenu->addSeparator();
    m_pActWeb = m_pListMenu->addAction(QStringLiteral("官方网站(&N)"));
    m_pActUpdate = m_pListMenu->addAction(QStringLiteral("在线升级(&U)"));
    m_pActAbout = m_pListMenu->addAction(QStringLiteral("关于……(&A)"));

    m_pSortMenu = new QMenu(QStringLiteral("排序"), this);
    m_pActNameUp = m_pSortMenu->addAction(QStringLiteral("文件名称 增序(&U)"));
    m_pActNameDown = m_pSortMenu->addAction(QStringLiteral("文件名称 降序(&D)"));
    m_pActNaturalUp = m_pSortMenu->addAction(QStringLiteral("自然顺序 增序(&T)"));
    m_pActNaturalDown = m_pSortMenu->addAction(QStringLiteral("自然顺序 降序(&W)"));
    m_pSortMenu->addSeparator();
    m_pActFolderUp = m_pSortMenu->addAction(QStringLiteral("文件目录 增序(&P)"));
    m_pActFolderDown = m_pSortMenu->addAction(QStringLiteral("文件目录 降序(&N)"));
    m_pSortMenu->addSeparator();
    m_pActSuperUp = m_pSortMenu->addAction(QStringLiteral("超级排序 增序(&S)"));
    m_pActSuperDown = m_pSortMenu->addAction(QStringLiteral("超级排序 降序(&R)"));
}

void CKQToolsDlg::BuildStatusBar()
{
    m_pStatusBar = new QStatusBar(this);
    m_pStatusBar->setSizeGripEnabled(true);
    // Each pane is as wide as its text from the string table.
    const QString initial[4] = {QStringLiteral("远舟工作室工具软件系列之通用软件"),
                                QStringLiteral(" 共计：0个   选择：0个        "), VersionText(),
                                QStringLiteral("远舟工作室")};
    for (size_t i = 0; i < m_aPanes.size(); ++i) {
        m_aPanes[i] = new QLabel(initial[i], m_pStatusBar);
        m_aPanes[i]->setObjectName(QStringLiteral("Pane%1").arg(i));
        m_aPanes[i]->setMinimumWidth(fontMetrics().horizontalAdvance(initial[i]) + 8);
        // Each pane sunk in its own frame, as the desktop's status bars show them.
        m_aPanes[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        m_aPanes[i]->setContentsMargins(2, 0, 2, 0);
    }
    m_pStatusBar->addWidget(m_aPanes[0], 1);
    // The preview's counts follow the count pane.
    const QString problems = QStringLiteral(" 将改名：0个   有问题：0个        ");
    m_pProblemPane = new QLabel(problems, m_pStatusBar);
    m_pProblemPane->setObjectName(QStringLiteral("ProblemPane"));
    m_pProblemPane->setMinimumWidth(fontMetrics().horizontalAdvance(problems) + 8);
    m_pProblemPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pProblemPane->setContentsMargins(2, 0, 2, 0);
    for (size_t i = 1; i < m_aPanes.size(); ++i) {
        m_pStatusBar->addPermanentWidget(m_aPanes[i]);
        if (i == 1) m_pStatusBar->addPermanentWidget(m_pProblemPane);
    }
    m_aPanes[0]->setText(QStringLiteral("可以从资源管理器拖动文件到列表"));
    layout()->addWidget(m_pStatusBar);
}

void CKQToolsDlg::NameControls()
{
    for (size_t i = 0; i < m_aModeButtons.size(); ++i)
        m_aModeButtons[i]->setObjectName(QStringLiteral("ModeButton%1").arg(i));
    const std::pair<QObject*, const char*> names[] = {
        {m_pKeepExtension, "KeepExtension"},
        {m_pFilterEnabled, "FilterEnabled"},
        {m_pFilter, "Filter"},
        {m_pPageArea, "PageArea"},
        {m_pAdd, "AddButton"},
        {m_pAddFolder, "AddFolderButton"},
        {m_pDelete, "DeleteButton"},
        {m_pUp, "UpButton"},
        {m_pDown, "DownButton"},
        {m_pSort, "SortButton"},
        {m_pMore, "MoreButton"},
        {m_pExecute, "ExecuteButton"},
        {m_pModel, "FileListModel"},
        {m_pListMenu, "ListMenu"},
        {m_pSortMenu, "SortMenu"},
        {m_pStatusBar, "StatusBar"},
        {m_pActSelectAll, "SelectAll"},
        {m_pActInvert, "InvertSelection"},
        {m_pActClear, "ClearList"},
        {m_pActExport, "ExportList"},
        {m_pActHelp, "HelpTopics"},
        {m_pActWeb, "WebPage"},
        {m_pActUpdate, "OnlineUpdate"},
        {m_pActAbout, "About"},
        {m_pActNameUp, "SortNameUp"},
        {m_pActNameDown, "SortNameDown"},
        {m_pActFolderUp, "SortFolderUp"},
        {m_pActFolderDown, "SortFolderDown"},
        {m_pActSuperUp, "SuperSortUp"},
        {m_pActSuperDown, "SuperSortDown"},
        {m_pActUndo, "UndoLastRename"},
        {m_pActHistory, "RenameHistory"},
        {m_pActClearEdits, "ClearEdits"},
        {m_pActNaturalUp, "SortNaturalUp"},
        {m_pActNaturalDown, "SortNaturalDown"},
        {m_pActSavePreset, "SavePreset"},
        {m_pPresetMenu, "PresetMenu"},
        {m_pActImportPresets, "ImportPresets"},
        {m_pActExportPresets, "ExportPresets"},
        {m_pActRestoreDefaults, "RestoreDefaults"},
    };
    for (const auto& [object, name] : names) object->setObjectName(QString::fromLatin1(name));
}

void CKQToolsDlg::ConnectCommands()
{
    connect(m_pModeGroup, &QButtonGroup::idClicked, this, [this] {
        // Names written by hand belong to the mode they were written in.
        FinishNames();
        if (m_pModeGroup->checkedId() != m_nMode) m_list.ClearEdits();
        StoreControls();
        ShowModePage();
        RefreshNewNames();
    });
    connect(m_pKeepExtension, &QCheckBox::clicked, this, &CKQToolsDlg::RefreshNewNames);
    connect(m_pFilterEnabled, &QCheckBox::clicked, this, [this] {
        StoreControls();
        m_pFilter->setEnabled(m_bFilterEnabled);
    });
    for (CModePage* page : m_aPages) connect(page, &CModePage::RefreshNames, this, &CKQToolsDlg::RefreshNewNames);

    connect(m_pAdd, &QPushButton::clicked, this, &CKQToolsDlg::OnAddFiles);
    connect(m_pAddFolder, &QPushButton::clicked, this, &CKQToolsDlg::OnAddFolder);
    connect(m_pDelete, &QPushButton::clicked, this, &CKQToolsDlg::OnDeleteSelected);
    connect(m_pUp, &QPushButton::clicked, this, &CKQToolsDlg::OnMoveUp);
    connect(m_pDown, &QPushButton::clicked, this, &CKQToolsDlg::OnMoveDown);
    connect(m_pExecute, &QPushButton::clicked, this, &CKQToolsDlg::OnExecuteRename);
    connect(m_pSort, &QPushButton::clicked, this,
            [this] { m_pSortMenu->exec(m_pSort->mapToGlobal(QPoint(0, m_pSort->height()))); });
    connect(m_pMore, &QPushButton::clicked, this,
            [this] { m_pListMenu->exec(m_pMore->mapToGlobal(QPoint(0, m_pMore->height()))); });

    connect(m_pActSelectAll, &QAction::triggered, this, &CKQToolsDlg::OnSelectAll);
    connect(m_pActInvert, &QAction::triggered, this, &CKQToolsDlg::OnInvertSelection);
    connect(m_pActClear, &QAction::triggered, this, &CKQToolsDlg::OnClearList);
    connect(m_pActUndo, &QAction::triggered, this, &CKQToolsDlg::OnUndoLastRename);
    connect(m_pActHistory, &QAction::triggered, this, &CKQToolsDlg::OnHistory);
    connect(m_pActClearEdits, &QAction::triggered, this, &CKQToolsDlg::OnClearEdits);
    connect(m_pListMenu, &QMenu::aboutToShow, this, &CKQToolsDlg::UpdateUndoAction);
    connect(m_pActExport, &QAction::triggered, this, &CKQToolsDlg::OnExport);
    connect(m_pActHelp, &QAction::triggered, this, &CKQToolsDlg::OnHelp);
    connect(m_pActWeb, &QAction::triggered, this, &CKQToolsDlg::OnWebPage);
    connect(m_pActUpdate, &QAction::triggered, this, &CKQToolsDlg::OnUpdate);
    connect(m_pActAbout, &QAction::triggered, this, &CKQToolsDlg::OnAbout);
    connect(m_pActNameUp, &QAction::triggered, this, [this] { OnSort(kSortName, true); });
    connect(m_pActNameDown, &QAction::triggered, this, [this] { OnSort(kSortName, false); });
    connect(m_pActNaturalUp, &QAction::triggered, this, [this] { OnSort(kSortNatural, true); });
    connect(m_pActNaturalDown, &QAction::triggered, this, [this] { OnSort(kSortNatural, false); });
    connect(m_pActFolderUp, &QAction::triggered, this, [this] { OnSort(kSortFolder, true); });
    connect(m_pActFolderDown, &QAction::triggered, this, [this] { OnSort(kSortFolder, false); });
    connect(m_pActSuperUp, &QAction::triggered, this, [this] { OnSuperSort(true); });
    connect(m_pActSuperDown, &QAction::triggered, this, [this] { OnSuperSort(false); });
    connect(m_pActSavePreset, &QAction::triggered, this, &CKQToolsDlg::OnSavePreset);
    connect(m_pActImportPresets, &QAction::triggered, this, &CKQToolsDlg::OnImportPresets);
    connect(m_pActExportPresets, &QAction::triggered, this, &CKQToolsDlg::OnExportPresets);
    connect(m_pActRestoreDefaults, &QAction::triggered, this, &CKQToolsDlg::OnRestoreDefaults);

    connect(m_pListView->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CKQToolsDlg::UpdateCountPane);
    connect(m_pModel, &QAbstractItemModel::modelReset, this, &CKQToolsDlg::UpdateCountPane);
    connect(m_pListView, &CFileListView::FilesDropped, this, &CKQToolsDlg::AddDroppedPaths);
    connect(m_pListView, &CFileListView::DeletePressed, this, &CKQToolsDlg::OnDeleteSelected);
}

void CKQToolsDlg::StoreControls()
{
    m_nMode = qMax(0, m_pModeGroup->checkedId());
    m_bKeepExtension = m_pKeepExtension->isChecked();
    m_bFilterEnabled = m_pFilterEnabled->isChecked();
    m_strFilter = m_pFilter->text();
}

void CKQToolsDlg::LoadControls()
{
    m_aModeButtons[size_t(m_nMode)]->setChecked(true);
    m_pKeepExtension->setChecked(m_bKeepExtension);
    m_pFilterEnabled->setChecked(m_bFilterEnabled);
    m_pFilter->setText(m_strFilter);
    m_pFilter->setEnabled(m_bFilterEnabled);
}

void CKQToolsDlg::ShowModePage() { m_pPageArea->setCurrentIndex(m_nMode); }

void CKQToolsDlg::RefreshNewNames()
{
    StoreControls();
    // The cycle that runs names rows for controls that have changed since.
    m_pModel->SetPendingNames(nullptr);
    m_pCycle.reset();
    m_pIdleRelease->stop();
    m_pCyclePage = CurrentPage();
    std::shared_ptr<const CNamePlan> plan = m_pCyclePage->PrepareNames(m_list, m_bKeepExtension);
    // The rows on screen are named first.
    const int first = std::max(0, m_pListView->rowAt(0));
    int last = m_pListView->rowAt(m_pListView->viewport()->height() - 1);
    last = last < 0 ? std::min(m_list.GetItemCount(), first + 100) : last + 1;
    const uint64_t generation = ++m_nCycleGeneration;
    m_pCycle = std::make_unique<CNameCycle>(std::move(plan), first, last, [this, generation](CNameCycle::EEvent e) {
        QMetaObject::invokeMethod(this, [this, generation, e] { OnCycleEvent(generation, e); }, Qt::QueuedConnection);
    });
    m_pModel->SetPendingNames(m_pCycle.get());
    if (m_list.GetItemCount() <= m_nSyncRows) FinishNames();
}

void CKQToolsDlg::OnCycleEvent(uint64_t generation, int event)
{
    if (generation != m_nCycleGeneration || !m_pCycle) return;
    if (event == CNameCycle::kVisibleReady)
        m_pModel->VisibleNamesReady();
    else
        FinishNames();
}

void CKQToolsDlg::FinishNames()
{
    if (!m_pCycle) return;
    std::unique_ptr<CNameCycle> cycle = std::move(m_pCycle);
    m_pModel->SetPendingNames(nullptr);
    const std::u16string message = cycle->WriteTo(m_list);
    cycle.reset();
    m_problems.Update(m_list);
    if (m_bReleaseAfterNames) {
        m_bReleaseAfterNames = false;
        ReleaseFreedMemory();
    }
    m_pModel->ShowProblems(true);
    m_pModel->NewNamesChanged();
    UpdateProblemPane();
    if (m_pCyclePage) m_pCyclePage->NamesDone(m_list, message);
    if (m_list.GetItemCount() >= 100000) m_pIdleRelease->start(m_nIdleReleaseMs);
}

void CKQToolsDlg::UpdateProblemPane()
{
    m_pProblemPane->setText(
        QStringLiteral("将改名：%1个   有问题：%2个").arg(m_problems.ChangingCount()).arg(m_problems.BlockingCount()));
}

void CKQToolsDlg::UpdateCountPane()
{
    m_aPanes[1]->setText(QString::fromStdU16String(m_list.CountPaneText(m_pListView->SelectedCount())));
}

void CKQToolsDlg::ChangeRows(const std::function<void()>& change)
{
    FinishNames();
    const CRowSet selection = m_pListView->SelectedRows();
    const int before = m_list.GetItemCount();
    m_pModel->BeginReset();
    change();
    m_pModel->EndReset();
    // Rows by the hundred thousand went: their memory can go back.
    if (before - m_list.GetItemCount() > 100000) ReleaseFreedMemory();
    if (m_list.GetItemCount() - before > 100000) m_bReleaseAfterNames = true;
    m_pListView->SetSelectedRows(CFileNameList::NormalizeSelection(selection, m_list.GetItemCount()));
    UpdateCountPane();
}

void CKQToolsDlg::keyPressEvent(QKeyEvent* event)
{
    // Escape ends the program like the close box. Enter never does: typed in
    // an edit it would lose the list; a focused button takes it itself.
    const int key = event->key();
    if (key == Qt::Key_Escape) {
        event->accept();
        reject();
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CKQToolsDlg::mouseDoubleClickEvent(QMouseEvent* event)
{
    QDialog::mouseDoubleClickEvent(event);
    OnAbout();
}

void CKQToolsDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Never smaller than at start-up (the layout's size, whatever size the
    // settings gave the window).
    if (!m_bMinimumSet) {
        m_bMinimumSet = true;
        setMinimumSize(m_defaultSize);
    }
}

}  // namespace kq
