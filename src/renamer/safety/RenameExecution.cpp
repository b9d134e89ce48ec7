// ExecuteRename: checks, then moves every file once where it can.
//
// A new name goes to the file system as it would be stored there: without
// trailing dots and spaces (see StoredFileName), so the checks, the moves and
// the journal all use that name while the list shows the computed one.
//
// The planner (RenamePlan) decides what moves and in which order, the
// executor (RenameExecutor) moves; this file runs the steps between them:
// locks, the journal, and what the list and the user see afterwards.
#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <optional>

#include "platform/AtomicFile.h"
#include "platform/Crt.h"
#include "platform/FileSystem.h"
#include "platform/Prompt.h"
#include "platform/Text.h"
#include "renamer/list/FileNameList.h"
#include "renamer/safety/FolderListings.h"
#include "renamer/safety/RenameExecutor.h"
#include "renamer/safety/RenameHistory.h"
#include "renamer/safety/RenameJournal.h"
#include "renamer/safety/RenamePlan.h"
#include "renamer/safety/RenameRun.h"

namespace kq {

namespace {

// A step's verdict: nothing to go on, or the result the run ends with.
using CStop = std::optional<int>;

// The rows of one folder, known by the folder's identity.
struct CFolderGroup {
    std::u16string m_strFolder;
    CFileId m_id;
    bool m_bReadable = true;
    std::vector<size_t> m_aRows;  // rows of the run
};

class CRenameRun {
public:
    CRenameRun(IRenameRows& rows, ENamePolicy policy, const CRenameOptions& options, CRenameSummary& summary)
        : m_rows(rows), m_ePolicy(policy), m_options(options), m_summary(summary),
          m_executor(options.m_pfnAfterMove, options.m_pCancel)
    {
        m_executor.SetFileCheck(options.m_pCheck);
        m_executor.SetPlaceholderGate([this](const std::u16string& folder) { return NotePlaceholders(folder); });
    }

    CStop RefuseInvalidNames();
    void GroupByFolder();
    CStop LockFolders();
    void ReadFolders();
    void StartJournal();
    CStop CheckCollisions();
    void Plan();
    CStop FinishJournal();
    void Execute();
    void ApplyOutcomes();
    void RecordHistory();
    void CloseJournal();
    int Report();

private:
    CStop RefuseUnrecoveredFolders();
    void DropJournal();
    bool NotePlaceholders(const std::u16string& folder);

    IRenameRows& m_rows;
    ENamePolicy m_ePolicy;
    const CRenameOptions& m_options;
    CRenameSummary& m_summary;
    std::vector<CFolderGroup> m_aGroups;
    std::u16string m_strJournalFolder;
    std::vector<std::unique_ptr<CFileLock>> m_aFolderLocks;
    std::deque<CFolderPlan> m_aPlans;  // one per group; plans stay where they are made
    // The journal is written under a working name and published whole once
    // it is on the disk: a journal is never seen cut short. Its lock (held
    // on the file itself) tells recover that the run is alive.
    std::u16string m_strJournalPath;
    std::u16string m_strJournalPart;
    CFileLock m_journalLock;
    CDurableFile m_journal;
    bool m_bJournalOk = true;
    CRenameExecutor m_executor;
    std::vector<CFolderOutcome> m_aOutcomes;  // one per plan
    std::vector<std::u16string> m_aPlaceholderFolders;  // in the journal's note
};

}  // namespace

int RunRename(IRenameRows& rows, ENamePolicy policy, const CRenameOptions& options, CRenameSummary& summary)
{
    summary = CRenameSummary{};
    CRenameRun run(rows, policy, options, summary);
    if (CStop stop = run.RefuseInvalidNames()) return *stop;
    run.GroupByFolder();
    if (CStop stop = run.LockFolders()) return *stop;
    // The moves go to the journal as soon as they are known, so that the
    // disk writes it while the rest is checked and planned.
    run.ReadFolders();
    run.StartJournal();
    if (CStop stop = run.CheckCollisions()) return *stop;
    run.Plan();
    if (CStop stop = run.FinishJournal()) return *stop;
    run.Execute();
    run.ApplyOutcomes();
    run.RecordHistory();
    run.CloseJournal();
    return run.Report();
}

// The list's rows, for the run: a row renamed reads "已处理" and has its new
// name as its old one.
class CFileNameList::CListRows : public IRenameRows {
public:
    explicit CListRows(CFileNameList& list) : m_list(list) {}
    size_t Count() const override { return m_list.m_aRows.size(); }
    size_t FolderCount() const override { return m_list.m_aFolders.size(); }
    uint32_t FolderOf(size_t row) const override { return m_list.m_aRows[row].m_nFolder; }
    const std::u16string& FolderText(uint32_t folder) const override { return m_list.m_aFolders[folder].m_strText; }
    uint32_t FolderKey(uint32_t folder) const override { return m_list.m_aFolders[folder].m_nKeyId; }
    std::u16string_view OldName(size_t row) const override { return m_list.m_aRows[row].m_strOld; }
    std::u16string_view NewName(size_t row) const override { return m_list.m_aRows[row].m_strNew; }
    bool KeepsName(size_t row) const override { return m_list.m_aRows[row].m_nFailure != 0; }
    void Renamed(size_t row) override
    {
        CRow& r = m_list.m_aRows[row];
        r.m_nStatus = kStatusDoneId;
        r.m_strOld = StoredFileName(r.m_strNew);
    }
    void NotRenamed(size_t row) override { m_list.m_aRows[row].m_nStatus = kStatusPendingId; }
    void Report(const std::u16string& text, const std::u16string& title) override { m_list.Report(text, title); }

private:
    CFileNameList& m_list;
};

int CFileNameList::ExecuteRename(const CRenameOptions& options)
{
    m_summary = CRenameSummary{};
    m_strLastMessage.clear();
    m_strLastTitle.clear();

    if (m_aRows.empty()) {
        Report(u"文件列表为空，请先将需要更名的文件添加或拖动到列表", u"列表为空");
        return kRenameEmptyList;
    }
    if (!options.m_bConfirmed &&
        GetPromptProvider().AskYesNo(ConfirmationText(options.m_strNotice), u"确认改名") != EPromptAnswer::Yes)
        return kRenameDeclined;

    CListRows rows(*this);
    const int result = RunRename(rows, m_ePolicy, options, m_summary);
    if (m_summary.m_nRenamed + m_summary.m_nFailed > 0) RowsChanged();
    return result;
}

std::u16string CFileNameList::ConfirmationText(std::u16string_view notice)
{
    const std::u16string_view question =
        u"确实需要批量修改列表中文件名称吗？改名后可以用“更多”菜单中的“撤销上次改名”恢复原文件名。";
    if (notice.empty()) return std::u16string(question);
    std::u16string text(notice);
    text += u"\n";
    text += question;
    return text;
}

namespace {

CStop CRenameRun::RefuseInvalidNames()
{
    const std::u16string& invalid = CFileNameList::InvalidNameCharacters();
    // All of them are ASCII: one table look-up a character.
    bool refused[128] = {};
    for (char16_t c : invalid) refused[c] = true;
    for (size_t r = 0; r < m_rows.Count(); ++r) {
        if (m_rows.KeepsName(r)) continue;  // never moved
        for (char16_t c : m_rows.NewName(r)) {
            if (c < 128 && refused[c]) {
                m_rows.Report(u"文件名称中含有以下非法字符：\n" + invalid, u"名称非法");
                return kRenameInvalidName;
            }
        }
    }
    return std::nullopt;
}

// In order of first appearance. A folder is known by its identity, not its
// text: the same folder reached through a link or a bind mount is read,
// checked and renamed once.
void CRenameRun::GroupByFolder()
{
    std::map<std::pair<uint64_t, uint64_t>, size_t> groupOfId;
    std::vector<size_t> groupOfFolder(m_rows.FolderCount(), kNoName);
    for (size_t r = 0; r < m_rows.Count(); ++r) {
        const uint32_t f = m_rows.FolderOf(r);
        if (groupOfFolder[f] == kNoName) {
            const std::u16string& folder = m_rows.FolderText(f);
            CFileId id;
            // A folder that cannot be read gets a group of its own (its rows
            // then fail); its key cannot meet a real identity.
            const bool readable = GetFileId(folder, true, id);
            if (!readable) id = {~uint64_t(0), m_rows.FolderKey(f)};
            auto found = groupOfId.try_emplace({id.m_nDevice, id.m_nNode}, m_aGroups.size());
            if (found.second) m_aGroups.push_back({folder, id, readable, {}});
            groupOfFolder[f] = found.first->second;
        }
        m_aGroups[groupOfFolder[f]].m_aRows.push_back(r);
    }
}

// One run at a time per folder: a lock per folder identity, held until the
// run ends (the system drops it when the process dies).
CStop CRenameRun::LockFolders()
{
    m_strJournalFolder = m_options.m_strJournalFolder.empty() ? DefaultJournalFolder() : m_options.m_strJournalFolder;
    if (!CreateFolder(m_strJournalFolder)) {
        m_rows.Report(u"无法写入改名记录文件夹“" + m_strJournalFolder + u"”，为避免文件丢失，改名操作没有进行。", u"无法改名");
        return kRenameJournalFailed;
    }
    for (const CFolderGroup& group : m_aGroups) {
        if (!group.m_bReadable) continue;
        std::unique_ptr<CFileLock> lock;
        if (!m_options.m_pListings || !m_options.m_pListings->TakeLock(group.m_id, lock))
            lock = LockFolderRun(m_strJournalFolder, group.m_id);
        if (!lock) {
            m_rows.Report(u"文件夹“" + group.m_strFolder + u"”正在由另一个改名操作处理，请等它结束后再试。", u"无法改名");
            return kRenameBusy;
        }
        m_aFolderLocks.push_back(std::move(lock));
    }
    return RefuseUnrecoveredFolders();
}

// A journal that no live run holds is a run that died: its files may still
// be parked, and recover, run later, would take back whatever a new run did
// to them. Until it is recovered its folders take no new run.
CStop CRenameRun::RefuseUnrecoveredFolders()
{
    for (const std::u16string& journal : FindJournals(m_strJournalFolder)) {
        if (CFileLock::IsHeld(journal)) continue;
        std::vector<CJournalFolder> folders;
        if (ReadJournalFile(journal, folders) != EStoredRead::Read) continue;  // recover reports those
        for (const CJournalFolder& folder : folders) {
            CFileId id;
            if (!GetFileId(folder.m_strFolder, true, id)) continue;
            for (const CFolderGroup& group : m_aGroups) {
                if (!group.m_bReadable || !(group.m_id == id)) continue;
                m_rows.Report(
                    u"文件夹“" + group.m_strFolder + u"”有一次中断的改名尚未恢复（改名记录“" + journal +
                        u"”），请先运行“kqtools-cli recover”（或“kqtools-cli recover --finish”），再改名或撤销。",
                    u"无法改名");
                return kRenameUnrecovered;
            }
        }
    }
    return std::nullopt;
}

// Reads every folder and finds the files that move.
void CRenameRun::ReadFolders()
{
    for (CFolderGroup& group : m_aGroups) {
        // Read when the list was made, under the lock held since; or now,
        // with room for the folder's rows and a few more entries.
        CFolderEntries entries;
        if (!m_options.m_pListings || !m_options.m_pListings->TakeEntries(group.m_id, entries))
            entries = ReadFolderEntries(group.m_strFolder, group.m_aRows.size() + group.m_aRows.size() / 8 + 16,
                                        m_rows.OldName(group.m_aRows[0]).size() + 4);
        std::vector<CPlanRow> planRows;
        planRows.reserve(group.m_aRows.size());
        // A row whose name the page could not compute is never moved.
        for (size_t r : group.m_aRows) planRows.push_back({r, m_rows.OldName(r), m_rows.NewName(r), m_rows.KeepsName(r)});
        CFolderPlan& plan = m_aPlans.emplace_back(m_ePolicy, group.m_strFolder, std::move(entries), std::move(planRows));
        plan.MatchRows();
        const EFileIdentity identity =
            m_options.m_oIdentity ? *m_options.m_oIdentity : FolderIdentity(group.m_strFolder);
        // Where the listing's node numbers are the files' own, the listing
        // already holds every moving file's identity: a file gone since
        // fails its move, which never replaces. A check of each file (undo's)
        // is asked right after its move, which puts back a file that is not
        // the one meant; asking it here too would cost a query a file more.
        if (identity == EFileIdentity::Node && FolderListsFileNodes(group.m_strFolder) && plan.ListingNodesAgree())
            continue;
        plan.TakeNodesFromFiles(identity, m_options.m_pCheck);
    }
}

// The journal goes to the disk in pieces of about a megabyte: a million
// moves need no text of their size.
void CRenameRun::StartJournal()
{
    if (std::none_of(m_aPlans.begin(), m_aPlans.end(), [](const CFolderPlan& plan) { return plan.HasMoves(); }))
        return;
    m_strJournalPath = NewJournalPath(m_strJournalFolder);
    m_strJournalPart = m_strJournalPath + u".part";
    m_bJournalOk = m_journalLock.TryLock(m_strJournalPart) && m_journal.Create(m_strJournalPart);
    constexpr size_t kPiece = size_t(1) << 20;
    std::string text;
    text.reserve(kPiece + 4096);
    AppendJournalHeader(text);
    for (const CFolderPlan& plan : m_aPlans) {
        for (size_t next = 0; m_bJournalOk && next < plan.Moving().size();) {
            next = plan.AppendJournalMoves(text, next, kPiece);
            if (text.size() < kPiece) continue;
            m_bJournalOk = m_journal.Write(text);
            text.clear();
        }
    }
    m_bJournalOk = m_bJournalOk && m_journal.Write(text);
    m_journal.StartFlush();
}

void CRenameRun::DropJournal()
{
    if (m_strJournalPath.empty()) return;
    m_journal.Finish(false);
    RemoveFile(m_strJournalPart);
}

// Once per folder, before anything moves: the names the folder's files will
// have afterwards must all differ.
CStop CRenameRun::CheckCollisions()
{
    for (const CFolderPlan& plan : m_aPlans) {
        std::optional<std::u16string> name = plan.FindCollision();
        if (!name) continue;
        DropJournal();
        const ENamePolicy policy = m_ePolicy;
        m_rows.Report(u"文件改名设置中，文件夹“" + NameKey(plan.Folder(), policy) + u"”将存在两个或多个相同的文件“" +
                          NameKey(*name, policy) + u"”，改名操作无法进行",
                      u"文件同名");
        return kRenameCollision;
    }
    return std::nullopt;
}

void CRenameRun::Plan()
{
    for (CFolderPlan& plan : m_aPlans) plan.PlanMoves();
}

// The journal, parking names included, reaches the disk before the first move.
CStop CRenameRun::FinishJournal()
{
    if (m_strJournalPath.empty()) return std::nullopt;
    std::string temps;
    for (const CFolderPlan& plan : m_aPlans) plan.AppendJournalTemps(temps);
    if (!temps.empty()) m_bJournalOk = m_journal.Write(temps) && m_bJournalOk;
    m_bJournalOk = m_journal.Finish() && m_bJournalOk && PublishFile(m_strJournalPart, m_strJournalPath);
    if (m_bJournalOk) return std::nullopt;
    RemoveFile(m_strJournalPart);
    m_rows.Report(u"无法写入改名记录文件“" + m_strJournalPath + u"”，为避免文件丢失，改名操作没有进行。", u"无法改名");
    return kRenameJournalFailed;
}

// Before a folder's first move over a placeholder, the journal's note names
// the folder: recover then knows an empty file there may be one.
bool CRenameRun::NotePlaceholders(const std::u16string& folder)
{
    if (m_strJournalPath.empty()) return false;
    m_aPlaceholderFolders.push_back(folder);
    if (WritePlaceholderNote(m_strJournalPath, m_aPlaceholderFolders)) return true;
    m_aPlaceholderFolders.pop_back();
    return false;
}

void CRenameRun::Execute()
{
    m_aOutcomes.reserve(m_aPlans.size());
    for (const CFolderPlan& plan : m_aPlans) m_aOutcomes.push_back(m_executor.Run(plan));
}

void CRenameRun::ApplyOutcomes()
{
    CRenameSummary& summary = m_summary;
    for (size_t p = 0; p < m_aPlans.size(); ++p) {
        const CFolderPlan& plan = m_aPlans[p];
        const CFolderOutcome& outcome = m_aOutcomes[p];
        for (size_t r = 0; r < plan.Rows().size(); ++r) {
            const size_t row = plan.Rows()[r].m_nListRow;
            if (outcome.m_aRows[r] == ERowOutcome::Failed) {
                m_rows.NotRenamed(row);
                ++summary.m_nFailed;
                summary.m_aFailures.push_back({row, outcome.m_aReasons[r]});
            } else {
                m_rows.Renamed(row);
                ++summary.m_nRenamed;
            }
        }
        summary.m_nLeftTemporary += outcome.m_nLeftTemporary;
    }
    // Plans go folder by folder; the user reads the failures in list order.
    std::sort(summary.m_aFailures.begin(), summary.m_aFailures.end(),
              [](const CRowFailure& a, const CRowFailure& b) { return a.m_nRow < b.m_nRow; });
    constexpr size_t kDetailLines = 100;
    for (size_t i = 0; i < summary.m_aFailures.size() && i < kDetailLines; ++i) {
        const CRowFailure& failure = summary.m_aFailures[i];
        summary.m_strDetails += m_rows.OldName(failure.m_nRow);
        summary.m_strDetails += u"：" + MoveFailureText(failure.m_eReason) + u"\n";
    }
    if (summary.m_aFailures.size() > kDetailLines) summary.m_strDetails += u"……\n";
    summary.m_nMoves = m_executor.Moves();
}

// The moves that really happened go to the history that undo reads, while
// the folders are still held. A run that left a file parked is for recover.
void CRenameRun::RecordHistory()
{
    if (!m_options.m_bKeepHistory || m_summary.m_nLeftTemporary > 0) return;
    std::string done;
    AppendJournalHeader(done);
    const size_t header = done.size();
    for (size_t p = 0; p < m_aPlans.size(); ++p) AppendDoneMoves(done, m_aPlans[p], m_aOutcomes[p]);
    if (done.size() > header && !RecordRenameHistory(m_strJournalFolder, done)) {
        MarkUnrecordedRun(m_strJournalFolder);
        m_summary.m_bUnrecorded = true;
    }
}

// The journal goes once every file is under its old or its new name; it
// stays for recover while a file is left under a parking name.
void CRenameRun::CloseJournal()
{
    if (m_strJournalPath.empty()) return;
    CRenameSummary& summary = m_summary;
    if (summary.m_nLeftTemporary == 0) {
        RemoveFile(m_strJournalPath);
        if (!m_aPlaceholderFolders.empty()) RemoveFile(PlaceholderNotePath(m_strJournalPath));
    } else
        summary.m_strJournal = m_strJournalPath;
}

int CRenameRun::Report()
{
    const CRenameSummary& summary = m_summary;
    const std::u16string unrecorded =
        summary.m_bUnrecorded ? u"\n这次改名未能写入改名历史（磁盘空间不足？），无法撤销。" : u"";
    if (summary.m_nFailed == 0) {
        m_rows.Report(u"文件批量改名操作成功完成！" + unrecorded, u"成功完成");
        return kRenameDone;
    }
    if (m_options.m_pCancel && m_options.m_pCancel->load() && summary.m_nLeftTemporary == 0) {
        m_rows.Report(u"改名操作已取消：已改名" + FormatInt(static_cast<long long>(summary.m_nRenamed)) +
                          u"个文件，其余" + FormatInt(static_cast<long long>(summary.m_nFailed)) +
                          u"个文件没有改动，它们在列表中的状态为“未处理”。" + unrecorded,
                      u"改名已取消");
        return kRenamePartly;
    }
    std::u16string text = u"文件批量改名操作已结束，其中" + FormatInt(static_cast<long long>(summary.m_nFailed)) +
                          u"个文件未能改名，它们在列表中的状态为“未处理”。";
    if (summary.m_nLeftTemporary > 0)
        text += u"\n另有" + FormatInt(static_cast<long long>(summary.m_nLeftTemporary)) +
                u"个文件未能恢复原名，仍使用临时名称；改名记录保存在“" + summary.m_strJournal +
                u"”，可以用“kqtools-cli recover”恢复。";
    m_rows.Report(text + unrecorded, u"改名未全部完成");
    return kRenamePartly;
}

}  // namespace

}  // namespace kq
