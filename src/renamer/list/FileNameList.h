// The renamer's file list: one row per file, four text columns, a row known
// only by its position. Qt-free; the GUI shows it through a thin table model.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "renamer/list/NameTable.h"

namespace kq {

// Column numbers and their headers ("原文件名", "新文件名", "状态", "目录").
enum EFileListColumn { kColOldName = 0, kColNewName = 1, kColStatus = 2, kColFolder = 3, kColCount = 4 };
const std::u16string& FileListColumnTitle(int column);

// Status texts of column 2.
extern const std::u16string kStatusPending;  // "未处理"
extern const std::u16string kStatusDone;     // "已处理"

// An index set: row positions, ascending, without repeats.
using CRowSet = std::vector<int>;

// Result codes of the move operations.
enum class EMoveResult {
    Done,           // rows moved: ask the page for new names
    Nothing,        // no selection, or the block is already at the edge
    NotContiguous,  // "文件选择不连续" was shown
};

// Result codes of ExecuteRename. The text of the message shown is kept in
// LastMessage().
enum ERenameResult {
    kRenameDone = 0,          // every row renamed ("成功完成")
    kRenameEmptyList = 1,     // "列表为空"
    kRenameDeclined = 2,      // confirmation not given
    kRenameInvalidName = 3,   // "名称非法"
    kRenameCollision = 4,     // "文件同名"
    kRenameJournalFailed = 5, // the journal could not be written; nothing moved
    kRenamePartly = 6,        // ran, but some rows read "未处理"
    kRenameBusy = 7,          // another run is renaming one of the folders; nothing moved
    kRenameUnrecovered = 8,   // a run that died left a journal for one of the folders; nothing moved
};

class CFolderListings;

struct CRenameOptions {
    // Skip the "确认改名" question (the CLI's --yes).
    bool m_bConfirmed = false;
    // Said on a line of its own before the question (the preview's problems).
    std::u16string m_strNotice;
    // Folder for the journal; empty means ConfigFolder()/TernSoft/KQTool.
    std::u16string m_strJournalFolder;
    // Called after every successful move with the number done so far; tests
    // use it to stop the process mid-run.
    std::function<void(size_t movesDone)> m_pfnAfterMove;
    // Set to true (from any thread) to stop at the next chain or cycle: the
    // rows not reached stay "未处理" and the run closes as a finished one.
    const std::atomic<bool>* m_pCancel = nullptr;
    // Record the moves made in the history that undo reads (off for the
    // undo's own run).
    bool m_bKeepHistory = true;
    // What the files are known by; unset, each folder's file system decides
    // (FolderIdentity).
    std::optional<EFileIdentity> m_oIdentity;
    // When set, the file of each row must pass it (right after its move, and
    // as the plan is made where the listing's node numbers cannot stand for
    // the files'; see FileCheck): undo's own run checks each file against
    // the history.
    const std::function<bool(size_t listRow, const CFileId&, const CFileStamp&, std::optional<int64_t> created)>*
        m_pCheck = nullptr;
    // Folders already read, under their run locks, when the list was made
    // (the CLI's): the run takes them over instead of reading them again.
    CFolderListings* m_pListings = nullptr;
};

// Told of each folder a walk reads: before the read, and what it read.
class IFolderReadWatcher {
public:
    virtual ~IFolderReadWatcher() = default;
    // Returns whether the read's node numbers are wanted.
    virtual bool BeforeRead(const CFileId& folder) = 0;
    // The entries as the folder listed them, and their node numbers when
    // BeforeRead asked for them.
    virtual void Read(const CFileId& folder, const std::vector<CFolderEntry>& entries,
                      const std::vector<uint64_t>& nodes) = 0;
};

// Why a row's file was not renamed.
enum class EMoveFailure : char {
    Refused,    // the file system (or the plan) refused the move
    TooLong,    // the new name is too long for the file system
    Vanished,   // the file is no longer there
    NameTaken,  // another file holds the new name
    Changed,    // the file under the old name is not the one meant (undo: replaced since the run)
};
// A short text for the user: "名称过长", "文件已不存在", "新文件名已被占用", "被文件系统拒绝", "文件已改变".
const std::u16string& MoveFailureText(EMoveFailure reason);

struct CRowFailure {
    size_t m_nRow;  // list row
    EMoveFailure m_eReason;
};

struct CRenameSummary {
    size_t m_nRenamed = 0;       // rows that read "已处理" afterwards
    size_t m_nFailed = 0;        // rows that read "未处理" afterwards
    size_t m_nMoves = 0;         // file-system moves made, undo moves included
    size_t m_nLeftTemporary = 0; // files that could not leave a temporary name
    std::u16string m_strJournal; // journal path; kept only when files are left over
    std::vector<CRowFailure> m_aFailures;  // the failed rows and why, in row order
    bool m_bUnrecorded = false;  // the history could not record the run: it cannot be undone
    std::u16string m_strDetails;  // one line per failed row: "name：reason" (the first hundred)
};

class CFileNameList {
public:
    // Names (and, with the same policy, folders) are compared with the policy:
    // two rows are the same file when both compare equal.
    explicit CFileNameList(ENamePolicy policy = DefaultNamePolicy());

    ENamePolicy Policy() const { return m_ePolicy; }
    int GetItemCount() const { return static_cast<int>(m_aRows.size()); }

    // Column text of a row; an index out of range gives an empty text.
    const std::u16string& GetText(int row, int column) const;
    // Writes a column. Pages write column 1; sorts write columns 0, 2 and 3.
    // Writing column 1 also forgets that the row's name failed; column 1 of a
    // row edited by hand is not written: it keeps its name.
    void SetText(int row, int column, std::u16string_view text);

    // A row whose new name the page could not compute (a formula or template
    // error): column 1 keeps what the page wrote, but the rename never moves
    // the file. reason is the page's message, kept for the status column.
    void SetNameFailed(int row, std::u16string_view reason);
    bool IsNameFailed(int row) const;
    // The reason given for a failed row ("" for any other row).
    const std::u16string& NameFailure(int row) const;

    // Grows whenever rows are added, removed or reordered and whenever an old
    // name or a folder changes (a rename included); new names leave it alone.
    // Whoever keeps facts about the rows' files reads them again when it moved.
    uint64_t RowsVersion() const { return m_nRowsVersion; }

    // Hand edits of column 1: the row gets that name and keeps it through
    // later name cycles, sorts and moves, until the row is removed or the
    // edits are cleared ("清除手工修改", a change of mode).
    void SetEditedName(int row, std::u16string_view name);
    bool IsEdited(int row) const;
    // Returns the number of rows that were edited.
    size_t ClearEdits();

    // Adds the file as a new last row ("未处理", empty new name) unless the
    // path has no separator or the list already holds the file. Returns true
    // when a row was added.
    bool AddFile(std::u16string_view path);
    // Room for that many rows (a speed hint before a large add).
    void Reserve(size_t rows);
    // Adds a row from its parts (same rule as AddFile).
    bool AddRow(std::u16string_view folder, std::u16string_view name);
    // Appends the full paths of the files in folder (a trailing separator is
    // allowed) and, with includeSubfolders, of its sub-folders, depth first:
    // each folder in listing order (ListingLess), a sub-folder's files at the
    // point where it is met. Folders are opened relative to their parent, so
    // there is no path-length limit. A folder reached twice (through links)
    // is read once. Returns false when folder cannot be read; each folder
    // (the root too) that could not be read is added to *unreadable.
    static bool CollectFolderFiles(std::u16string_view folder, bool includeSubfolders,
                                   std::vector<std::u16string>& paths,
                                   std::vector<std::u16string>* unreadable = nullptr);
    // The same walk, handing each file to visit as its folder and name
    // instead of building its path (AddRow takes them as they come).
    using FolderFileVisitor = std::function<void(std::u16string_view folder, std::u16string_view name)>;
    static bool CollectFolderFiles(std::u16string_view folder, bool includeSubfolders, const FolderFileVisitor& visit,
                                   std::vector<std::u16string>* unreadable = nullptr,
                                   IFolderReadWatcher* watcher = nullptr);
    // The order a folder lists in on the Windows file system: names compared
    // unit by unit on their upper-case UTF-16 text (NameUpper).
    static bool ListingLess(std::u16string_view a, std::u16string_view b);
    // Sorts a folder's entries by ListingLess, most of them by a short key.
    static void SortInListingOrder(std::vector<CFolderEntry>& entries);

    // Deletes the rows of the set (indices out of range are ignored).
    void DeleteRows(const CRowSet& rows);
    // "清空列表".
    void Clear();

    // Selection helpers of the "列表" menu: they work on index sets and leave
    // the rows alone.
    CRowSet SelectAllRows() const;
    CRowSet InvertSelection(const CRowSet& selected) const;
    static CRowSet NormalizeSelection(CRowSet selected, int rowCount);

    // "上移"/"下移" for a contiguous block. On EMoveResult::Done the selection is
    // updated to the block's new place; EMoveResult::NotContiguous shows "文件上下移
    // 操作时，只能连续选择文件！" ("文件选择不连续") through the prompt provider.
    EMoveResult MoveSelectionUp(CRowSet& selection);
    EMoveResult MoveSelectionDown(CRowSet& selection);

    // Text of status-bar pane 1 (UpdateCountPane): "共计：%d个   选择：%d个".
    std::u16string CountPaneText(size_t selectedCount) const;
    static std::u16string CountPaneText(size_t total, size_t selectedCount);

    // "排序" menu. Columns 0, 2 and 3 move with the rows; column 1 stays in
    // place (the caller refreshes the new names afterwards).
    //  by name: upper-cased name, then folder as written (ascending in both
    //  directions); by folder: folder as written, then upper-cased name
    //  (ascending in both directions). Rows equal in both keep their order.
    //  A row edited by hand takes its new name along.
    void SortByName(bool ascending);
    void SortByDirectory(bool ascending);
    // "自然顺序": like SortByName, but runs of digits compare by their value
    // (file2 before file10; with equal values the one with fewer leading
    // zeros first).
    void SortNatural(bool ascending);
    // The comparison SortNatural uses, on upper-cased names: <0, 0, >0.
    static int CompareNatural(std::u16string_view a, std::u16string_view b);
    // Puts the rows (columns 0, 2, 3) in the order given by a permutation of
    // positions: row i receives the former row order[i]. Column 1 stays.
    // Used by the sorts and by super sort. False when order is no permutation.
    bool ReorderRows(const std::vector<int>& order);

    // "执行改名": confirms, checks the new names and every folder for name
    // collisions, then renames without ever replacing a file, writing column 0
    // and 2 of every row. Messages go through the prompt provider.
    int ExecuteRename(const CRenameOptions& options = {});
    const CRenameSummary& LastSummary() const { return m_summary; }
    // Text of the last message ExecuteRename showed (its title in LastTitle).
    const std::u16string& LastMessage() const { return m_strLastMessage; }
    const std::u16string& LastTitle() const { return m_strLastTitle; }

    // The new-name characters that are refused: "*?:|\/\"<>".
    static const std::u16string& InvalidNameCharacters();
    // The "确认改名" question ExecuteRename asks, after the notice (what the
    // preview found) when there is one.
    static std::u16string ConfirmationText(std::u16string_view notice = {});

private:
    struct CRow {
        std::u16string m_strOld;
        std::u16string m_strNew;
        uint32_t m_nFolder = 0;  // index into m_aFolders
        uint32_t m_nStatus = kStatusPendingId;  // index into m_aStatusTexts
        uint32_t m_nFailure = 0;                // index into m_aFailureTexts; 0: the name was computed
        bool m_bEdited = false;                 // m_strNew was written by hand
    };
    // Rows share their few status texts.
    static constexpr uint32_t kStatusPendingId = 0;
    static constexpr uint32_t kStatusDoneId = 1;
    uint32_t InternStatus(std::u16string_view text);
    struct CFolderInfo {
        std::u16string m_strText;  // as written
        uint32_t m_nKeyId = 0;     // equal for folders the policy calls equal
    };

    uint32_t InternFolder(std::u16string_view folder);
    // Rows, old names or folders changed: the row index and RowsVersion follow.
    void RowsChanged()
    {
        m_bIndexDirty = true;
        ++m_nRowsVersion;
    }
    // The row index: row positions keyed by (name, folder) under the policy,
    // rebuilt after rows move or change.
    struct CRowKey {
        std::u16string_view m_strName;
        uint32_t m_nFolderKey;
    };
    struct CRowHasher {
        using Key = CRowKey;
        ENamePolicy m_ePolicy;
        uint64_t Hash(const CRowKey& k) const { return HashName(k.m_strName, m_ePolicy, k.m_nFolderKey); }
        bool Equal(const CRowKey& a, const CRowKey& b) const
        {
            return a.m_nFolderKey == b.m_nFolderKey && NamesEqual(a.m_strName, b.m_strName, m_ePolicy);
        }
    };
    CRowKey RowKey(size_t row) const
    {
        return {m_aRows[row].m_strOld, m_aFolders[m_aRows[row].m_nFolder].m_nKeyId};
    }
    void RebuildKeys(size_t capacity = 0);
    void MoveRow(int from, int to);
    EMoveResult MoveSelection(CRowSet& selection, int step);  // step -1 up, 1 down
    template <class Less>
    void SortRows(const Less& less);
    std::vector<std::u16string> UpperOldNames() const;
    void Report(const std::u16string& text, const std::u16string& title);
    // The rows as ExecuteRename's run sees them (RenameExecution.cpp).
    class CListRows;

    ENamePolicy m_ePolicy;
    std::vector<CRow> m_aRows;
    std::vector<CFolderInfo> m_aFolders;
    std::unordered_map<std::u16string, uint32_t> m_mapFolderText;  // text -> folder index
    std::unordered_map<std::u16string, uint32_t> m_mapFolderKey;   // key -> key id
    std::deque<std::u16string> m_aStatusTexts{u"未处理", u"已处理"};
    std::unordered_map<std::u16string, uint32_t> m_mapStatus;  // texts after the first two
    // The failed rows' reasons; a list run with one formula has one of them.
    std::deque<std::u16string> m_aFailureTexts{std::u16string()};
    std::unordered_map<std::u16string, uint32_t> m_mapFailure;
    CNameIndex<CRowHasher> m_rowIndex;
    bool m_bIndexDirty = false;
    uint64_t m_nRowsVersion = 0;
    CRenameSummary m_summary;
    std::u16string m_strLastMessage;
    std::u16string m_strLastTitle;
};

}  // namespace kq
