#include "FileListModel.h"

namespace kq {

CFileListModel::CFileListModel(CFileNameList& list, QObject* parent) : QAbstractTableModel(parent), m_list(list) {}

int CFileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_list.GetItemCount();
}

int CFileListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColCount; }

QVariant CFileListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    if (!index.isValid() || index.row() >= m_list.GetItemCount()) return {};
    return QString::fromStdU16String(m_list.GetText(index.row(), index.column()));
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
    emit dataChanged(index(0, kColNewName), index(rows - 1, kColNewName), {Qt::DisplayRole});
}

void CFileListModel::AllChanged()
{
    const int rows = m_list.GetItemCount();
    if (rows == 0) return;
    emit dataChanged(index(0, 0), index(rows - 1, kColCount - 1), {Qt::DisplayRole});
}

}  // namespace kq
