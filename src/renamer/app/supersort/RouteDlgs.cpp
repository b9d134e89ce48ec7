#include "RouteDlgs.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "AppIcons.h"
#include "platform/Prompt.h"
#include "platform/Text.h"
#include "renamer/app/pages/ModePage.h"
#include "renamer/supersort/SortWorkList.h"

namespace kq {

QSize DialogUnits(const QWidget* widget, int width, int height)
{
    const QFontMetrics metrics = widget->fontMetrics();
    return QSize(width * DialogBaseWidth(metrics) / 4, height * metrics.height() / 8);
}

int DialogBaseWidth(const QFontMetrics& metrics)
{
    static const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    return (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
}

namespace {

// 确定 / 取消 stacked at the right, as the templates place them.
QDialogButtonBox* SideButtons(QDialog* dialog, Qt::Orientation orientation)
{
    auto* buttons = new QDialogButtonBox(orientation, dialog);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

std::u16string Trimmed(std::u16string text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && IsAsciiSpace(text[begin])) ++begin;
    while (end > begin && IsAsciiSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

}  // namespace

CNewSortRouteDlg::CNewSortRouteDlg(const CSortRouteList& list, int index, const std::u16string& name,
                                   const std::u16string& description, QWidget* parent)
    : QDialog(parent), m_strName(name), m_strDescription(description), m_list(list), m_nIndex(index)
{
    setObjectName(QStringLiteral("CNewSortRouteDlg"));
    setWindowTitle(QStringLiteral("新建规则"));
    setWindowIcon(ProgramIcon());
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("新建规则："), this);
    auto* grid = new QGridLayout(group);
    m_pName = new QLineEdit(Q(name), group);
    m_pDescription = new QPlainTextEdit(Q(description), group);
    m_pDescription->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Tab goes on to the buttons; a description needs no tab characters.
    m_pDescription->setTabChangesFocus(true);
    grid->addWidget(new QLabel(QStringLiteral("规则名称："), group), 0, 0);
    grid->addWidget(m_pName, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("规则说明："), group), 1, 0, 1, 2);
    grid->addWidget(m_pDescription, 2, 0, 1, 2);
    layout->addWidget(group, 1);
    auto* buttons = SideButtons(this, Qt::Horizontal);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CNewSortRouteDlg::OnOK);
    resize(DialogUnits(this, 223, 142));
}

void CNewSortRouteDlg::OnOK()
{
    const std::u16string name = Trimmed(U(m_pName->text()));
    for (int r = 0; r < m_list.GetCount(); ++r) {
        if (r != m_nIndex && m_list[r].m_strName == name) {
            GetPromptProvider().Inform(u"指定规则名称已经存在，请输入新名称！", u"名称存在");
            return;
        }
    }
    m_strName = name;
    m_strDescription = U(m_pDescription->toPlainText());
    accept();
}

CPortListDlg::CPortListDlg(const CSortRouteList& list, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CPortListDlg"));
    setWindowTitle(QStringLiteral("规则列表"));
    setWindowIcon(ProgramIcon());
    auto* layout = new QHBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("规则列表："), this);
    auto* groupLayout = new QVBoxLayout(group);
    m_pList = new QListWidget(group);
    for (int r = 0; r < list.GetCount(); ++r) {
        auto* item = new QListWidgetItem(Q(list[r].m_strName), m_pList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    groupLayout->addWidget(m_pList);
    layout->addWidget(group, 1);
    auto* buttons = SideButtons(this, Qt::Vertical);
    layout->addWidget(buttons, 0, Qt::AlignTop);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPortListDlg::OnOK);
    resize(DialogUnits(this, 215, 183));
}

void CPortListDlg::OnOK()
{
    m_aChecked.clear();
    for (int r = 0; r < m_pList->count(); ++r)
        if (m_pList->item(r)->checkState() == Qt::Checked) m_aChecked.push_back(r);
    if (m_aChecked.empty()) {
        GetPromptProvider().Inform(u"至少应该选择一个排序规则进行导出，请重新选择！", u"没有选择");
        return;
    }
    accept();
}

CPrepSortModel::CPrepSortModel(const CSortWorkList& work, QObject* parent) : QAbstractTableModel(parent), m_work(work) {}

int CPrepSortModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_work.GetCount(); }
int CPrepSortModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 4; }

QVariant CPrepSortModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) return {};
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole) return {};
    const int e = index.row();
    switch (index.column()) {
    case 0: return QString::number(e + 1);
    case 1: return Q(m_work.RestoredName(e));
    case 2: return Q(m_work.m_aFolders[size_t(e)]);
    default: return QString::number(m_work.m_aWeights[size_t(e)]);
    }
}

QVariant CPrepSortModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const titles[4] = {"序号", "文件名称", "文件目录", "权值"};
    return section >= 0 && section < 4 ? QString::fromUtf8(titles[section]) : QVariant();
}

CPrepSortDlg::CPrepSortDlg(const CSortWorkList& work, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CPrepSortDlg"));
    setWindowTitle(QStringLiteral("排序预览"));
    setWindowIcon(ProgramIcon());
    auto* layout = new QHBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("排序预览："), this);
    auto* groupLayout = new QVBoxLayout(group);
    m_pTable = new QTableView(group);
    m_pTable->setModel(new CPrepSortModel(work, m_pTable));
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setShowGrid(true);
    m_pTable->verticalHeader()->hide();
    // Fixed row heights: the view never measures 100,000 rows.
    m_pTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_pTable->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    // Number and weight as wide as their texts, the name a third of the
    // table, the folder the rest: the weight stays in sight at any width.
    const QFontMetrics metrics = fontMetrics();
    const int padding = 2 * DialogBaseWidth(metrics) + 8;
    m_pTable->setColumnWidth(0, metrics.horizontalAdvance(QStringLiteral("000000")) + padding);
    m_pTable->setColumnWidth(1, DialogBaseWidth(metrics) * 30);
    m_pTable->setColumnWidth(3, metrics.horizontalAdvance(QStringLiteral("-000000")) + padding);
    m_pTable->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    groupLayout->addWidget(m_pTable);
    layout->addWidget(group, 1);
    auto* buttons = SideButtons(this, Qt::Vertical);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons, 0, Qt::AlignTop);
    resize(DialogUnits(this, 405, 334));
}

}  // namespace kq
