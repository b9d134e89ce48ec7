#include "FileListView.h"

#include <algorithm>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

namespace kq {

namespace {

bool HasLocalFiles(const QMimeData* data)
{
    if (!data || !data->hasUrls()) return false;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

// The action a drop reports to its source: a copy (or else a link), never a
// move, which a file manager may answer by deleting its source files.
Qt::DropAction SafeDropAction(Qt::DropActions possible)
{
    if (possible & Qt::CopyAction) return Qt::CopyAction;
    if (possible & Qt::LinkAction) return Qt::LinkAction;
    return Qt::IgnoreAction;
}

// Accepts an event carrying local files with the safe action; false when it
// is ignored.
bool AcceptSafely(QDropEvent* event)
{
    const Qt::DropAction action = SafeDropAction(event->possibleActions());
    if (action == Qt::IgnoreAction || !HasLocalFiles(event->mimeData())) {
        event->ignore();
        return false;
    }
    event->setDropAction(action);
    event->accept();
    return true;
}

}  // namespace

CFileListView::CFileListView(QWidget* parent) : QTableView(parent)
{
    setObjectName(QStringLiteral("FileList"));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setShowGrid(true);
    setWordWrap(false);
    setAlternatingRowColors(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    // Only "新文件名" is editable (the model says so): double-click or F2.
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    setTabKeyNavigation(false);
    setTextElideMode(Qt::ElideRight);
    verticalHeader()->hide();
    // Fixed row heights keep scrolling through 100,000 rows cheap.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    // The folder column, last, takes whatever width the others leave.
    horizontalHeader()->setStretchLastSection(true);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int logical, int, int) {
        // The stretched folder column follows the others; set-up before the
        // window shows is not the user's.
        if (!m_bFitting && isVisible() && model() && logical != model()->columnCount() - 1) m_bUserWidths = true;
    });
    // The selection stays visible when the list has no focus.
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);
}

CRowSet CFileListView::SelectedRows() const
{
    CRowSet rows;
    if (!selectionModel()) return rows;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int r = range.top(); r <= range.bottom(); ++r) rows.push_back(r);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

size_t CFileListView::SelectedCount() const
{
    if (!selectionModel()) return 0;
    // Ranges of a row selection may overlap (ctrl-click on a selected block):
    // merge them before counting.
    std::vector<std::pair<int, int>> spans;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        spans.emplace_back(range.top(), range.bottom());
    std::sort(spans.begin(), spans.end());
    size_t count = 0;
    int end = -1;
    for (const auto& [top, bottom] : spans) {
        const int from = std::max(top, end + 1);
        if (bottom >= from) count += size_t(bottom - from + 1);
        end = std::max(end, bottom);
    }
    return count;
}

void CFileListView::SetSelectedRows(const CRowSet& rows)
{
    if (!selectionModel() || !model()) return;
    QItemSelection selection;
    const int lastColumn = model()->columnCount() - 1;
    const int rowCount = model()->rowCount();
    size_t i = 0;
    while (i < rows.size()) {
        size_t j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1) ++j;
        if (rows[i] >= 0 && rows[j] < rowCount)
            selection.append(QItemSelectionRange(model()->index(rows[i], 0), model()->index(rows[j], lastColumn)));
        i = j + 1;
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void CFileListView::setModel(QAbstractItemModel* model)
{
    QTableView::setModel(model);
    FitColumns();
}

void CFileListView::FitColumns()
{
    if (m_bUserWidths || !model() || model()->columnCount() != kColCount) return;
    // 250, 250 and 100 pixels where the list has room for them and a folder
    // column of 400; a narrower list gives each name column 35 % of it.
    const int status = std::max(kStatusWidth, fontMetrics().horizontalAdvance(QStringLiteral("未处理")) * 2);
    // Measured on a digit: a CJK font's averageCharWidth is full-width.
    const int least = fontMetrics().horizontalAdvance(QLatin1Char('0')) * 12;
    const int names = std::clamp((viewport()->width() - status) * 35 / 100, least, std::max(least, kNameWidth));
    m_bFitting = true;
    setColumnWidth(kColOldName, names);
    setColumnWidth(kColNewName, names);
    setColumnWidth(kColStatus, status);
    // The stretched folder column never shrinks below the width it was last
    // given: give it little, the stretch adds the rest.
    setColumnWidth(kColFolder, status);
    m_bFitting = false;
}

void CFileListView::SetColumnWidths(const std::vector<int>& widths)
{
    if (widths.size() != size_t(kColCount)) return ResetColumnWidths();
    m_bFitting = true;
    for (int c = 0; c < kColCount; ++c) setColumnWidth(c, widths[size_t(c)]);
    m_bFitting = false;
    m_bUserWidths = true;
}

void CFileListView::ResetColumnWidths()
{
    m_bUserWidths = false;
    FitColumns();
}

void CFileListView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    FitColumns();
}

QModelIndex CFileListView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex index = QTableView::moveCursor(action, modifiers);
    // Ctrl+Home / Ctrl+End go to the first / last row; rows are selected
    // whole, so the cursor stays in the first column and the names stay in
    // sight rather than scrolling to the folder column.
    if ((action == MoveHome || action == MoveEnd) && (modifiers & Qt::ControlModifier) && index.isValid())
        return model()->index(index.row(), kColOldName);
    return index;
}

void CFileListView::dragEnterEvent(QDragEnterEvent* event) { AcceptSafely(event); }

void CFileListView::dragMoveEvent(QDragMoveEvent* event) { AcceptSafely(event); }

void CFileListView::dropEvent(QDropEvent* event)
{
    if (!AcceptSafely(event)) return;
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    emit FilesDropped(paths);
}

void CFileListView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete) emit DeletePressed();
    // F2 edits the current row's new name, whichever cell is current.
    if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier && currentIndex().isValid() &&
        state() != QAbstractItemView::EditingState) {
        const QModelIndex cell = model()->index(currentIndex().row(), kColNewName);
        setCurrentIndex(cell);
        edit(cell);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

}  // namespace kq

