// ExecuteRename: checks, then moves every file once where it can.
//
// A new name goes to the file system as it would be stored there: without
// trailing dots and spaces (see StoredFileName), so the checks, the moves and
// the journal all use that name while the list shows the computed one.
//
// Per folder the rows form a partial permutation of names (the collision
// check guarantees no two files end under one name), so the moves split into
// chains that end at a free name and cycles. A chain runs from its free end,
// so each target is free when its move runs; only a cycle passes one file
// through a temporary name. A move never replaces a file, and a failed move
// leaves every file of its cycle under its old name.
#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <unordered_map>

#include "platform/AtomicFile.h"
#include "platform/Crt.h"
#include "platform/FileSystem.h"
#include "platform/Prompt.h"
#include "platform/Text.h"
#include "renamer/list/FileNameList.h"
#include "renamer/list/NameTable.h"
#include "renamer/list/RenameHistory.h"
#include "renamer/list/RenameJournal.h"

namespace kq {

namespace {

// Names that can never be a file's name here.
bool UsableName(std::u16string_view name)
{
    return !name.empty() && name != u"." && name != u".." && name.find(u'\0') == std::u16string_view::npos;
}

struct CStep {
    size_t m_nRow;  // list row
    size_t m_nOld;  // its old and new names in the folder's native names
    size_t m_nNew;
};

// A chain or a cycle: a range of the folder's steps, in execution order.
struct CJob {
    size_t m_nFirst = 0;
    size_t m_nCount = 0;
    uint64_t m_nNode = 0;  // node of the first file, the order jobs run in
    size_t m_nTemp = static_cast<size_t>(-1);  // a cycle's parking name (in the native names)
};

struct CFolderWork {
    std::u16string m_strFolder;
    std::vector<size_t> m_aRows;
    std::u16string m_strPool;              // the folder's entry names, one after another
    std::vector<size_t> m_aNameEnd;        // end of each entry's name in the pool
    std::vector<uint64_t> m_aNodes;
    std::vector<char> m_aIsDir;
    std::u16string_view Name(size_t e) const
    {
        size_t begin = e == 0 ? 0 : m_aNameEnd[e - 1];
        return std::u16string_view(m_strPool).substr(begin, m_aNameEnd[e] - begin);
    }
    CNativeNames m_names;      // the names the moves use, converted once
    std::vector<CStep> m_aMoving;  // the rows that move, in list order
    std::vector<CStep> m_aSteps;   // the same in execution order
    std::vector<CJob> m_aJobs;
};

// Names for the per-folder tables: an entry's name as it is now.
struct CEntryName {
    const CFolderWork* m_pWork;
    std::u16string_view operator()(size_t e) const { return m_pWork->Name(e); }
};

enum ERowOutcome : char { kRowFailed = 0, kRowDone = 1 };

}  // namespace

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
        GetPromptProvider().AskYesNo(u"文件改名操作无法撤销，确实需要批量修改列表中文件名称吗？", u"确认改名") !=
            EPromptAnswer::Yes)
        return kRenameDeclined;

    const std::u16string& invalid = InvalidNameCharacters();
    // All of them are ASCII: one table look-up a character.
    bool refused[128] = {};
    for (char16_t c : invalid) refused[c] = true;
    auto holdsInvalid = [&](const std::u16string& name) {
        for (char16_t c : name)
            if (c < 128 && refused[c]) return true;
        return false;
    };
    for (const CRow& row : m_aRows) {
        if (holdsInvalid(row.m_strNew)) {
            Report(u"文件名称中含有以下非法字符：\n" + invalid, u"名称非法");
            return kRenameInvalidName;
        }
    }

    // Group the rows by folder, in order of first appearance. A folder is
    // known by its identity, not its text: the same folder reached through a
    // link or a bind mount is read, checked and renamed once.
    std::vector<CFolderWork> work;
    std::vector<CFileId> workId;
    {
        std::map<std::pair<uint64_t, uint64_t>, size_t> groupOfId;
        std::vector<size_t> groupOfFolder(m_aFolders.size(), kNoName);
        for (size_t r = 0; r < m_aRows.size(); ++r) {
            const uint32_t f = m_aRows[r].m_nFolder;
            if (groupOfFolder[f] == kNoName) {
                CFileId id;
                // A folder that cannot be read gets a group of its own (its
                // rows then fail); its key cannot meet a real identity.
                if (!GetFileId(m_aFolders[f].m_strText, true, id)) id = {~uint64_t(0), m_aFolders[f].m_nKeyId};
                auto found = groupOfId.try_emplace({id.m_nDevice, id.m_nNode}, work.size());
                if (found.second) {
                    work.emplace_back();
                    work.back().m_strFolder = m_aFolders[f].m_strText;
                    workId.push_back(id);
                }
                groupOfFolder[f] = found.first->second;
            }
            work[groupOfFolder[f]].m_aRows.push_back(r);
        }
    }

    // One run at a time per folder: a lock per folder identity, held until
    // the run ends (the system drops it when the process dies).
    const std::u16string journalFolder =
        options.m_strJournalFolder.empty() ? DefaultJournalFolder() : options.m_strJournalFolder;
    std::vector<std::unique_ptr<CFileLock>> folderLocks;
    if (!CreateFolder(journalFolder)) {
        Report(u"无法写入改名记录文件夹“" + journalFolder + u"”，为避免文件丢失，改名操作没有进行。", u"无法改名");
        return kRenameJournalFailed;
    }
    for (size_t g = 0; g < work.size(); ++g) {
        if (workId[g].m_nDevice == ~uint64_t(0)) continue;
        auto lock = std::make_unique<CFileLock>();
        if (!lock->TryLock(FolderLockPath(journalFolder, workId[g].m_nDevice, workId[g].m_nNode))) {
            Report(u"文件夹“" + work[g].m_strFolder + u"”正在由另一个改名操作处理，请等它结束后再试。", u"无法改名");
            return kRenameBusy;
        }
        folderLocks.push_back(std::move(lock));
    }

    // Read every folder and find the files that move. Their moves go to the
    // journal at once, so that the disk writes it while the plan is made.
    using NativeText = std::basic_string_view<CNativeNames::NativeChar>;
    std::vector<CNameTable<CEntryName>> existing;  // per folder: entry name -> entry
    std::vector<std::vector<size_t>> rowOfEntry(work.size());  // per folder: entry -> its list row
    existing.reserve(work.size());
    constexpr size_t kNone = kNoName;
    std::vector<size_t> entryOfRow(m_aRows.size(), kNone);
    std::vector<char> outcome(m_aRows.size(), kRowFailed);
    std::string journalText;
    for (size_t g = 0; g < work.size(); ++g) {
        CFolderWork& w = work[g];
        // Room for the folder's rows and a few more entries.
        const size_t expected = w.m_aRows.size() + w.m_aRows.size() / 8 + 16;
        w.m_strPool.reserve(expected * (m_aRows[w.m_aRows[0]].m_strOld.size() + 4));
        w.m_aNameEnd.reserve(expected);
        w.m_aNodes.reserve(expected);
        w.m_aIsDir.reserve(expected);
        ForEachFolderEntryId(w.m_strFolder, [&](std::u16string_view name, bool isDirectory, uint64_t node) {
            if (name == u"." || name == u"..") return true;
            w.m_strPool.append(name);
            w.m_aNameEnd.push_back(w.m_strPool.size());
            w.m_aNodes.push_back(node);
            w.m_aIsDir.push_back(isDirectory ? 1 : 0);
            return true;
        });
        const size_t count = w.m_aNameEnd.size();
        existing.emplace_back(m_ePolicy, CEntryName{&w}, count);
        CNameTable<CEntryName>& entries = existing.back();
        for (size_t e = 0; e < count; ++e) entries.Insert(e);
        std::vector<size_t>& rowOf = rowOfEntry[g];
        rowOf.assign(count, kNone);
        for (size_t r : w.m_aRows) {
            size_t e = entries.Find(m_aRows[r].m_strOld);
            // A second row naming the same file (only possible through
            // SetText) never moves it.
            if (e != kNone && rowOf[e] == kNone && !w.m_aIsDir[e]) {
                rowOf[e] = r;
                entryOfRow[r] = e;
            }
        }

        w.m_names.Reserve(2 * w.m_aRows.size(), m_aRows[w.m_aRows[0]].m_strOld.size());
        w.m_aMoving.reserve(w.m_aRows.size());
        for (size_t r : w.m_aRows) {
            const CRow& row = m_aRows[r];
            const std::u16string_view stored = StoredFileName(row.m_strNew);
            if (stored == row.m_strOld) {
                outcome[r] = kRowDone;  // nothing to move, the name is already right
                continue;
            }
            if (entryOfRow[r] == kNone || !UsableName(stored)) continue;  // fails, stays
            w.m_aMoving.push_back({r, w.m_names.Add(row.m_strOld), w.m_names.Add(stored)});
        }
        if (w.m_aMoving.empty()) continue;
        if (journalText.empty()) {
            journalText.reserve(m_aRows.size() * 48);
            AppendJournalHeader(journalText);
        }
        AppendJournalFolder(journalText, w.m_strFolder);
        for (const CStep& step : w.m_aMoving)
            AppendJournalMove(journalText, w.m_aNodes[entryOfRow[step.m_nRow]], NativeText(w.m_names.Get(step.m_nOld)),
                              NativeText(), NativeText(w.m_names.Get(step.m_nNew)));
    }

    // The journal is written under a working name and published whole once
    // it is on the disk: a journal is never seen cut short. Its lock (held
    // on the file itself) tells recover that the run is alive.
    std::u16string journalPath;
    std::u16string journalPart;
    CFileLock journalLock;
    CDurableFile journal;
    bool journalOk = true;
    if (!journalText.empty()) {
        journalPath = NewJournalPath(journalFolder);
        journalPart = journalPath + u".part";
        journalOk = journalLock.TryLock(journalPart) && journal.Create(journalPart) && journal.Write(journalText);
        journal.StartFlush();
        std::string().swap(journalText);
    }
    auto dropJournal = [&]() {
        if (journalPath.empty()) return;
        journal.Finish(false);
        RemoveFile(journalPart);
    };

    // Collision check, once per folder, before anything moves: the names the
    // folder's files will have afterwards must all differ.
    for (size_t g = 0; g < work.size(); ++g) {
        CFolderWork& w = work[g];
        const std::vector<size_t>& rowOf = rowOfEntry[g];
        auto after = [&](size_t e) {
            if (rowOf[e] == kNone) return w.Name(e);
            // A row whose name cannot be used fails alone and keeps its name.
            const std::u16string_view stored = StoredFileName(m_aRows[rowOf[e]].m_strNew);
            return UsableName(stored) ? stored : w.Name(e);
        };
        const size_t count = w.m_aNameEnd.size();
        CNameTable future(m_ePolicy, after, count);
        for (size_t e = 0; e < count; ++e) {
            if (w.m_aIsDir[e]) continue;
            if (!future.Insert(e)) {
                dropJournal();
                std::u16string text = u"文件改名设置中，文件夹“" + NameKey(w.m_strFolder, m_ePolicy) +
                                      u"”将存在两个或多个相同的文件“" + NameKey(after(e), m_ePolicy) + u"”，改名操作无法进行";
                Report(text, u"文件同名");
                return kRenameCollision;
            }
        }
    }

    // Plan the moves of every folder.
    std::vector<size_t> movingIndex(m_aRows.size(), kNone);  // list row -> index in its folder's moving
    std::string tempText;  // parking names, added to the journal
    for (size_t g = 0; g < work.size(); ++g) {
        CFolderWork& w = work[g];
        const std::vector<CStep>& moving = w.m_aMoving;
        const size_t n = moving.size();
        if (n == 0) continue;
        const CNameTable<CEntryName>& entries = existing[g];
        const std::vector<size_t>& rowOf = rowOfEntry[g];
        for (size_t m = 0; m < n; ++m) movingIndex[moving[m].m_nRow] = m;
        std::vector<size_t> pred(n, kNone);
        std::vector<char> state(n, 0);  // 1 free end, 2 blocked, 3 has a successor
        for (size_t m = 0; m < n; ++m) {
            size_t e = entries.Find(StoredFileName(m_aRows[moving[m].m_nRow].m_strNew));
            size_t next = e == kNone || rowOf[e] == kNone ? kNone : movingIndex[rowOf[e]];
            if (next != kNone) {
                if (pred[next] == kNone) {
                    pred[next] = m;
                    state[m] = 3;
                } else {
                    state[m] = 2;  // two rows aim at one name; cannot happen after the check
                }
            } else {
                state[m] = e != kNone ? 2 : 1;  // held by a file or folder that stays, or free
            }
        }
        // placed: 0 not yet, 1 in a job that runs, 2 in a blocked chain.
        std::vector<char> placed(n, 0);
        w.m_aSteps.reserve(n);
        w.m_aJobs.reserve(n);
        auto addJob = [&](size_t m, char mark) {
            CJob job;
            job.m_nFirst = w.m_aSteps.size();
            job.m_nNode = w.m_aNodes[entryOfRow[moving[m].m_nRow]];
            for (size_t k = m; k != kNone && !placed[k]; k = pred[k]) {
                placed[k] = mark;
                if (mark == 1) w.m_aSteps.push_back(moving[k]);
            }
            job.m_nCount = w.m_aSteps.size() - job.m_nFirst;
            return job;
        };
        for (size_t m = 0; m < n; ++m) {
            if (state[m] == 1) {
                w.m_aJobs.push_back(addJob(m, 1));
            } else if (state[m] == 2) {
                // A chain whose end is held by a file that stays: none of it moves.
                addJob(m, 2);
            }
        }
        // What is left are cycles: park the first file under a free temporary
        // name, shift the others along, bring the parked one in last.
        CNameTable targets(m_ePolicy, [&](size_t r) { return StoredFileName(m_aRows[r].m_strNew); });
        std::deque<std::u16string> tempNames;
        CNameTable temps(m_ePolicy, [&](size_t t) { return std::u16string_view(tempNames[t]); });
        bool anyCycle = false;
        for (size_t m = 0; m < n; ++m) {
            if (placed[m]) continue;
            if (!anyCycle) {
                anyCycle = true;
                targets.Reserve(n);
                for (const CStep& step : moving) targets.Insert(step.m_nRow);
                AppendJournalFolder(tempText, w.m_strFolder);
            }
            CJob job = addJob(m, 1);
            // "[kqt_tmp]+[name_<row>].kq-tmp", or the next free number.
            for (size_t number = moving[m].m_nRow;; ++number) {
                std::u16string temp = TemporaryName(number);
                if (entries.Contains(temp) || targets.Contains(temp) || temps.Contains(temp)) continue;
                job.m_nTemp = w.m_names.Add(temp);
                tempNames.push_back(std::move(temp));
                temps.Insert(tempNames.size() - 1);
                break;
            }
            AppendJournalTemp(tempText, NativeText(w.m_names.Get(moving[m].m_nOld)), NativeText(w.m_names.Get(job.m_nTemp)));
            w.m_aJobs.push_back(job);
        }
        // Independent jobs run in inode order: consecutive moves then update
        // neighbouring inodes, which the file system writes back together.
        std::sort(w.m_aJobs.begin(), w.m_aJobs.end(),
                  [](const CJob& a, const CJob& b) { return a.m_nNode < b.m_nNode; });
    }

    // The journal, parking names included, reaches the disk before the first move.
    if (!journalPath.empty()) {
        if (!tempText.empty()) journalOk = journal.Write(tempText) && journalOk;
        journalOk = journal.Finish() && journalOk && PublishFile(journalPart, journalPath);
        if (!journalOk) {
            RemoveFile(journalPart);
            Report(u"无法写入改名记录文件“" + journalPath + u"”，为避免文件丢失，改名操作没有进行。", u"无法改名");
            return kRenameJournalFailed;
        }
    }

    size_t moves = 0;
    auto moved = [&]() {
        ++moves;
        if (options.m_pfnAfterMove) options.m_pfnAfterMove(moves);
    };
    std::vector<std::pair<size_t, size_t>> done;  // a cycle's moves so far, from -> to
    for (CFolderWork& w : work) {
        if (w.m_aJobs.empty()) continue;
        CFolderHandle folder;
        if (!folder.Open(w.m_strFolder)) continue;
        const CNativeNames& names = w.m_names;
        for (const CJob& job : w.m_aJobs) {
            const CStep* steps = w.m_aSteps.data() + job.m_nFirst;
            if (job.m_nTemp == kNone) {
                // A chain: once a move fails, the files before it find their
                // targets still taken and stay too.
                for (size_t s = 0; s < job.m_nCount; ++s) {
                    if (!folder.MoveNoReplace(names, steps[s].m_nOld, steps[s].m_nNew)) break;
                    moved();
                    outcome[steps[s].m_nRow] = kRowDone;
                }
                continue;
            }
            // A cycle: every move made is remembered, so that a failure can
            // be undone backwards.
            done.clear();
            bool ok = folder.MoveNoReplace(names, steps[0].m_nOld, job.m_nTemp);
            if (ok) {
                moved();
                done.emplace_back(steps[0].m_nOld, job.m_nTemp);
            }
            for (size_t s = 1; ok && s < job.m_nCount; ++s) {
                ok = folder.MoveNoReplace(names, steps[s].m_nOld, steps[s].m_nNew);
                if (ok) {
                    moved();
                    done.emplace_back(steps[s].m_nOld, steps[s].m_nNew);
                }
            }
            if (ok) {
                ok = folder.MoveNoReplace(names, job.m_nTemp, steps[0].m_nNew);
                if (ok) {
                    moved();
                    for (size_t s = 0; s < job.m_nCount; ++s) outcome[steps[s].m_nRow] = kRowDone;
                    continue;
                }
            }
            // Put the cycle back as it was.
            size_t undone = done.size();
            while (undone > 0 && folder.MoveNoReplace(names, done[undone - 1].second, done[undone - 1].first)) {
                moved();
                --undone;
            }
            if (undone == 0) continue;
            // An undo failed: the moves still standing are real renames; the
            // parked file cannot leave its temporary name.
            for (size_t s = 1; s < undone; ++s) outcome[steps[s].m_nRow] = kRowDone;
            ++m_summary.m_nLeftTemporary;
        }
    }

    for (size_t r = 0; r < m_aRows.size(); ++r) {
        CRow& row = m_aRows[r];
        if (outcome[r] == kRowDone) {
            row.m_nStatus = kStatusDoneId;
            row.m_strOld = StoredFileName(row.m_strNew);
            ++m_summary.m_nRenamed;
        } else {
            row.m_nStatus = kStatusPendingId;
            ++m_summary.m_nFailed;
        }
    }
    m_bIndexDirty = true;
    m_summary.m_nMoves = moves;

    // History for undo: the moves that really happened, as journal text,
    // recorded while the folders are still held. A run that left a file
    // parked is for recover.
    if (options.m_bKeepHistory && m_summary.m_nLeftTemporary == 0) {
        std::string done;
        for (const CFolderWork& w : work) {
            bool folderWritten = false;
            for (const CStep& step : w.m_aMoving) {
                if (outcome[step.m_nRow] != kRowDone) continue;
                if (!folderWritten) {
                    if (done.empty()) AppendJournalHeader(done);
                    AppendJournalFolder(done, w.m_strFolder);
                    folderWritten = true;
                }
                AppendJournalMove(done, w.m_aNodes[entryOfRow[step.m_nRow]], NativeText(w.m_names.Get(step.m_nOld)),
                                  NativeText(), NativeText(w.m_names.Get(step.m_nNew)));
            }
        }
        RecordRenameHistory(journalFolder, done);
    }

    if (!journalPath.empty()) {
        if (m_summary.m_nLeftTemporary == 0)
            RemoveFile(journalPath);
        else
            m_summary.m_strJournal = journalPath;
    }

    if (m_summary.m_nFailed == 0) {
        Report(u"文件批量改名操作成功完成！", u"成功完成");
        return kRenameDone;
    }
    std::u16string text = u"文件批量改名操作已结束，其中" + FormatInt(static_cast<long long>(m_summary.m_nFailed)) +
                          u"个文件未能改名，它们在列表中的状态为“未处理”。";
    if (m_summary.m_nLeftTemporary > 0)
        text += u"\n另有" + FormatInt(static_cast<long long>(m_summary.m_nLeftTemporary)) +
                u"个文件未能恢复原名，仍使用临时名称；改名记录保存在“" + m_summary.m_strJournal +
                u"”，可以用“kqtools-cli recover”恢复。";
    Report(text, u"改名未全部完成");
    return kRenamePartly;
}

}  // namespace kq
