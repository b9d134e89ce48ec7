#include "TERNControlPanelDlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "InfoSheets.h"
#include "PanelIcons.h"
#include "platform/Maker.h"
#include "platform/Shell.h"

namespace kq {

void SetUpControlPanelApplication()
{
    QApplication::setApplicationName(QStringLiteral("TERNControlPanel"));
    QApplication::setOrganizationName(QStringLiteral("远舟工作室"));
    QApplication::setDesktopFileName(QStringLiteral("TERNControlPanel"));
    QApplication::setWindowIcon(PanelIcon(kIconPanel));
}

CTERNControlPanelDlg::CTERNControlPanelDlg(std::u16string pluginFolder, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CTERNControlPanelDlg"));
    setWindowTitle(QStringLiteral("远舟软件配置中心"));
    setWindowIcon(PanelIcon(kIconPanel));
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);

    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("软件配置："), this);
    auto* groupLayout = new QVBoxLayout(group);
    auto* intro = new QHBoxLayout;
    auto* icon = new QLabel(group);
    icon->setPixmap(PanelIcon(kIconPanel).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    intro->addWidget(icon);
    auto* text = new QLabel(QStringLiteral("本配置程序由远舟工作室开发，可对远舟工作室发布的各软件进行参数配置，包括版本控制、"
                                           "系统设置和在线升级等，也可以通过本配置程序访问远舟工作室网站，"
                                           "向远舟工作室反馈软件改进建议。"), group);
    text->setWordWrap(true);
    intro->addWidget(text, 1);
    groupLayout->addLayout(intro);

    m_pList = new QListWidget(group);
    m_pList->setObjectName(QStringLiteral("CommandList"));
    m_pList->setViewMode(QListView::IconMode);
    m_pList->setIconSize(QSize(32, 32));
    m_pList->setGridSize(QSize(96, 72));
    m_pList->setMovement(QListView::Static);
    m_pList->setResizeMode(QListView::Adjust);
    m_pList->setWordWrap(true);
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pList->viewport()->installEventFilter(this);
    m_pList->installEventFilter(this);
    groupLayout->addWidget(m_pList, 1);

    m_pDescription = new QLabel(group);
    m_pDescription->setObjectName(QStringLiteral("Description"));
    m_pDescription->setWordWrap(true);
    m_pDescription->setMinimumHeight(m_pDescription->fontMetrics().lineSpacing() * 3);
    m_pDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    groupLayout->addWidget(m_pDescription);
    layout->addWidget(group, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("CloseButton"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(560, 430);

    m_aCommands = ListCommands(m_host, pluginFolder);
    for (size_t i = 0; i < m_aCommands.size(); ++i) AddCommand(i);
    connect(m_pList, &QListWidget::itemSelectionChanged, this, &CTERNControlPanelDlg::OnClickList);
    connect(m_pList, &QListWidget::itemDoubleClicked, this, &CTERNControlPanelDlg::OnDblClickList);
}

CTERNControlPanelDlg::~CTERNControlPanelDlg() = default;

void CTERNControlPanelDlg::AddCommand(size_t nRecord)
{
    const CPanelExecute& command = m_aCommands[nRecord];
    auto* item = new QListWidgetItem(CommandIcon(command), QString::fromStdU16String(command.m_strName), m_pList);
    item->setData(Qt::UserRole, qulonglong(nRecord));
    item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
}

void CTERNControlPanelDlg::UpdateData(bool bSaveAndValidate)
{
    if (bSaveAndValidate)
        m_strDescription = m_pDescription->text();
    else
        m_pDescription->setText(m_strDescription);
}

bool CTERNControlPanelDlg::eventFilter(QObject* watched, QEvent* event)
{
    // Enter on a selected command runs it, as a double-click does; the list
    // would pass the key on to the dialog, whose default button closes it.
    if (watched == m_pList && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const QList<QListWidgetItem*> selected = m_pList->selectedItems();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !selected.isEmpty()) {
            OnDblClickList(selected.front());
            return true;
        }
    }
    // A click on empty space clears the selection and so the description.
    if (watched == m_pList->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!m_pList->itemAt(mouse->position().toPoint())) {
            m_pList->clearSelection();
            m_pList->setCurrentItem(nullptr);
            OnClickList();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CTERNControlPanelDlg::OnClickList()
{
    UpdateData(true);
    const QList<QListWidgetItem*> selected = m_pList->selectedItems();
    m_strDescription.clear();
    if (!selected.isEmpty()) {
        size_t nRecord = selected.front()->data(Qt::UserRole).toULongLong();
        if (nRecord < m_aCommands.size()) m_strDescription = QString::fromStdU16String(m_aCommands[nRecord].m_strDescription);
    }
    UpdateData(false);
}

void CTERNControlPanelDlg::OnDblClickList(QListWidgetItem* item)
{
    if (item) RunCommand(item->data(Qt::UserRole).toULongLong());
}

bool CTERNControlPanelDlg::RunCommand(size_t nRecord)
{
    if (nRecord >= m_aCommands.size()) return false;
    const CPanelExecute& command = m_aCommands[nRecord];
    if (command.IsBuiltIn())
        RunBuiltIn(command.m_nCommandIndex);
    else
        RunPluginCommand(m_aCommands, nRecord, reinterpret_cast<ICPL_Window>(winId()));
    return true;
}

bool CTERNControlPanelDlg::RunBuiltIn(int nIndex)
{
    switch (nIndex) {
    case kCmdSystemInfo:
        ShowSystemInfoSheet(this);
        return true;
    case kCmdCredits:
        ShowCreditsSheet(this);
        return true;
    case kCmdWebSite:
        ShellOpen(kMakerWebAddress);
        return true;
    default:
        return false;
    }
}

void CTERNControlPanelDlg::Activate()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

}  // namespace kq
