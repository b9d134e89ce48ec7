#include "renamer/safety/RenameUndo.h"

#include <memory>
#include <optional>
#include <unordered_map>

#include "platform/AtomicFile.h"
#include "platform/Crt.h"
#include "platform/Path.h"
#include "platform/Prompt.h"
#include "renamer/list/FileNameList.h"
#include "renamer/list/NameTable.h"
#include "renamer/safety/RenamePlan.h"
#include "renamer/safety/RenameRun.h"

namespace kq {

namespace {

// The moves undo takes back, as the rows of a rename: from the run's new
// names to its old ones. The names are the history record's own; the run's
// message is kept, not shown (the undo reports for both).
class CUndoRows : public IRenameRows {
public:
    CUndoRows(const CHistoryRun& run, std::vector<CUndoLine>& lines, size_t rows) : m_run(run), m_lines(lines)
    {
        m_aLine.reserve(rows);
        m_aFolder.reserve(rows);
    }
    void Add(size_t line, uint32_t folder)
    {
        m_aLine.push_back(static_cast<uint32_t>(line));
        m_aFolder.push_back(folder);
    }
    size_t Line(size_t row) const { return m_aLine[row]; }

    size_t Count() const override { return m_aLine.size(); }
    size_t FolderCount() const override { return m_run.m_aFolders.size(); }
    uint32_t FolderOf(size_t row) const override { return m_aFolder[row]; }
    const std::u16string& FolderText(uint32_t folder) const override { return m_run.m_aFolders[folder].m_strFolder; }
    uint32_t FolderKey(uint32_t folder) const override { return folder; }
    std::u16string_view OldName(size_t row) const override { return m_lines[m_aLine[row]].m_strNew; }
    std::u16string_view NewName(size_t row) const override { return m_lines[m_aLine[row]].m_strOld; }
    bool KeepsName(size_t) const override { return false; }
    void Renamed(size_t row) override { m_lines[m_aLine[row]].m_eOutcome = kUndoRestored; }
    void NotRenamed(size_t) override {}
    void Report(const std::u16string& text, const std::u16string&) override { m_strMessage = text; }
    const std::u16string& Message() const { return m_strMessage; }

private:
    const CHistoryRun& m_run;
    std::vector<CUndoLine>& m_lines;
    std::vector<uint32_t> m_aLine;    // by row: its line (a run has fewer than 2^31 moves)
    std::vector<uint32_t> m_aFolder;  // by row: its folder in the run
    std::u16string m_strMessage;
};

// A name the rename would change or refuse as a target cannot be given back
// through it.
bool RenameCanGive(const std::u16string& name)
{
    if (StoredFileName(name) != name) return false;
    return name.find_first_of(CFileNameList::InvalidNameCharacters()) == std::u16string::npos;
}

// A folder whose files are known by size and time may have made up its own
// node number too (FAT, exFAT): its path and its files' stamps say it is the
// one renamed. Elsewhere its identity must be the one recorded.
bool SameFolder(const CJournalFolder& folder, const CFileId& now, const CFileId& recorded)
{
    return (!folder.m_aMoves.empty() && folder.m_aMoves[0].m_bStamped) || now == recorded;
}

// The file the history recorded for a move, in a folder of that identity.
bool IsRecordedFile(const CJournalMove& move, const CFileId& folder, const CFileId& id, const CFileStamp& stamp)
{
    return IsFileOfMove(move, id, stamp) && (move.m_bStamped || id.m_nDevice == folder.m_nDevice);
}

// The file a move left under its new name was made after the run: a node
// number freed by a deleted file came back with a new one.
bool MadeAfter(const CHistoryRun& run, std::optional<int64_t> created) { return created && *created > run.m_nTime; }

// One line per move of the run, in its order; movable gets the lines whose
// file is still under its new name and the same file (those read kUndoBlocked
// until they move). listed gets each folder's listing (none where the
// folder is not the one renamed).
void CheckFiles(const CHistoryRun& run, std::vector<CUndoLine>& lines, std::vector<size_t>& movable,
                std::vector<std::unique_ptr<CListedNames>>& listed)
{
    lines.reserve(run.Count());
    listed.resize(run.m_aFolders.size());
    for (size_t f = 0; f < run.m_aFolders.size(); ++f) {
        const CJournalFolder& journalFolder = run.m_aFolders[f];
        const std::u16string& folder = journalFolder.m_strFolder;
        CFileId folderId;
        const bool sameFolder =
            GetFileId(folder, true, folderId) && SameFolder(journalFolder, folderId, run.m_aFolderIds[f]);
        // Names are looked up in the open folder, not through its path each time.
        CFolderHandle handle;
        const bool open = sameFolder && handle.Open(folder);
        // Where the listing's node numbers are the files' own, the files of
        // a run that knew them by node are found in it without a query each;
        // the check after each move then asks for the creation time.
        bool byListing = false;
        if (sameFolder && !journalFolder.m_aMoves.empty()) {
            listed[f] = std::make_unique<CListedNames>(folder, journalFolder.m_aMoves.size() + 16,
                                                       journalFolder.m_aMoves[0].m_strNew.size() + 4);
            byListing = open && !journalFolder.m_aMoves[0].m_bStamped && listed[f]->NodesAreTheFiles(folder);
        }
        auto factsOf = [&](const std::u16string& name, CFileId& id, CFileStamp& stamp) {
            return open ? handle.GetEntryFacts(name, id, stamp) : GetFileFacts(JoinPath(folder, name), id, stamp);
        };
        auto factsAndCreationOf = [&](const std::u16string& name, CFileId& id, CFileStamp& stamp, bool& timed,
                                      int64_t& creation) {
            if (open) return handle.GetEntryFactsAndCreation(name, id, stamp, timed, creation);
            timed = false;
            return GetFileFacts(JoinPath(folder, name), id, stamp);
        };
        auto movableOrRefused = [&](const CJournalMove& move, CUndoLine& line) {
            if (!RenameCanGive(move.m_strOld)) {
                line.m_eOutcome = kUndoNameRefused;
            } else {
                line.m_eOutcome = kUndoBlocked;
                movable.push_back(lines.size());
            }
        };
        bool timed = false;
        int64_t creation = 0;
        for (const CJournalMove& move : journalFolder.m_aMoves) {
            CUndoLine line{folder, move.m_strOld, move.m_strNew, kUndoGone};
            CFileId at;
            CFileStamp stamp;
            uint64_t node = 0;
            bool isDirectory = false;
            if (!sameFolder) {
                line.m_eOutcome = kUndoFolderChanged;
            } else if (byListing && listed[f]->ListedEntry(move.m_strNew, node, isDirectory)) {
                if (isDirectory || node != move.m_nNode)
                    line.m_eOutcome = kUndoChanged;
                else
                    movableOrRefused(move, line);
            } else if (byListing) {
                if (listed[f]->ListedEntry(move.m_strOld, node, isDirectory) && !isDirectory && node == move.m_nNode)
                    line.m_eOutcome = kUndoInPlace;
            } else if (factsAndCreationOf(move.m_strNew, at, stamp, timed, creation)) {
                if (!IsRecordedFile(move, folderId, at, stamp) || (timed && MadeAfter(run, creation)))
                    line.m_eOutcome = kUndoChanged;
                else
                    movableOrRefused(move, line);
            } else if (factsOf(move.m_strOld, at, stamp) && IsRecordedFile(move, folderId, at, stamp)) {
                line.m_eOutcome = kUndoInPlace;
            }
            lines.push_back(std::move(line));
        }
    }
}

// An old name held by a file that stays blocks its move, and with it every
// move waiting for that file's name: the rename would refuse the whole undo.
// The lines of a folder follow one another (CheckFiles), so each folder's
// movable lines are a range of movable with a name table of their own.
std::vector<size_t> DropBlockedMoves(const CHistoryRun& run, const std::vector<CUndoLine>& lines,
                                     const std::vector<size_t>& movable,
                                     const std::vector<std::unique_ptr<CListedNames>>& listings)
{
    const ENamePolicy policy = DefaultNamePolicy();
    // By position in movable: the movable line whose new name is this one's
    // old name (a line waits for at most one), and whether a file that stays
    // holds the old name.
    std::vector<size_t> holderOf(movable.size(), kNoName);
    std::vector<char> held(movable.size(), 0);
    size_t m = 0;
    size_t lineEnd = 0;
    for (size_t f = 0; f < run.m_aFolders.size(); ++f) {
        const CJournalFolder& folder = run.m_aFolders[f];
        lineEnd += folder.m_aMoves.size();
        const size_t begin = m;
        while (m < movable.size() && movable[m] < lineEnd) ++m;
        if (begin == m) continue;
        auto newName = [&](size_t k) { return std::u16string_view(lines[movable[begin + k]].m_strNew); };
        CNameTable<decltype(newName)> holder(policy, newName, m - begin);
        for (size_t k = 0; k < m - begin; ++k) holder.Insert(k);
        CFolderHandle handle;
        const bool open = handle.Open(folder.m_strFolder);
        // An old name the folder does not list is asked no further: undoing
        // a shift leaves none of them on the disk. A folder with movable
        // lines is the one renamed, so CheckFiles listed it.
        const CListedNames& listed = *listings[f];
        for (size_t k = begin; k < m; ++k) {
            const CUndoLine& line = lines[movable[k]];
            const size_t h = holder.Find(line.m_strOld);
            if (h != kNoName)
                holderOf[k] = begin + h;
            else if (listed.Has(line.m_strOld))
                held[k] = open ? handle.Contains(line.m_strOld) : PathExists(JoinPath(line.m_strFolder, line.m_strOld));
        }
    }
    // Blocked: held, or waiting for a blocked line. A walk follows the
    // holders until a known line, a line without one, or its own start (a
    // cycle, which nothing blocks); every line it passed gets that answer.
    enum : char { kUnknown, kWalking, kFree, kBlocked };
    std::vector<char> state(movable.size(), kUnknown);
    std::vector<size_t> path;
    for (size_t start = 0; start < movable.size(); ++start) {
        path.clear();
        size_t k = start;
        char answer = kFree;
        for (;;) {
            if (state[k] == kFree || state[k] == kBlocked) {
                answer = state[k];
                break;
            }
            if (state[k] == kWalking) break;  // around a cycle
            if (held[k]) {
                answer = kBlocked;
                path.push_back(k);
                break;
            }
            state[k] = kWalking;
            path.push_back(k);
            if (holderOf[k] == kNoName) break;
            k = holderOf[k];
        }
        for (size_t p : path) state[p] = answer;
    }
    std::vector<size_t> free;
    for (size_t k = 0; k < movable.size(); ++k)
        if (state[k] == kFree) free.push_back(movable[k]);
    return free;
}

// Keeps in the record only the files that may still go back later; removes
// it when there are none.
void KeepWhatIsLeft(const CHistoryRun& run, const std::vector<CUndoLine>& lines)
{
    CHistoryRun left;
    left.m_strPath = run.m_strPath;
    left.m_nTime = run.m_nTime;
    size_t line = 0;
    for (size_t f = 0; f < run.m_aFolders.size(); ++f) {
        CJournalFolder kept{run.m_aFolders[f].m_strFolder, {}};
        for (const CJournalMove& move : run.m_aFolders[f].m_aMoves)
            if (lines[line++].m_eOutcome == kUndoBlocked) kept.m_aMoves.push_back(move);
        if (kept.m_aMoves.empty()) continue;
        left.m_aFolders.push_back(std::move(kept));
        left.m_aFolderIds.push_back(run.m_aFolderIds[f]);
    }
    if (left.m_aFolders.empty())
        RemoveFile(run.m_strPath);
    else
        RewriteHistoryRecord(left);
}

}  // namespace

size_t CUndoReport::Restored() const
{
    size_t count = 0;
    for (const CUndoLine& line : m_aLines)
        if (line.m_eOutcome == kUndoRestored || line.m_eOutcome == kUndoInPlace) ++count;
    return count;
}

EUndoResult UndoLastRename(const std::u16string& journalFolderIn, CUndoReport& report, const std::atomic<bool>* cancel,
                           const std::function<void(size_t movesDone)>& afterMove)
{
    report = CUndoReport{};
    const std::u16string journalFolder = journalFolderIn.empty() ? DefaultJournalFolder() : journalFolderIn;
    if (!HasRenameHistory(journalFolder)) return report.m_eResult = kUndoNothing;
    // One undo at a time: two would both take the newest run.
    CFileLock lock;
    if (!lock.TryLock(JoinPath(HistoryFolder(journalFolder), u"undo.lock"))) return report.m_eResult = kUndoBusy;
    const std::vector<std::u16string> records = FindHistoryRecords(journalFolder);
    if (records.empty()) return report.m_eResult = kUndoNothing;
    // The newest run was not recorded: undoing the one before it would
    // undo the wrong run.
    if (const std::u16string gap = NewestUnrecordedRun(journalFolder); !gap.empty()) {
        report.m_strMessage =
            u"上次改名没有写入改名历史（磁盘空间不足？），无法撤销；也不会越过它撤销更早的改名。删除“" + gap +
            u"”后可以撤销更早的改名。";
        return report.m_eResult = kUndoFailed;
    }
    CHistoryRun& run = report.m_run;
    if (const EStoredRead read = ReadHistoryFile(records.back(), run); read != EStoredRead::Read) {
        // Only a record whose bytes are no record is set aside; one that
        // could not be read now stays for the next undo.
        report.m_damaged = {records.back(), read == EStoredRead::Damaged ? SetAsideJournal(records.back()) : u""};
        return report.m_eResult = kUndoDamaged;
    }

    std::vector<CUndoLine>& lines = report.m_aLines;
    std::vector<size_t> movable;
    {
        std::vector<std::unique_ptr<CListedNames>> listed;
        CheckFiles(run, lines, movable, listed);
        movable = DropBlockedMoves(run, lines, movable, listed);
    }
    if (!movable.empty()) {
        // The rename itself takes the files back: cycles are parked and
        // undone as in any run, the folders are locked and journalled.
        CUndoRows rows(run, lines, movable.size());
        // By row: the move recorded, and its folder's identity now.
        std::vector<const CJournalMove*> recorded;
        std::vector<CFileId> folderIds(run.m_aFolders.size());
        recorded.reserve(movable.size());
        // movable is in line order, and the lines go folder by folder.
        size_t f = 0;
        size_t folderBegin = 0;  // the first line of folder f
        bool folderAsked = false;
        for (size_t i : movable) {
            while (i >= folderBegin + run.m_aFolders[f].m_aMoves.size()) {
                folderBegin += run.m_aFolders[f].m_aMoves.size();
                ++f;
                folderAsked = false;
            }
            if (!folderAsked) {
                GetFileId(run.m_aFolders[f].m_strFolder, true, folderIds[f]);
                folderAsked = true;
            }
            rows.Add(i, static_cast<uint32_t>(f));
            recorded.push_back(&run.m_aFolders[f].m_aMoves[i - folderBegin]);
        }
        // The rows say it all now; the rename's plan needs the room.
        movable = std::vector<size_t>();
        // Each file is checked against the history again right after its
        // move (and as the rename plans it where the listing's node numbers
        // are not used): one put in its place since the check above, or a
        // new file that took a freed node number, goes back, and its row
        // reads "changed".
        const FileCheck check = [&](size_t row, const CFileId& id, const CFileStamp& stamp,
                                    std::optional<int64_t> created) {
            return row < recorded.size() &&
                   IsRecordedFile(*recorded[row], folderIds[rows.FolderOf(row)], id, stamp) && !MadeAfter(run, created);
        };
        CRenameOptions options;
        options.m_bConfirmed = true;
        options.m_strJournalFolder = journalFolder;
        // Undone moves are not a run of their own to undo.
        options.m_bKeepHistory = false;
        options.m_pCancel = cancel;
        options.m_pfnAfterMove = afterMove;
        options.m_pCheck = &check;
        CRenameSummary summary;
        const int result = RunRename(rows, DefaultNamePolicy(), options, summary);
        if (result == kRenameBusy || result == kRenameJournalFailed || result == kRenameInvalidName ||
            result == kRenameUnrecovered) {
            report.m_strMessage = rows.Message();
            lines.clear();
            return report.m_eResult = result == kRenameBusy ? kUndoBusy : kUndoFailed;
        }
        // A collision means the folder changed after the check: nothing
        // moved and every file stays blocked.
        if (result == kRenameDone || result == kRenamePartly) {
            for (const CRowFailure& failure : summary.m_aFailures)
                if (failure.m_eReason == EMoveFailure::Changed && failure.m_nRow < rows.Count())
                    lines[rows.Line(failure.m_nRow)].m_eOutcome = kUndoChanged;
        }
        // Files left under temporary names are for recover: say so.
        if (summary.m_nLeftTemporary > 0) report.m_strMessage = rows.Message();
    }
    KeepWhatIsLeft(run, lines);
    return report.m_eResult = report.Restored() == lines.size() ? kUndoDone : kUndoPartly;
}

size_t ApplyUndoToList(const CUndoReport& report, CFileNameList& list)
{
    std::unordered_map<std::u16string, const CUndoLine*> restored;  // folder and new name -> line
    for (const CUndoLine& line : report.m_aLines)
        if (line.m_eOutcome == kUndoRestored) restored.emplace(line.m_strFolder + u'\0' + line.m_strNew, &line);
    size_t changed = 0;
    for (int r = 0; r < list.GetItemCount() && !restored.empty(); ++r) {
        auto found = restored.find(list.GetText(r, kColFolder) + u'\0' + list.GetText(r, kColOldName));
        if (found == restored.end()) continue;
        list.SetText(r, kColOldName, found->second->m_strOld);
        list.SetText(r, kColStatus, kStatusPending);
        restored.erase(found);
        ++changed;
    }
    return changed;
}

std::u16string UndoSummaryText(const CUndoReport& report)
{
    auto count = [](size_t n) { return FormatInt(static_cast<long long>(n)); };
    switch (report.m_eResult) {
    case kUndoNothing: return u"没有可以撤销的改名。";
    case kUndoBusy:
        return report.m_strMessage.empty() ? u"另一个撤销操作正在进行，请等它结束后再试。" : report.m_strMessage;
    case kUndoDamaged:
        return u"无法读取改名历史记录“" + report.m_damaged.m_strPath + u"”" +
               (report.m_damaged.m_strAside.empty() ? u"" : u"，已将它改名为“" + report.m_damaged.m_strAside + u"”") +
               u"；没有撤销任何文件。";
    case kUndoFailed: return report.m_strMessage.empty() ? u"撤销没有进行。" : report.m_strMessage;
    default: break;
    }
    const size_t restored = report.Restored();
    if (report.m_eResult == kUndoDone) return u"已撤销上次改名：" + count(restored) + u"个文件已恢复原文件名。";
    size_t changed = 0, blocked = 0, refused = 0;
    for (const CUndoLine& line : report.m_aLines) {
        if (line.m_eOutcome == kUndoBlocked)
            ++blocked;
        else if (line.m_eOutcome == kUndoNameRefused)
            ++refused;
        else if (line.m_eOutcome != kUndoRestored && line.m_eOutcome != kUndoInPlace)
            ++changed;
    }
    std::u16string text = u"上次改名未能全部撤销：" + count(restored) + u"个文件已恢复原文件名";
    if (changed > 0) text += u"，" + count(changed) + u"个文件改名后已被改变或移走，没有撤销";
    if (refused > 0) text += u"，" + count(refused) + u"个文件的原文件名无法经由改名恢复";
    if (blocked > 0) text += u"，" + count(blocked) + u"个文件的原文件名已被占用或无法改回（可在处理后再次撤销）";
    text += u"。";
    return report.m_strMessage.empty() ? text : text + u"\n" + report.m_strMessage;
}

}  // namespace kq
