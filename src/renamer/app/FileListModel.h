// The file list as a table model: a thin view of CFileNameList. The owner
// changes the list through the core and then tells the model what changed.
#pragma once

#include <QAbstractTableModel>

#include "renamer/list/FileNameList.h"

namespace kq {

class CFileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CFileListModel(CFileNameList& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // "新文件名" is edited by hand (double-click or F2); such a row shows its
    // name in italics and keeps it (CFileNameList::SetEditedName).
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Call around a change of the row count (add, delete, clear).
    void BeginReset() { beginResetModel(); }
    void EndReset() { endResetModel(); }
    // Column 1 of every row was rewritten.
    void NewNamesChanged();
    // Every column of every row may have changed, the row count did not.
    void AllChanged();

    CFileNameList& List() { return m_list; }

signals:
    void NameEdited(int row);

private:
    CFileNameList& m_list;
};

}  // namespace kq
