#include "renamer/safety/RowProblems.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "platform/Crt.h"
#include "platform/Text.h"
#include "renamer/list/FileNameList.h"

namespace kq {

namespace {

// The problems found by name alone that keep a row's file where it is.
bool StaysByName(ERowProblem problem)
{
    return problem == ERowProblem::Failed || problem == ERowProblem::Invalid || problem == ERowProblem::Empty ||
           problem == ERowProblem::TooLong;
}

// The run refuses the nine characters in any row; a control character is
// refused in a name the row would give (a file may already have one).
bool HasRefusedCharacter(std::u16string_view name, bool controlsToo)
{
    // One table look-up a character: long names make this the hot loop.
    struct CTables {
        bool m_aRefused[2][128] = {};
        CTables()
        {
            for (char16_t c : CFileNameList::InvalidNameCharacters()) m_aRefused[0][c] = m_aRefused[1][c] = true;
            for (char16_t c = 0; c < 0x20; ++c) m_aRefused[1][c] = true;
        }
    };
    static const CTables tables;
    const bool* refused = tables.m_aRefused[controlsToo ? 1 : 0];
    for (char16_t c : name)
        if (c < 128 && refused[c]) return true;
    return false;
}

}  // namespace

std::string_view RowProblemWord(ERowProblem problem)
{
    static constexpr std::string_view words[kRowProblemKinds] = {
        "", "failed", "invalid", "empty", "too-long", "collision", "exists", "hidden", "unchanged"};
    const size_t i = static_cast<size_t>(problem);
    return i < kRowProblemKinds ? words[i] : std::string_view();
}

namespace {

// The kinds' short texts, by ERowProblem.
const char16_t* const kProblemTexts[kRowProblemKinds] = {u"",         u"表达式出错", u"含非法字符",   u"名称为空",
                                                         u"名称过长", u"名称重复",   u"已有同名文件", u"将成为隐藏文件",
                                                         u"名称未变"};

}  // namespace

std::u16string RowProblemText(ERowProblem problem, size_t otherRow)
{
    const size_t i = static_cast<size_t>(problem);
    if (i >= kRowProblemKinds) return {};
    std::u16string text = kProblemTexts[i];
    if (problem == ERowProblem::Collision && otherRow != kNoName)
        text += u"（第" + FormatInt(static_cast<long long>(otherRow) + 1) + u"行）";
    return text;
}

std::u16string CRowProblems::SummaryText() const
{
    size_t total = 0;
    std::u16string kinds;
    for (size_t k = 1; k < kRowProblemKinds; ++k) {
        if (static_cast<ERowProblem>(k) == ERowProblem::Unchanged || m_aCount[k] == 0) continue;
        total += m_aCount[k];
        if (!kinds.empty()) kinds += u"，";
        kinds += kProblemTexts[k] + FormatInt(static_cast<long long>(m_aCount[k])) + u"行";
    }
    if (total == 0) return {};
    return u"列表中有" + FormatInt(static_cast<long long>(total)) + u"行存在问题：" + kinds + u"。";
}

ERowProblem NameProblem(std::u16string_view oldName, std::u16string_view newName, bool failed, const CNameRules& rules,
                        std::string& scratch)
{
    if (failed) return ERowProblem::Failed;
    // The name goes to the disk without trailing dots and spaces.
    const std::u16string_view stored = StoredFileName(newName);
    if (HasRefusedCharacter(newName, stored != oldName)) return ERowProblem::Invalid;
    if (stored.empty()) return ERowProblem::Empty;
    size_t length = stored.size();
    if (rules.m_bLimitInBytes && length * 3 > rules.m_nNameLimit) {
        scratch.clear();
        AppendNativeName(scratch, stored);
        length = scratch.size();
    }
    if (length > rules.m_nNameLimit) return ERowProblem::TooLong;
    if (stored == oldName) return ERowProblem::Unchanged;
    if (rules.m_bDotHides && stored[0] == u'.' && (oldName.empty() || oldName[0] != u'.')) return ERowProblem::Hidden;
    return ERowProblem::None;
}

CRowProblems::CRowProblems(ENamePolicy policy, CNameRules rules) : m_ePolicy(policy), m_rules(rules) {}

size_t CRowProblems::OtherRow(size_t row) const
{
    if (Problem(row) != ERowProblem::Collision || m_aOther[row] == kNoRow) return kNoName;
    return m_aOther[row];
}

size_t CRowProblems::BlockingCount() const
{
    size_t n = 0;
    for (size_t k = 0; k < kRowProblemKinds; ++k)
        if (IsBlockingProblem(static_cast<ERowProblem>(k))) n += m_aCount[k];
    return n;
}

size_t CRowProblems::FirstRow(ERowProblem problem) const
{
    if (Count(problem) == 0) return kNoName;
    const auto found = std::find(m_aProblem.begin(), m_aProblem.end(), problem);
    return found == m_aProblem.end() ? kNoName : static_cast<size_t>(found - m_aProblem.begin());
}

// Groups the rows by folder (folders the policy calls equal are one), reads
// each folder once and finds the file of every row.
void CRowProblems::ReadFolders(const CFileNameList& list)
{
    m_aFolders.clear();
    const size_t count = static_cast<size_t>(list.GetItemCount());
    std::unordered_map<std::u16string, size_t> folderOfKey;
    // Rows come folder by folder, and one folder's rows share its text.
    const std::u16string* lastText = nullptr;
    size_t lastFolder = 0;
    for (size_t r = 0; r < count; ++r) {
        const std::u16string& text = list.GetText(static_cast<int>(r), kColFolder);
        if (&text != lastText) {
            lastText = &text;
            auto found = folderOfKey.try_emplace(NameKey(text, m_ePolicy), m_aFolders.size());
            if (found.second) m_aFolders.push_back({text, {}, {}, {}, {}, true});
            lastFolder = found.first->second;
        }
        m_aFolders[lastFolder].m_aRows.push_back(static_cast<uint32_t>(r));
    }
    for (CFolder& folder : m_aFolders) {
        const std::vector<uint32_t>& rows = folder.m_aRows;
        std::vector<size_t> rowOfEntry;
        {
            // The folder as read, and the table to match rows with, only
            // while the rows are matched.
            const CFolderEntries entries =
                ReadFolderEntries(folder.m_strFolder, rows.size() + rows.size() / 8 + 16,
                                  list.GetText(static_cast<int>(rows[0]), kColOldName).size() + 4);
            CNameTable existing(
                m_ePolicy, [&](size_t e) { return entries.Name(e); }, entries.Count());
            for (size_t e = 0; e < entries.Count(); ++e) existing.Insert(e);
            std::vector<size_t> entryOfRow;
            MatchEntryRows(
                entries, rows.size(),
                [&](size_t i) { return std::u16string_view(list.GetText(int(rows[i]), kColOldName)); },
                [&](std::u16string_view name) { return existing.Find(name); }, rowOfEntry, entryOfRow);
            size_t others = 0;
            for (size_t r : rowOfEntry) others += r == kNoName;
            folder.m_others.Reserve(others, 16);
            folder.m_aOtherHash.reserve(others);
            folder.m_aOrder.resize(rowOfEntry.size());
            for (size_t e = 0; e < rowOfEntry.size(); ++e) {
                if (rowOfEntry[e] != kNoName) {
                    folder.m_aOrder[e] = rows[rowOfEntry[e]];
                    continue;
                }
                folder.m_aOrder[e] = kOtherEntry | static_cast<uint32_t>(folder.m_others.Count());
                folder.m_others.Add(entries.Name(e), entries.IsDirectory(e), 0);
                folder.m_aOtherHash.push_back(static_cast<uint32_t>(HashName(entries.Name(e), m_ePolicy)));
            }
        }
    }
    m_aNameHash.assign(count, 0);
    m_aNameProblem.assign(count, ERowProblem::None);
    m_aAfterHash.assign(count, 0);
    m_aProblem.assign(count, ERowProblem::None);
    m_aOther.assign(count, kNoRow);
}

struct CRowProblems::CFolderView {
    const CFolder& m_folder;
    const CFileNameList& m_list;
    size_t Count() const { return m_folder.m_aOrder.size(); }
    bool IsOther(size_t e) const { return (m_folder.m_aOrder[e] & kOtherEntry) != 0; }
    // The list row of a row's file.
    uint32_t Row(size_t e) const { return m_folder.m_aOrder[e]; }
    uint32_t Other(size_t e) const { return m_folder.m_aOrder[e] & ~kOtherEntry; }
    bool IsDirectory(size_t e) const { return IsOther(e) && m_folder.m_others.IsDirectory(Other(e)); }
    std::u16string_view Name(size_t e) const
    {
        return IsOther(e) ? m_folder.m_others.Name(Other(e))
                          : std::u16string_view(m_list.GetText(static_cast<int>(Row(e)), kColOldName));
    }
};

// The rename's clash rule over the names the folder's entries have
// afterwards; folders that stay count as holders too.
void CRowProblems::CheckClashes(const CFileNameList& list, const CFolder& folder)
{
    for (uint32_t r : folder.m_aRows) {
        m_aOther[r] = kNoRow;
        m_aProblem[r] = m_aNameProblem[r];
    }
    const CFolderView entries{folder, list};
    // The row whose file the entry is, or kNoRow.
    auto rowOf = [&](size_t e) { return entries.IsOther(e) ? kNoRow : entries.Row(e); };
    auto nameAfter = [&](size_t e) -> std::u16string_view {
        const uint32_t r = rowOf(e);
        if (r == kNoRow || StaysByName(m_aNameProblem[r])) return entries.Name(e);
        return StoredFileName(list.GetText(static_cast<int>(r), kColNewName));
    };
    auto mark = [&](uint32_t r, uint32_t other) {
        if (r == kNoRow || StaysByName(m_aNameProblem[r])) return;
        if (other == kNoRow) {
            if (m_aProblem[r] != ERowProblem::Collision) m_aProblem[r] = ERowProblem::Exists;
            return;
        }
        m_aProblem[r] = ERowProblem::Collision;
        if (m_aOther[r] == kNoRow) m_aOther[r] = other;
    };
    auto hashAfter = [&](size_t e) -> uint64_t {
        if (entries.IsOther(e)) return folder.m_aOtherHash[entries.Other(e)];
        const uint32_t r = entries.Row(e);
        if (StaysByName(m_aNameProblem[r])) return static_cast<uint32_t>(HashName(entries.Name(e), m_ePolicy));
        return m_aAfterHash[r];
    };
    ForEachNameClashHashed(m_ePolicy, entries, nameAfter, hashAfter, true, [&](size_t e, size_t holder) {
        const uint32_t r = rowOf(e);
        const uint32_t h = entries.IsDirectory(holder) ? kNoRow : rowOf(holder);
        mark(r, h);
        mark(h, r);
        return true;
    });
}

size_t CRowProblems::CheckNames(const CFileNameList& list, const std::vector<uint32_t>& rows)
{
    // Each row is written only by the thread that has its range.
    auto check = [&](size_t begin, size_t end) {
        std::string scratch;
        size_t changed = 0;
        for (size_t i = begin; i < end; ++i) {
            const uint32_t r = rows[i];
            const int row = static_cast<int>(r);
            const std::u16string& newName = list.GetText(row, kColNewName);
            const bool failed = list.IsNameFailed(row);
            const uint64_t hash = HashName(newName, ENamePolicy::ExactCase, failed ? 1 : 0);
            if (hash == m_aNameHash[r]) continue;
            m_aNameHash[r] = hash;
            m_aNameProblem[r] = NameProblem(list.GetText(row, kColOldName), newName, failed, m_rules, scratch);
            // The name as stored is usually the name itself: under the exact
            // policy the hash just made is then its hash too.
            const std::u16string_view stored = StoredFileName(newName);
            const bool same = m_ePolicy == ENamePolicy::ExactCase && !failed && stored.size() == newName.size();
            m_aAfterHash[r] = static_cast<uint32_t>(same ? hash : HashName(stored, m_ePolicy));
            ++changed;
        }
        return changed;
    };
    // A large folder is checked on every core: a keystroke changes every name.
    const size_t count = rows.size();
    const size_t threads =
        std::clamp<size_t>(count / m_nRowsPerThread, 1, std::max(1u, std::thread::hardware_concurrency()));
    std::vector<size_t> changed(threads, 0);
    std::vector<std::thread> workers;
    size_t started = 1;
    try {
        for (; started < threads; ++started)
            workers.emplace_back(
                [&, t = started] { changed[t] = check(count * t / threads, count * (t + 1) / threads); });
    } catch (const std::system_error&) {
        // No more threads: this one checks the ranges left.
    }
    changed[0] = check(0, count / threads);
    for (size_t t = started; t < threads; ++t) changed[t] = check(count * t / threads, count * (t + 1) / threads);
    for (std::thread& w : workers) w.join();
    size_t total = 0;
    for (size_t n : changed) total += n;
    return total;
}

void CRowProblems::Update(const CFileNameList& list)
{
    const size_t count = static_cast<size_t>(list.GetItemCount());
    if (list.RowsVersion() != m_nRowsVersion || count != m_aProblem.size()) {
        ReadFolders(list);
        m_nRowsVersion = list.RowsVersion();
        // Every row is checked: no hash is remembered yet.
        for (CFolder& folder : m_aFolders) folder.m_bDirty = true;
        std::fill(m_aNameHash.begin(), m_aNameHash.end(), ~uint64_t(0));
    }
    m_nChecked = 0;
    for (CFolder& folder : m_aFolders) {
        const size_t changed = CheckNames(list, folder.m_aRows);
        m_nChecked += changed;
        if (changed > 0) folder.m_bDirty = true;
        if (!folder.m_bDirty) continue;
        CheckClashes(list, folder);
        folder.m_bDirty = false;
    }
    m_aCount.fill(0);
    for (ERowProblem p : m_aProblem) ++m_aCount[static_cast<size_t>(p)];
}

}  // namespace kq
