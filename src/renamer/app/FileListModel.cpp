#include "FileListModel.h"

#include <QColor>
#include <QFont>

namespace kq {

CFileListModel::CFileListModel(CFileNameList& list, QObject* parent) : QAbstractTableModel(parent), m_list(list) {}

int CFileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_list.GetItemCount();
}

int CFileListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColCount; }

QVariant CFileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_list.GetItemCount()) return {};
    const int row = index.row();
    const bool edited = index.column() == kColNewName && m_list.IsEdited(row);
    if (role == Qt::FontRole && edited) {
        QFont font;
        font.setItalic(true);
        return font;
    }
    if (role == Qt::ToolTipRole && edited)
        return QString::fromStdU16String(m_list.GetText(row, index.column())) + QStringLiteral("（手工修改）");
    if (index.column() == kColStatus) {
        const ERowProblem problem =
            m_bShowProblems && m_pProblems ? m_pProblems->Problem(size_t(row)) : ERowProblem::None;
        if (role == Qt::ForegroundRole) {
            if (IsBlockingProblem(problem)) return QColor(0xC0, 0x00, 0x00);
            if (problem == ERowProblem::Hidden) return QColor(0xB0, 0x60, 0x00);
            return {};
        }
        if (role == Qt::ToolTipRole && m_list.IsNameFailed(row))
            return QString::fromStdU16String(m_list.NameFailure(row));
        if (problem != ERowProblem::None && role != Qt::EditRole)
            return QString::fromStdU16String(RowProblemText(problem, m_pProblems->OtherRow(size_t(row))));
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::EditRole) return {};
    if (index.column() == kColNewName && !edited && m_pPending && m_pPending->IsVisibleReady() &&
        row >= m_pPending->VisibleFirst() && row < m_pPending->VisibleLast()) {
        const std::u16string_view name = m_pPending->Name(row);
        return QString::fromUtf16(name.data(), qsizetype(name.size()));
    }
    return QString::fromStdU16String(m_list.GetText(row, index.column()));
}

Qt::ItemFlags CFileListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == kColNewName) flags |= Qt::ItemIsEditable;
    return flags;
}

bool CFileListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != kColNewName ||
        index.row() >= m_list.GetItemCount())
        return false;
    if (m_fnBeforeEdit) m_fnBeforeEdit();
    const std::u16string name = value.toString().toStdU16String();
    if (name == m_list.GetText(index.row(), kColNewName) && !m_list.IsEdited(index.row())) return false;
    m_list.SetEditedName(index.row(), name);
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::FontRole, Qt::ToolTipRole});
    emit NameEdited(index.row());
    return true;
}

QVariant CFileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::DisplayRole && section >= 0 && section < kColCount)
        return QString::fromStdU16String(FileListColumnTitle(section));
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

void CFileListModel::NewNamesChanged()
{
    const int rows = m_list.GetItemCount();
    if (rows == 0) return;
    emit dataChanged(index(0, kColNewName), index(rows - 1, kColStatus),
                     {Qt::DisplayRole, Qt::ToolTipRole, Qt::ForegroundRole});
}

void CFileListModel::VisibleNamesReady()
{
    if (!m_pPending || m_pPending->VisibleFirst() >= m_pPending->VisibleLast()) return;
    emit dataChanged(index(m_pPending->VisibleFirst(), kColNewName), index(m_pPending->VisibleLast() - 1, kColNewName),
                     {Qt::DisplayRole, Qt::ToolTipRole});
}

void CFileListModel::AllChanged()
{
    const int rows = m_list.GetItemCount();
    if (rows == 0) return;
    emit dataChanged(index(0, 0), index(rows - 1, kColCount - 1),
                     {Qt::DisplayRole, Qt::ToolTipRole, Qt::ForegroundRole});
}

}  // namespace kq
