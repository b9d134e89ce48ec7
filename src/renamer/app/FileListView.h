// The list control of the main window: a table view with multi-selection,
// grid lines and full-row selection that takes files dropped from a file
// manager and deletes the selected rows on the Delete key. The name columns
// take a share of the width and the folder column the rest, until the user
// drags a column's edge.
#pragma once

#include <QStringList>
#include <QTableView>

#include <vector>

#include "renamer/list/FileNameList.h"

namespace kq {

class CFileListView : public QTableView {
    Q_OBJECT
public:
    explicit CFileListView(QWidget* parent = nullptr);

    // The selected rows, ascending.
    CRowSet SelectedRows() const;
    size_t SelectedCount() const;
    // Replaces the selection with the rows (contiguous runs become ranges,
    // so selecting all of 100,000 rows is one range).
    void SetSelectedRows(const CRowSet& rows);

    void setModel(QAbstractItemModel* model) override;

    // Widths the user gave the columns (restored from the settings): kept
    // as they are until ResetColumnWidths fits them to the list again.
    void SetColumnWidths(const std::vector<int>& widths);
    void ResetColumnWidths();
    bool HasUserWidths() const { return m_bUserWidths; }
    // The name and status columns' widths where the list has room.
    static constexpr int kNameWidth = 250;
    static constexpr int kStatusWidth = 100;

signals:
    // Local paths of the dropped items, in drop order.
    void FilesDropped(const QStringList& paths);
    void DeletePressed();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    // Sizes the name and status columns for the viewport's width.
    void FitColumns();

    bool m_bFitting = false;
    bool m_bUserWidths = false;  // a column resized by hand after the list was shown
};

}  // namespace kq
