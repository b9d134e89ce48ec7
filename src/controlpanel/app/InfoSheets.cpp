#include "InfoSheets.h"

#include <QDialogButtonBox>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <memory>

#include "PanelIcons.h"

namespace kq {

namespace {

QString Q(const std::u16string& text) { return QString::fromStdU16String(text); }

QWidget* Framed(QWidget* page, const QString& caption, QWidget* content)
{
    auto* layout = new QVBoxLayout(page);
    auto* group = new QGroupBox(caption, page);
    auto* inner = new QVBoxLayout(group);
    inner->addWidget(content);
    layout->addWidget(group);
    return page;
}

// The platform program's own icon when it has one, else the panel's.
QIcon ProgramFileIcon(const std::u16string& path)
{
    QFileInfo info(Q(path));
    if (!path.empty() && info.isFile()) {
        QIcon icon = QFileIconProvider().icon(info);
        if (!icon.isNull()) return icon;
    }
    return PanelIcon(kIconPanel);
}

}  // namespace

CUIPropertySheet::CUIPropertySheet(const QString& title, const QIcon& icon, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(title);
    setWindowIcon(icon);
    auto* layout = new QVBoxLayout(this);
    m_pTabs = new QTabWidget(this);
    layout->addWidget(m_pTabs, 1);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(560, 420);
}

void CUIPropertySheet::AddPage(QWidget* page, const QString& title) { m_pTabs->addTab(page, title); }

void CTERNPropertyPage::Fill()
{
    if (m_bFilled) return;
    m_bFilled = true;
    FillPage();
}

void CTERNPropertyPage::showEvent(QShowEvent* event)
{
    Fill();
    QWidget::showEvent(event);
}

CSystemInfoPage::CSystemInfoPage(int nKind, QWidget* parent) : CTERNPropertyPage(parent), m_nKind(nKind)
{
    m_pList = new QTreeWidget(this);
    m_pList->setRootIsDecorated(false);
    m_pList->setAllColumnsShowFocus(true);
    m_pList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pList->setIconSize(QSize(16, 16));
    // Grid lines, as a report list draws them.
    m_pList->setStyleSheet(QStringLiteral("QTreeView::item { border-right: 1px solid #d8d8d8; border-bottom: 1px solid #d8d8d8; }"));
    CInfoTable frame = InfoPageFrame(nKind);
    QStringList titles;
    for (const CInfoColumn& column : frame.m_aColumns) titles << Q(column.m_strTitle);
    m_pList->setHeaderLabels(titles);
    for (int i = 0; i < int(frame.m_aColumns.size()); ++i) m_pList->setColumnWidth(i, frame.m_aColumns[size_t(i)].m_nWidth);
    Framed(this, QStringLiteral("常规："), m_pList);
}

void CSystemInfoPage::FillPage()
{
    CInfoTable table = InfoPage(m_nKind);
    for (size_t r = 0; r < table.m_aRows.size(); ++r) {
        QStringList cells;
        for (const auto& cell : table.m_aRows[r]) cells << Q(cell);
        auto* item = new QTreeWidgetItem(m_pList, cells);
        if (r < table.m_aRowPrograms.size()) item->setIcon(0, ProgramFileIcon(table.m_aRowPrograms[r]));
    }
}

CSoftInfoPage::CSoftInfoPage(QWidget* parent) : CTERNPropertyPage(parent)
{
    m_pTree = new QTreeWidget(this);
    m_pTree->setHeaderHidden(true);
    m_pTree->setIconSize(QSize(18, 18));
    m_pTree->setRootIsDecorated(true);
    Framed(this, QStringLiteral("软件："), m_pTree);
}

void CSoftInfoPage::FillPage()
{
    const QIcon product = PanelIcon(kIconPanel);
    const QIcon version = style()->standardIcon(QStyle::SP_FileDialogInfoView);
    const QIcon folder = style()->standardIcon(QStyle::SP_DirIcon);
    for (const CProductInfo& info : SoftwareProducts(*OpenMachineRegistry())) {
        auto* item = new QTreeWidgetItem(m_pTree, QStringList(Q(info.m_strName)));
        item->setIcon(0, product);
        for (size_t i = 0; i < info.m_aLines.size(); ++i) {
            auto* child = new QTreeWidgetItem(item, QStringList(Q(info.m_aLines[i])));
            child->setIcon(0, i == 0 ? version : folder);
        }
        item->setExpanded(true);
    }
    if (m_pTree->topLevelItemCount() > 0) m_pTree->setCurrentItem(m_pTree->topLevelItem(0));
}

CUIPropertySheet* CreateSystemInfoSheet(QWidget* parent)
{
    auto* sheet = new CUIPropertySheet(QStringLiteral("系统信息"), PanelIcon(kIconSystemInfo), parent);
    sheet->setObjectName(QStringLiteral("SystemInfoSheet"));
    for (int kind : {kPageCopyright, kPageSystem}) sheet->AddPage(new CSystemInfoPage(kind), Q(InfoPageFrame(kind).m_strTitle));
    sheet->AddPage(new CSoftInfoPage, QStringLiteral("软件"));
    for (int kind : {kPagePlatform, kPageCommunity}) sheet->AddPage(new CSystemInfoPage(kind), Q(InfoPageFrame(kind).m_strTitle));
    return sheet;
}

CUIPropertySheet* CreateCreditsSheet(QWidget* parent)
{
    auto* sheet = new CUIPropertySheet(QStringLiteral("致谢名单"), PanelIcon(kIconCredits), parent);
    sheet->setObjectName(QStringLiteral("CreditsSheet"));
    for (int kind : {kPageDevelopers, kPageUsers}) sheet->AddPage(new CSystemInfoPage(kind), Q(InfoPageFrame(kind).m_strTitle));
    return sheet;
}

void ShowSystemInfoSheet(QWidget* parent)
{
    std::unique_ptr<CUIPropertySheet> sheet(CreateSystemInfoSheet(parent));
    sheet->exec();
}

void ShowCreditsSheet(QWidget* parent)
{
    std::unique_ptr<CUIPropertySheet> sheet(CreateCreditsSheet(parent));
    sheet->exec();
}

}  // namespace kq
