#include "renamer/list/FileNameList.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <set>
#include <utility>

#include "platform/Crt.h"
#include "platform/FileSystem.h"
#include "platform/Prompt.h"
#include "platform/Text.h"

namespace kq {

const std::u16string& MoveFailureText(EMoveFailure reason)
{
    static const std::u16string kTexts[] = {u"被文件系统拒绝", u"名称过长", u"文件已不存在", u"新文件名已被占用", u"文件已改变"};
    return kTexts[static_cast<size_t>(reason)];
}

const std::u16string kStatusPending = u"未处理";
const std::u16string kStatusDone = u"已处理";

namespace {
const std::u16string kEmpty;
}

const std::u16string& FileListColumnTitle(int column)
{
    static const std::u16string titles[kColCount] = {u"原文件名", u"新文件名", u"状态", u"目录"};
    return column >= 0 && column < kColCount ? titles[column] : kEmpty;
}

CFileNameList::CFileNameList(ENamePolicy policy) : m_ePolicy(policy), m_rowIndex(CRowHasher{policy}) {}

const std::u16string& CFileNameList::InvalidNameCharacters()
{
    static const std::u16string chars = u"*?:|\\/\"<>";
    return chars;
}

uint32_t CFileNameList::InternFolder(std::u16string_view folder)
{
    // Rows arrive folder by folder: the folder of the last row is the likely one.
    if (!m_aRows.empty()) {
        uint32_t last = m_aRows.back().m_nFolder;
        if (m_aFolders[last].m_strText == folder) return last;
    }
    std::u16string text(folder);
    auto found = m_mapFolderText.find(text);
    if (found != m_mapFolderText.end()) return found->second;
    auto key = m_mapFolderKey.try_emplace(NameKey(folder, m_ePolicy), static_cast<uint32_t>(m_mapFolderKey.size()));
    uint32_t index = static_cast<uint32_t>(m_aFolders.size());
    m_aFolders.push_back({text, key.first->second});
    m_mapFolderText.emplace(std::move(text), index);
    return index;
}

void CFileNameList::RebuildKeys(size_t capacity)
{
    m_rowIndex.Clear();
    m_rowIndex.Reserve(std::max(capacity, m_aRows.size()) + 1);
    m_bIndexDirty = false;
    // A row that repeats an earlier one (only through SetText) is not indexed:
    // look-ups find the first.
    for (size_t r = 0; r < m_aRows.size(); ++r) m_rowIndex.Insert(r, [this](size_t i) { return RowKey(i); });
}

const std::u16string& CFileNameList::GetText(int row, int column) const
{
    if (row < 0 || row >= GetItemCount()) return kEmpty;
    const CRow& r = m_aRows[static_cast<size_t>(row)];
    switch (column) {
    case kColOldName: return r.m_strOld;
    case kColNewName: return r.m_strNew;
    case kColStatus: return m_aStatusTexts[r.m_nStatus];
    case kColFolder: return m_aFolders[r.m_nFolder].m_strText;
    default: return kEmpty;
    }
}

void CFileNameList::SetText(int row, int column, std::u16string_view text)
{
    if (row < 0 || row >= GetItemCount()) return;
    CRow& r = m_aRows[static_cast<size_t>(row)];
    switch (column) {
    case kColOldName:
        r.m_strOld.assign(text);
        RowsChanged();
        break;
    case kColNewName:
        if (!r.m_bEdited) {
            r.m_strNew.assign(text);
            r.m_nFailure = 0;
        }
        break;
    case kColStatus: r.m_nStatus = InternStatus(text); break;
    case kColFolder:
        r.m_nFolder = InternFolder(text);
        RowsChanged();
        break;
    default: break;
    }
}

void CFileNameList::SetNameFailed(int row, std::u16string_view reason)
{
    if (row < 0 || row >= GetItemCount()) return;
    std::u16string text(reason);
    // Id 0 means "not failed": even an empty reason gets an id of its own.
    if (text.empty()) text = u"无法计算新文件名";
    auto found = m_mapFailure.try_emplace(text, static_cast<uint32_t>(m_aFailureTexts.size()));
    if (found.second) m_aFailureTexts.push_back(std::move(text));
    m_aRows[static_cast<size_t>(row)].m_nFailure = found.first->second;
}

bool CFileNameList::IsNameFailed(int row) const
{
    return row >= 0 && row < GetItemCount() && m_aRows[static_cast<size_t>(row)].m_nFailure != 0;
}

const std::u16string& CFileNameList::NameFailure(int row) const
{
    if (row < 0 || row >= GetItemCount()) return kEmpty;
    return m_aFailureTexts[m_aRows[static_cast<size_t>(row)].m_nFailure];
}

void CFileNameList::SetEditedName(int row, std::u16string_view name)
{
    if (row < 0 || row >= GetItemCount()) return;
    CRow& r = m_aRows[static_cast<size_t>(row)];
    r.m_strNew.assign(name);
    r.m_nFailure = 0;  // the user's own name, not the page's
    r.m_bEdited = true;
}

bool CFileNameList::IsEdited(int row) const
{
    return row >= 0 && row < GetItemCount() && m_aRows[static_cast<size_t>(row)].m_bEdited;
}

size_t CFileNameList::ClearEdits()
{
    size_t cleared = 0;
    for (CRow& row : m_aRows) {
        cleared += row.m_bEdited;
        row.m_bEdited = false;
    }
    return cleared;
}

void CFileNameList::Reserve(size_t rows)
{
    m_aRows.reserve(rows);
    // Size the row index once instead of doubling it on the way.
    if (!m_bIndexDirty) m_rowIndex.Reserve(rows + 1);
}

uint32_t CFileNameList::InternStatus(std::u16string_view text)
{
    if (text == kStatusPending) return kStatusPendingId;
    if (text == kStatusDone) return kStatusDoneId;
    auto found = m_mapStatus.try_emplace(std::u16string(text), static_cast<uint32_t>(m_aStatusTexts.size()));
    if (found.second) m_aStatusTexts.emplace_back(text);
    return found.first->second;
}

bool CFileNameList::AddFile(std::u16string_view path)
{
    size_t pos = path.rfind(kPathSeparator);
    if (pos == std::u16string_view::npos) return false;
    return AddRow(path.substr(0, pos), path.substr(pos + 1));
}

bool CFileNameList::AddRow(std::u16string_view folder, std::u16string_view name)
{
    if (m_aRows.size() >= 0xFFFFFFF0u) return false;
    uint32_t folderIndex = InternFolder(folder);
    if (m_bIndexDirty) RebuildKeys();
    CRow row;
    row.m_strOld.assign(name);
    row.m_nFolder = folderIndex;
    m_aRows.push_back(std::move(row));
    ++m_nRowsVersion;
    // One hash for the look-up and the insertion: a row already listed is
    // refused by the index and taken back.
    if (!m_rowIndex.Insert(m_aRows.size() - 1, [this](size_t r) { return RowKey(r); })) {
        m_aRows.pop_back();
        return false;
    }
    return true;
}

bool CFileNameList::ListingLess(std::u16string_view a, std::u16string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    // Names in one folder share long prefixes ("photo_000…"): equal units
    // are passed four at a time and need no upper-casing; ASCII needs none
    // of NameUpper's tables.
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        uint64_t wa = 0, wb = 0;
        std::memcpy(&wa, a.data() + i, sizeof wa);
        std::memcpy(&wb, b.data() + i, sizeof wb);
        if (wa != wb) break;
    }
    for (; i < n; ++i) {
        const char16_t ca = a[i], cb = b[i];
        if (ca == cb) continue;
        const char16_t ua = ca < 0x80 ? AsciiUpper(ca) : NameUpper(ca);
        const char16_t ub = cb < 0x80 ? AsciiUpper(cb) : NameUpper(cb);
        if (ua != ub) return ua < ub;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;  // names equal but for case (possible off Windows): a fixed order
}

void CFileNameList::SortInListingOrder(std::vector<CFolderEntry>& entries)
{
    const size_t n = entries.size();
    if (n < 2) return;
    // The units every name shares decide nothing. Each name gets a key of
    // the next four units, upper-cased, most significant first, 0 where the
    // name has ended: keys that differ order their names as ListingLess
    // does, so that only names with equal keys are compared in full.
    const std::u16string_view first = entries[0].m_strName;
    size_t common = first.size();
    for (size_t e = 1; e < n && common > 0; ++e) {
        const std::u16string_view name = entries[e].m_strName;
        const size_t limit = std::min(common, name.size());
        size_t i = 0;
        while (i < limit && name[i] == first[i]) ++i;
        common = i;
    }
    struct CKeyed {
        uint64_t m_nKey;
        uint32_t m_nEntry;
    };
    std::vector<CKeyed> keyed(n);
    for (size_t e = 0; e < n; ++e) {
        const std::u16string_view name = entries[e].m_strName;
        uint64_t key = 0;
        for (size_t i = common; i < common + 4; ++i) {
            char16_t unit = 0;
            if (i < name.size()) {
                const char16_t c = name[i];
                unit = c < 0x80 ? AsciiUpper(c) : NameUpper(c);
                // A unit of 0 would read as the name's end: order in full.
                if (unit == 0) {
                    std::sort(entries.begin(), entries.end(), [](const CFolderEntry& a, const CFolderEntry& b) {
                        return ListingLess(a.m_strName, b.m_strName);
                    });
                    return;
                }
            }
            key = key << 16 | unit;
        }
        keyed[e] = {key, static_cast<uint32_t>(e)};
    }
    std::sort(keyed.begin(), keyed.end(), [&entries](const CKeyed& a, const CKeyed& b) {
        if (a.m_nKey != b.m_nKey) return a.m_nKey < b.m_nKey;
        return ListingLess(entries[a.m_nEntry].m_strName, entries[b.m_nEntry].m_strName);
    });
    std::vector<CFolderEntry> sorted;
    sorted.reserve(n);
    for (const CKeyed& k : keyed) sorted.push_back(std::move(entries[k.m_nEntry]));
    entries = std::move(sorted);
}

namespace {

// One folder of the walk: its entries in listing order, the next to visit,
// and the open folder while its sub-folders may still be opened from it.
struct CWalkLevel {
    std::u16string m_strPath;
    std::u16string m_strName;  // within the parent folder
    std::vector<CFolderEntry> m_aEntries;
    size_t m_nNext = 0;
    CFolderCursor m_cursor;
};

// Only every kKeptEvery-th ancestor stays open, so that a tree thousands of
// folders deep needs a few dozen descriptors; a closed one is opened again
// from the nearest open ancestor when a later sibling is reached.
constexpr size_t kKeptEvery = 32;

bool ReopenLevel(std::deque<CWalkLevel>& levels, size_t at)
{
    if (levels[at].m_cursor.IsOpen()) return true;
    size_t from = at;
    while (from > 0 && !levels[from].m_cursor.IsOpen()) --from;
    if (!levels[from].m_cursor.IsOpen()) return false;
    for (size_t k = from + 1; k <= at; ++k) {
        if (!levels[k].m_cursor.OpenChild(levels[k - 1].m_cursor, levels[k].m_strName)) return false;
        if (k - 1 != from && (k - 1) % kKeptEvery != 0) levels[k - 1].m_cursor.Close();
    }
    return true;
}

bool ReadLevel(CWalkLevel& level, std::set<std::pair<uint64_t, uint64_t>>& visited, bool& seen,
               IFolderReadWatcher* watcher)
{
    CFileId id;
    const bool known = level.m_cursor.GetId(id);
    seen = known && !visited.insert({id.m_nDevice, id.m_nNode}).second;
    if (seen) return true;
    if (!known) watcher = nullptr;
    std::vector<uint64_t> nodes;
    const bool withNodes = watcher && watcher->BeforeRead(id);
    if (!level.m_cursor.ReadEntries(level.m_aEntries, withNodes ? &nodes : nullptr)) return false;
    if (watcher) watcher->Read(id, level.m_aEntries, nodes);
    CFileNameList::SortInListingOrder(level.m_aEntries);
    return true;
}

}  // namespace

bool CFileNameList::CollectFolderFiles(std::u16string_view folder, bool includeSubfolders,
                                       const FolderFileVisitor& visit, std::vector<std::u16string>* unreadable,
                                       IFolderReadWatcher* watcher)
{
    std::u16string root(folder);
    // "/a/b/" and "/a/b" are the same folder; "/" stays the root ("").
    if (!root.empty() && root.back() == kPathSeparator) root.pop_back();
    std::set<std::pair<uint64_t, uint64_t>> visited;
    std::deque<CWalkLevel> levels;
    CWalkLevel& top = levels.emplace_back();
    top.m_strPath = root;
    bool seen = false;
    if (!top.m_cursor.Open(root.empty() ? std::u16string(1, kPathSeparator) : root) ||
        !ReadLevel(top, visited, seen, watcher)) {
        if (unreadable) unreadable->push_back(root);
        return false;
    }
    while (!levels.empty()) {
        CWalkLevel& level = levels.back();
        if (level.m_nNext == level.m_aEntries.size()) {
            levels.pop_back();
            continue;
        }
        const CFolderEntry& entry = level.m_aEntries[level.m_nNext++];
        if (!entry.m_bDirectory) {
            visit(level.m_strPath, entry.m_strName);
            continue;
        }
        if (!includeSubfolders) continue;
        // Depth first, at the point where the sub-folder is met.
        const size_t at = levels.size() - 1;
        CWalkLevel child;
        child.m_strName = entry.m_strName;
        child.m_strPath = JoinPath(level.m_strPath, entry.m_strName);
        if (!ReopenLevel(levels, at) || !child.m_cursor.OpenChild(level.m_cursor, child.m_strName) ||
            !ReadLevel(child, visited, seen, watcher)) {
            if (unreadable) unreadable->push_back(child.m_strPath);
            continue;
        }
        if (seen) continue;
        if (at % kKeptEvery != 0) level.m_cursor.Close();
        levels.push_back(std::move(child));
    }
    return true;
}

bool CFileNameList::CollectFolderFiles(std::u16string_view folder, bool includeSubfolders,
                                       std::vector<std::u16string>& paths, std::vector<std::u16string>* unreadable)
{
    return CollectFolderFiles(
        folder, includeSubfolders,
        [&](std::u16string_view in, std::u16string_view name) { paths.push_back(JoinPath(in, name)); }, unreadable);
}

void CFileNameList::DeleteRows(const CRowSet& rows)
{
    CRowSet sorted = NormalizeSelection(rows, GetItemCount());
    if (sorted.empty()) return;
    std::vector<char> drop(m_aRows.size(), 0);
    for (int i : sorted) drop[static_cast<size_t>(i)] = 1;
    size_t out = 0;
    for (size_t i = 0; i < m_aRows.size(); ++i) {
        if (drop[i]) continue;
        if (out != i) m_aRows[out] = std::move(m_aRows[i]);
        ++out;
    }
    m_aRows.resize(out);
    RowsChanged();
}

void CFileNameList::Clear()
{
    m_aRows.clear();
    m_aFolders.clear();
    m_mapFolderText.clear();
    m_mapFolderKey.clear();
    m_rowIndex.Clear();
    m_bIndexDirty = false;
    m_aFailureTexts.resize(1);
    m_mapFailure.clear();
    ++m_nRowsVersion;
}

CRowSet CFileNameList::NormalizeSelection(CRowSet selected, int rowCount)
{
    std::sort(selected.begin(), selected.end());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    std::erase_if(selected, [rowCount](int i) { return i < 0 || i >= rowCount; });
    return selected;
}

CRowSet CFileNameList::SelectAllRows() const
{
    CRowSet all(m_aRows.size());
    std::iota(all.begin(), all.end(), 0);
    return all;
}

CRowSet CFileNameList::InvertSelection(const CRowSet& selected) const
{
    std::vector<char> on(m_aRows.size(), 0);
    for (int i : NormalizeSelection(selected, GetItemCount())) on[static_cast<size_t>(i)] = 1;
    CRowSet inverted;
    for (size_t i = 0; i < on.size(); ++i)
        if (!on[i]) inverted.push_back(static_cast<int>(i));
    return inverted;
}

// Takes the row out and puts it back at position `to` (counted after the
// removal); its new name is cleared, as a re-inserted list row has none.
void CFileNameList::MoveRow(int from, int to)
{
    CRow row = std::move(m_aRows[static_cast<size_t>(from)]);
    if (!row.m_bEdited) {
        row.m_strNew.clear();
        row.m_nFailure = 0;
    }
    m_aRows.erase(m_aRows.begin() + from);
    m_aRows.insert(m_aRows.begin() + to, std::move(row));
    RowsChanged();
}

EMoveResult CFileNameList::MoveSelectionUp(CRowSet& selection) { return MoveSelection(selection, -1); }

EMoveResult CFileNameList::MoveSelectionDown(CRowSet& selection) { return MoveSelection(selection, 1); }

EMoveResult CFileNameList::MoveSelection(CRowSet& selection, int step)
{
    CRowSet rows = NormalizeSelection(selection, GetItemCount());
    if (rows.empty()) return EMoveResult::Nothing;
    for (size_t i = 1; i < rows.size(); ++i) {
        if (rows[i] != rows[i - 1] + 1) {
            Report(u"文件上下移操作时，只能连续选择文件！", u"文件选择不连续");
            return EMoveResult::NotContiguous;
        }
    }
    // The row next to the block jumps to its other side.
    if (step < 0) {
        if (rows.front() == 0) return EMoveResult::Nothing;
        MoveRow(rows.front() - 1, rows.back());
    } else {
        if (rows.back() == GetItemCount() - 1) return EMoveResult::Nothing;
        MoveRow(rows.back() + 1, rows.front());
    }
    for (int& i : rows) i += step;
    selection = rows;
    return EMoveResult::Done;
}

std::u16string CFileNameList::CountPaneText(size_t total, size_t selectedCount)
{
    return u"共计：" + FormatInt(static_cast<long long>(total)) + u"个   选择：" +
           FormatInt(static_cast<long long>(selectedCount)) + u"个";
}

std::u16string CFileNameList::CountPaneText(size_t selectedCount) const
{
    return CountPaneText(m_aRows.size(), selectedCount);
}

bool CFileNameList::ReorderRows(const std::vector<int>& order)
{
    if (order.size() != m_aRows.size()) return false;
    std::vector<char> seen(order.size(), 0);
    for (int i : order) {
        if (i < 0 || static_cast<size_t>(i) >= order.size() || seen[static_cast<size_t>(i)]) return false;
        seen[static_cast<size_t>(i)] = 1;
    }
    std::vector<CRow> rows;
    rows.reserve(m_aRows.size());
    for (size_t i = 0; i < order.size(); ++i) {
        CRow row = m_aRows[static_cast<size_t>(order[i])];
        // Column 1 stays in place with its failure mark, but for a row edited
        // by hand, which takes its name along.
        if (!row.m_bEdited) {
            const CRow& at = m_aRows[i];
            row.m_strNew = at.m_bEdited ? std::u16string() : at.m_strNew;
            row.m_nFailure = at.m_bEdited ? 0 : at.m_nFailure;
        }
        rows.push_back(std::move(row));
    }
    m_aRows.swap(rows);
    RowsChanged();
    return true;
}

// Reorders the rows by `less`, a stable sort on row positions.
template <class Less>
void CFileNameList::SortRows(const Less& less)
{
    std::vector<int> order(m_aRows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return less(static_cast<size_t>(a), static_cast<size_t>(b)); });
    ReorderRows(order);
}

std::vector<std::u16string> CFileNameList::UpperOldNames() const
{
    std::vector<std::u16string> keys;
    keys.reserve(m_aRows.size());
    for (const CRow& row : m_aRows) keys.push_back(ToAsciiUpper(row.m_strOld));
    return keys;
}

void CFileNameList::SortByName(bool ascending)
{
    const std::vector<std::u16string> keys = UpperOldNames();
    SortRows([&](size_t a, size_t b) {
        int c = keys[a].compare(keys[b]);
        if (c != 0) return ascending ? c < 0 : c > 0;
        // Equal names: folders ascending in both directions.
        return m_aFolders[m_aRows[a].m_nFolder].m_strText < m_aFolders[m_aRows[b].m_nFolder].m_strText;
    });
}

void CFileNameList::SortByDirectory(bool ascending)
{
    const std::vector<std::u16string> keys = UpperOldNames();
    SortRows([&](size_t a, size_t b) {
        const CRow& ra = m_aRows[a];
        const CRow& rb = m_aRows[b];
        if (ra.m_nFolder != rb.m_nFolder) {
            int c = m_aFolders[ra.m_nFolder].m_strText.compare(m_aFolders[rb.m_nFolder].m_strText);
            if (c != 0) return ascending ? c < 0 : c > 0;
        }
        // Equal folders: names ascending in both directions.
        return keys[a] < keys[b];
    });
}

int CFileNameList::CompareNatural(std::u16string_view a, std::u16string_view b)
{
    size_t i = 0, j = 0;
    int zeros = 0;  // leading zeros decide only when all else is equal
    while (i < a.size() && j < b.size()) {
        if (IsAsciiDigit(a[i]) && IsAsciiDigit(b[j])) {
            size_t si = i, sj = j;
            while (si < a.size() && a[si] == u'0') ++si;
            while (sj < b.size() && b[sj] == u'0') ++sj;
            size_t ei = si, ej = sj;
            while (ei < a.size() && IsAsciiDigit(a[ei])) ++ei;
            while (ej < b.size() && IsAsciiDigit(b[ej])) ++ej;
            // Values of any length: more significant digits is larger, else
            // the digits decide.
            if (ei - si != ej - sj) return ei - si < ej - sj ? -1 : 1;
            if (int c = a.substr(si, ei - si).compare(b.substr(sj, ej - sj)); c != 0) return c < 0 ? -1 : 1;
            if (zeros == 0 && si - i != sj - j) zeros = si - i < sj - j ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        const char16_t ca = NameUpper(a[i]), cb = NameUpper(b[j]);
        if (ca != cb) return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return zeros;
}

void CFileNameList::SortNatural(bool ascending)
{
    SortRows([&](size_t a, size_t b) {
        const int c = CompareNatural(m_aRows[a].m_strOld, m_aRows[b].m_strOld);
        if (c != 0) return ascending ? c < 0 : c > 0;
        return m_aFolders[m_aRows[a].m_nFolder].m_strText < m_aFolders[m_aRows[b].m_nFolder].m_strText;
    });
}

void CFileNameList::Report(const std::u16string& text, const std::u16string& title)
{
    m_strLastMessage = text;
    m_strLastTitle = title;
    GetPromptProvider().Inform(text, title);
}

}  // namespace kq
