// The file list as a table model: a thin view of CFileNameList. The owner
// changes the list through the core and then tells the model what changed.
#pragma once

#include <QAbstractTableModel>

#include <functional>

#include "renamer/list/FileNameList.h"
#include "renamer/modes/NameCycle.h"
#include "renamer/safety/RowProblems.h"

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
    // Column 1 of every row was rewritten (and with it the rows' problems).
    void NewNamesChanged();
    // Before the run the status column shows each row's problem, marked in
    // colour; once a run has written the statuses they stand until the next
    // name cycle. A failed row's reason is its status tooltip either way.
    void SetProblems(const CRowProblems* problems) { m_pProblems = problems; }
    void ShowProblems(bool show) { m_bShowProblems = show; }
    // Every column of every row may have changed, the row count did not.
    void AllChanged();

    CFileNameList& List() { return m_list; }

    // While a name cycle runs its visible rows show their new names as soon
    // as they are ready (VisibleNamesReady); the list itself is written when
    // the cycle ends. nullptr: no cycle.
    void SetPendingNames(const CNameCycle* cycle) { m_pPending = cycle; }
    void VisibleNamesReady();
    // Called before a hand edit writes the list (the owner finishes its cycle).
    std::function<void()> m_fnBeforeEdit;

signals:
    void NameEdited(int row);

private:
    CFileNameList& m_list;
    const CRowProblems* m_pProblems = nullptr;
    bool m_bShowProblems = false;
    const CNameCycle* m_pPending = nullptr;
};

}  // namespace kq
