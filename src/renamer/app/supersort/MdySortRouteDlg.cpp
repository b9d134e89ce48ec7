#include "MdySortRouteDlg.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "AppIcons.h"
#include "NewClauseDlg.h"
#include "RouteDlgs.h"
#include "platform/Crt.h"
#include "platform/Prompt.h"
#include "renamer/app/pages/ModePage.h"
#include "renamer/supersort/RouteEditing.h"

namespace kq {

CMdySortRouteDlg::CMdySortRouteDlg(CSortRouteItem& route, QWidget* parent) : QDialog(parent), m_route(route)
{
    setObjectName(QStringLiteral("CMdySortRouteDlg"));
    setWindowTitle(QStringLiteral("规则编辑"));
    setWindowIcon(ProgramIcon());
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("规则列表："), this);
    auto* groupLayout = new QVBoxLayout(group);
    m_pTable = new QTableWidget(0, 7, group);
    m_pTable->setHorizontalHeaderLabels({QStringLiteral("序号"), QStringLiteral("模式"), QStringLiteral("循环"),
                                         QStringLiteral("权值"), QStringLiteral("A"), QStringLiteral("B"),
                                         QStringLiteral("C")});
    // The first four columns as wide as their longest texts; the three
    // conditions share the rest.
    const QFontMetrics metrics = fontMetrics();
    const int padding = 2 * DialogBaseWidth(metrics) + 8;
    const QString widest[4] = {QStringLiteral("000"), QStringLiteral("A & ( B | C )"), QStringLiteral("10→100/10"),
                               QStringLiteral("=i*100")};
    for (int c = 0; c < 4; ++c) m_pTable->setColumnWidth(c, metrics.horizontalAdvance(widest[c]) + padding);
    for (int c = 4; c < 7; ++c) m_pTable->horizontalHeader()->setSectionResizeMode(c, QHeaderView::Stretch);
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->verticalHeader()->hide();
    groupLayout->addWidget(m_pTable, 1);
    auto* row = new QHBoxLayout;
    m_pAdd = MakeButton(group, QStringLiteral("增加"), row);
    m_pEdit = MakeButton(group, QStringLiteral("编辑"), row);
    m_pDelete = MakeButton(group, QStringLiteral("删除"), row);
    m_pUp = MakeButton(group, QStringLiteral("上移"), row);
    m_pDown = MakeButton(group, QStringLiteral("下移"), row);
    m_pClear = MakeButton(group, QStringLiteral("清空"), row);
    row->addStretch(1);
    groupLayout->addLayout(row);
    layout->addWidget(group, 1);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    // Every change is already in the rule: both buttons only close.
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_pAdd, &QPushButton::clicked, this, &CMdySortRouteDlg::OnAdd);
    connect(m_pEdit, &QPushButton::clicked, this, &CMdySortRouteDlg::OnEdit);
    connect(m_pTable, &QTableWidget::cellDoubleClicked, this, &CMdySortRouteDlg::OnEdit);
    connect(m_pDelete, &QPushButton::clicked, this, &CMdySortRouteDlg::OnDelete);
    connect(m_pUp, &QPushButton::clicked, this, [this] { OnMove(-1); });
    connect(m_pDown, &QPushButton::clicked, this, [this] { OnMove(1); });
    connect(m_pClear, &QPushButton::clicked, this, &CMdySortRouteDlg::OnClear);
    Refill();
    resize(DialogUnits(this, 385, 278));
}

void CMdySortRouteDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_bFitted) return;
    m_bFitted = true;
    FitConditions();
}

void CMdySortRouteDlg::FitConditions()
{
    // Wide enough for the longest condition in each column, within the
    // screen; never narrower than the template.
    const QFontMetrics metrics = m_pTable->fontMetrics();
    const int padding = 2 * DialogBaseWidth(metrics) + 8;
    int conditions = 0;
    for (int c = 4; c < 7; ++c) {
        int widest = metrics.horizontalAdvance(m_pTable->horizontalHeaderItem(c)->text()) + padding;
        for (int r = 0; r < m_pTable->rowCount(); ++r)
            if (const QTableWidgetItem* item = m_pTable->item(r, c))
                widest = std::max(widest, metrics.horizontalAdvance(item->text()) + padding);
        conditions += widest;
    }
    int fixed = 0;
    for (int c = 0; c < 4; ++c) fixed += m_pTable->columnWidth(c);
    const int needed = fixed + conditions + 2 * m_pTable->frameWidth() + m_pTable->verticalScrollBar()->sizeHint().width();
    const int extra = needed - m_pTable->viewport()->width();
    if (extra <= 0) return;
    int limit = width() + extra;
    if (const QScreen* screen = this->screen()) limit = std::min(limit, screen->availableGeometry().width() * 9 / 10);
    if (limit > width()) resize(limit, height());
}

void CMdySortRouteDlg::RenderRow(int row)
{
    const CSortRouteClause& c = m_route.m_aClauses[size_t(row)];
    const int used = ConditionsInUse(c.m_nCombination);
    const std::u16string cells[7] = {FormatInt(row + 1), c.GetModeText(), c.GetLoopText(), c.m_strWeight,
                                     c.GetConditionText(0), used >= 2 ? c.GetConditionText(1) : u"",
                                     used >= 3 ? c.GetConditionText(2) : u""};
    for (int col = 0; col < 7; ++col) {
        auto* item = new QTableWidgetItem(Q(cells[col]));
        item->setTextAlignment(Qt::AlignCenter);
        // A long condition is cut at the column's edge: the tip shows it whole.
        if (col >= 4) item->setToolTip(item->text().trimmed());
        m_pTable->setItem(row, col, item);
    }
}

void CMdySortRouteDlg::Refill()
{
    m_pTable->setRowCount(static_cast<int>(m_route.m_aClauses.size()));
    for (int r = 0; r < m_pTable->rowCount(); ++r) RenderRow(r);
}

std::vector<int> CMdySortRouteDlg::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : m_pTable->selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CMdySortRouteDlg::SelectRows(const std::vector<int>& rows)
{
    m_pTable->clearSelection();
    QItemSelection selection;
    for (int r : rows)
        selection.select(m_pTable->model()->index(r, 0), m_pTable->model()->index(r, m_pTable->columnCount() - 1));
    m_pTable->selectionModel()->select(selection, QItemSelectionModel::Select);
}

void CMdySortRouteDlg::OnAdd()
{
    CSortRouteClause clause;
    CNewClauseDlg dialog(clause, this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_route.m_aClauses.push_back(clause);
    m_pTable->setRowCount(m_pTable->rowCount() + 1);
    RenderRow(m_pTable->rowCount() - 1);
}

void CMdySortRouteDlg::OnEdit()
{
    const std::vector<int> rows = SelectedRows();
    // Both refusals are questions with an OK button in the original; an
    // information box with OK says the same.
    if (rows.empty()) {
        GetPromptProvider().Inform(u"请选择需要编辑的条款，然后点击编辑按钮", u"没有选择");
        return;
    }
    if (rows.size() > 1) {
        GetPromptProvider().Inform(u"选择条款过多，请选择一个条款然后点击编辑按钮", u"选择过多");
        return;
    }
    CNewClauseDlg dialog(m_route.m_aClauses[size_t(rows[0])], this);
    if (dialog.exec() == QDialog::Accepted) RenderRow(rows[0]);
}

void CMdySortRouteDlg::OnDelete()
{
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) return;
    if (GetPromptProvider().AskYesNo(u"删除的条款无法恢复，确实需要删除所选条款吗？", u"确认删除") != EPromptAnswer::Yes)
        return;
    DeleteClauses(m_route, rows);
    Refill();
}

void CMdySortRouteDlg::OnMove(int step)
{
    std::vector<int> rows = SelectedRows();
    if (MoveClauses(m_route, rows, step) != EClauseMove::Moved) return;
    Refill();
    SelectRows(rows);
}

void CMdySortRouteDlg::OnClear()
{
    if (GetPromptProvider().AskYesNo(u"删除的条款无法恢复，确实需要删除全部条款吗？", u"确认删除") != EPromptAnswer::Yes)
        return;
    m_route.m_aClauses.clear();
    Refill();
}

}  // namespace kq
