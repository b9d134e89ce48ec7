#include "renamer/safety/RenameJournal.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <random>
#include <unordered_map>
#include <unordered_set>

#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/Crt.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/SpecialFolders.h"
#include "platform/Text.h"

namespace kq {

namespace {

constexpr size_t kNoMove = static_cast<size_t>(-1);
constexpr std::string_view kHeader = "KQTOOLS-RENAME-JOURNAL 1\n";
constexpr std::u16string_view kSuffix = u".kqjournal";

// The escapes for names already in their bytes, written at p (room for twice
// the text); returns the end.
char* PutField(char* p, std::string_view text)
{
    // The escape letter of each byte, 0 for the bytes copied as they are.
    static constexpr auto kEscape = [] {
        std::array<char, 256> table{};
        table['\\'] = '\\';
        table['\t'] = 't';
        table['\n'] = 'n';
        table['\r'] = 'r';
        return table;
    }();
    for (char c : text) {
        if (char e = kEscape[static_cast<unsigned char>(c)]) {
            *p++ = '\\';
            *p++ = e;
        } else {
            *p++ = c;
        }
    }
    return p;
}

std::u16string Unescape(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        char c = field[i];
        if (c == '\\' && i + 1 < field.size()) {
            char n = field[++i];
            out += n == 't' ? '\t' : n == 'n' ? '\n' : n == 'r' ? '\r' : n;
        } else {
            out += c;
        }
    }
    return FromNativeName(out);
}

std::vector<std::string_view> SplitTabs(std::string_view line)
{
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    return fields;
}

// A journal names files inside its folders only: one path component, never
// "." or "..", no separator and no NUL.
bool SingleName(std::u16string_view name)
{
    return !name.empty() && name != u"." && name != u".." && name.find(kPathSeparator) == std::u16string_view::npos &&
           name.find(u'/') == std::u16string_view::npos && name.find(u'\0') == std::u16string_view::npos;
}

bool HoldsNode(const std::u16string& folder, const std::u16string& name, uint64_t node)
{
    if (name.empty()) return false;
    CFileId id;
    return GetFileId(JoinPath(folder, name), false, id) && id.m_nNode == node;
}

}  // namespace

std::u16string TemporaryName(size_t number)
{
    return u"[kqt_tmp]+[name_" + FormatInt(static_cast<long long>(number)) + u"].kq-tmp";
}

std::u16string DefaultJournalFolder()
{
    return JoinPath(JoinPath(ConfigFolder(), u"TernSoft"), u"KQTool");
}

std::u16string NewJournalPath(const std::u16string& folder)
{
    CreateFolder(folder);
    std::random_device device;
    std::mt19937 random(device());
    std::u16string stamp = FormatInt(CurrentTime());
    for (;;) {
        std::u16string path = JoinPath(folder, u"rename-" + stamp + u"-" +
                                                   FormatInt(static_cast<long long>(random() % 1000000000u)) +
                                                   std::u16string(kSuffix));
        if (!PathExists(path)) return path;
    }
}

std::u16string FolderLockPath(const std::u16string& journalFolder, uint64_t device, uint64_t node)
{
    return JoinPath(journalFolder, u"folder-" + FormatInt(static_cast<long long>(device)) + u"-" +
                                       FormatInt(static_cast<long long>(node)) + u".lock");
}

std::vector<std::u16string> FindJournals(const std::u16string& folder) { return FindFilesBySuffix(folder, kSuffix); }

std::vector<std::u16string> FindFilesBySuffix(const std::u16string& folder, std::u16string_view suffix)
{
    std::vector<std::u16string> names;
    ForEachFolderEntry(folder, [&](std::u16string_view name, bool isDirectory) {
        if (!isDirectory && name.size() > suffix.size() && name.substr(name.size() - suffix.size()) == suffix)
            names.emplace_back(name);
        return true;
    });
    std::sort(names.begin(), names.end());
    for (auto& name : names) name = JoinPath(folder, name);
    return names;
}

void AppendJournalHeader(std::string& out) { out += kHeader; }

void AppendJournalFolder(std::string& out, std::u16string_view folder)
{
    // Names may hold tabs and line feeds on POSIX: fields are escaped, in the
    // bytes the file system knows the name by.
    const std::string bytes = ToNativeName(folder);
    const size_t at = out.size();
    out.resize(at + 3 + 2 * bytes.size());
    char* p = out.data() + at;
    *p++ = 'D';
    *p++ = '\t';
    p = PutField(p, bytes);
    *p++ = '\n';
    out.resize(static_cast<size_t>(p - out.data()));
}

void AppendJournalMove(std::string& out, uint64_t node, std::u16string_view oldName, std::u16string_view temp,
                       std::u16string_view newName)
{
    AppendJournalMove(out, node, std::string_view(ToNativeName(oldName)), std::string_view(ToNativeName(temp)),
                      std::string_view(ToNativeName(newName)));
}

void AppendJournalMove(std::string& out, uint64_t node, std::string_view oldName, std::string_view temp,
                       std::string_view newName)
{
    // One line written in place: "M", the node, three fields, four tabs and
    // the line feed around them.
    const size_t at = out.size();
    out.resize(at + 32 + 2 * (oldName.size() + temp.size() + newName.size()));
    char* p = out.data() + at;
    *p++ = 'M';
    *p++ = '\t';
    p = std::to_chars(p, p + 20, node).ptr;
    *p++ = '\t';
    p = PutField(p, oldName);
    *p++ = '\t';
    p = PutField(p, temp);
    *p++ = '\t';
    p = PutField(p, newName);
    *p++ = '\n';
    out.resize(static_cast<size_t>(p - out.data()));
}

void AppendJournalTemp(std::string& out, std::string_view oldName, std::string_view temp)
{
    const size_t at = out.size();
    out.resize(at + 4 + 2 * (oldName.size() + temp.size()));
    char* p = out.data() + at;
    *p++ = 'T';
    *p++ = '\t';
    p = PutField(p, oldName);
    *p++ = '\t';
    p = PutField(p, temp);
    *p++ = '\n';
    out.resize(static_cast<size_t>(p - out.data()));
}

void AppendJournalTemp(std::string& out, std::u16string_view oldName, std::u16string_view temp)
{
    AppendJournalTemp(out, std::string_view(ToNativeName(oldName)), std::string_view(ToNativeName(temp)));
}

std::string FormatJournal(const std::vector<CJournalFolder>& folders)
{
    std::string out;
    AppendJournalHeader(out);
    for (const auto& folder : folders) {
        AppendJournalFolder(out, folder.m_strFolder);
        for (const auto& move : folder.m_aMoves)
            AppendJournalMove(out, move.m_nNode, move.m_strOld, move.m_strTemp, move.m_strNew);
    }
    return out;
}

bool ParseJournal(std::string_view text, std::vector<CJournalFolder>& folders)
{
    folders.clear();
    if (text.substr(0, kHeader.size()) != kHeader) return false;
    size_t pos = kHeader.size();
    size_t current = 0;  // the folder of the lines that follow
    std::unordered_map<std::u16string, size_t> moveOf;  // old name -> move of the current folder, built on demand
    bool mapped = false;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) return false;  // cut short
        std::vector<std::string_view> fields = SplitTabs(text.substr(pos, end - pos));
        pos = end + 1;
        if (fields[0] == "D" && fields.size() == 2) {
            std::u16string folder = Unescape(fields[1]);
            // A folder met again (for its parking names) continues its entry.
            current = folders.size();
            for (size_t f = 0; f < folders.size(); ++f)
                if (folders[f].m_strFolder == folder) current = f;
            if (current == folders.size()) folders.push_back({std::move(folder), {}});
            mapped = false;
        } else if (fields[0] == "M" && fields.size() == 5 && !folders.empty()) {
            CJournalMove move;
            if (fields[1].empty()) return false;
            for (char c : fields[1]) {
                if (c < '0' || c > '9') return false;
                move.m_nNode = move.m_nNode * 10 + static_cast<uint64_t>(c - '0');
            }
            move.m_strOld = Unescape(fields[2]);
            move.m_strTemp = Unescape(fields[3]);
            move.m_strNew = Unescape(fields[4]);
            if (!SingleName(move.m_strOld) || !SingleName(move.m_strNew) ||
                (!move.m_strTemp.empty() && !SingleName(move.m_strTemp)))
                return false;
            folders[current].m_aMoves.push_back(std::move(move));
            mapped = false;
        } else if (fields[0] == "T" && fields.size() == 3 && !folders.empty()) {
            std::vector<CJournalMove>& moves = folders[current].m_aMoves;
            if (!mapped) {
                moveOf.clear();
                for (size_t i = 0; i < moves.size(); ++i) moveOf.emplace(moves[i].m_strOld, i);
                mapped = true;
            }
            auto found = moveOf.find(Unescape(fields[1]));
            std::u16string temp = Unescape(fields[2]);
            if (found == moveOf.end() || !SingleName(temp)) return false;
            moves[found->second].m_strTemp = std::move(temp);
        } else {
            return false;
        }
    }
    return true;
}

bool WriteJournal(const std::u16string& path, const std::vector<CJournalFolder>& folders)
{
    return ReplaceFileAtomic(path, FormatJournal(folders));
}

bool WriteJournalText(const std::u16string& path, std::string_view text) { return ReplaceFileAtomic(path, text); }

bool ReadJournal(const std::u16string& path, std::vector<CJournalFolder>& folders)
{
    // Only a regular file, not through a link, within the size limit: a
    // FIFO or a link to a device named like a journal is refused at once.
    std::string bytes;
    return ReadFileBytes(path, bytes, kReadFileLimit, false) && ParseJournal(bytes, folders);
}

std::u16string SetAsideJournal(const std::u16string& path)
{
    for (size_t n = 0; n < 1000; ++n) {
        std::u16string aside = path + u".damaged" + (n == 0 ? u"" : FormatInt(static_cast<long long>(n)));
        if (MoveFileNoReplace(path, aside)) return aside;
        if (!PathExists(path)) break;
    }
    return {};
}

namespace {

// Where each move's file is now: one of its names (old, temporary, new) that
// holds its node. A name counts for one move only: with hard links two moves
// can share a node, and a name that is one move's old name and another's new
// name belongs to the second only once the first has left it. A file found
// under two of its own names (a link made, the unlink not yet) keeps the
// wanted one and loses the other.
std::vector<const std::u16string*> LocateFiles(const std::u16string& folder, std::vector<CJournalMove>& moves, bool finish)
{
    const size_t n = moves.size();
    auto names = [&](size_t i) {
        return std::array<const std::u16string*, 3>{&moves[i].m_strTemp, &moves[i].m_strOld, &moves[i].m_strNew};
    };
    // name -> the moves that use it, for names shared by moves of one node.
    std::unordered_map<std::u16string, std::vector<size_t>> users;
    for (size_t i = 0; i < n; ++i)
        for (const std::u16string* name : names(i))
            if (!name->empty()) users[*name].push_back(i);
    auto sharedWithSameNode = [&](size_t i, const std::u16string& name) {
        for (size_t j : users[name])
            if (j != i && moves[j].m_nNode == moves[i].m_nNode) return j;
        return kNoMove;
    };
    std::vector<const std::u16string*> located(n, nullptr);
    std::vector<std::vector<const std::u16string*>> ambiguous(n);
    for (size_t i = 0; i < n; ++i) {
        std::vector<const std::u16string*> held;
        for (const std::u16string* name : names(i)) {
            if (!HoldsNode(folder, *name, moves[i].m_nNode)) continue;
            if (sharedWithSameNode(i, *name) != kNoMove)
                ambiguous[i].push_back(name);
            else
                held.push_back(name);
        }
        if (held.empty()) continue;
        const std::u16string& wanted = finish ? moves[i].m_strNew : moves[i].m_strOld;
        located[i] = held[0];
        if (held.size() > 1) {
            // Cut between link and unlink: the same file under two names.
            CFileId a, b;
            for (const std::u16string* name : held)
                if (*name == wanted) located[i] = name;
            for (const std::u16string* name : held) {
                if (name == located[i]) continue;
                if (GetFileId(JoinPath(folder, *located[i]), false, a) && GetFileId(JoinPath(folder, *name), false, b) &&
                    a == b)
                    RemoveFile(JoinPath(folder, *name));
            }
        }
    }
    // Shared names: settle them once the other user's place is known.
    for (bool changed = true; changed;) {
        changed = false;
        for (size_t i = 0; i < n; ++i) {
            if (located[i] || ambiguous[i].empty()) continue;
            for (const std::u16string* name : ambiguous[i]) {
                const size_t j = sharedWithSameNode(i, *name);
                // Whichever role the name plays for i, it is i's once j is
                // known to be under another name.
                if (located[j] && *located[j] != *name) {
                    located[i] = name;
                    changed = true;
                    break;
                }
            }
        }
    }
    // Still open: nothing has moved between them; an old name is its own.
    for (size_t i = 0; i < n; ++i) {
        if (located[i]) continue;
        for (const std::u16string* name : ambiguous[i]) {
            const size_t j = sharedWithSameNode(i, *name);
            if (name == &moves[i].m_strOld && !(located[j] && *located[j] == *name)) located[i] = name;
        }
    }
    return located;
}

// A run cut short on a file system with neither RENAME_NOREPLACE nor hard
// links can leave the empty placeholder a move reserved its target with.
// Holding none of the journal's files, it goes.
void RemovePlaceholders(const std::u16string& folder, const std::vector<CJournalMove>& moves)
{
    std::unordered_set<uint64_t> nodes;
    for (const CJournalMove& move : moves) nodes.insert(move.m_nNode);
    for (const CJournalMove& move : moves) {
        for (const std::u16string* name : {&move.m_strOld, &move.m_strTemp, &move.m_strNew}) {
            uint64_t node = 0;
            const std::u16string path = JoinPath(folder, *name);
            if (!name->empty() && IsMovePlaceholder(path, node) && !nodes.count(node)) RemoveFile(path);
        }
    }
}

struct CRecoverEntry {
    CJournalMove* m_pMove = nullptr;
    std::u16string m_strCurrent;  // where the file is now
    std::u16string m_strFoundAt;  // where it was found
    const std::u16string* m_pWanted = nullptr;
    bool m_bFound = false;
    bool m_bDone = false;
    bool m_bMoved = false;
};

// Moves every entry of one folder to its wanted name. Chains resolve by
// following the name each move frees; what is left are cycles, broken by
// parking one file under its temporary name.
void RecoverFolder(const std::u16string& folder, std::vector<CRecoverEntry>& entries, bool finish)
{
    std::unordered_map<std::u16string, size_t> wantedBy;
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].m_bFound && !entries[i].m_bDone) wantedBy.emplace(*entries[i].m_pWanted, i);

    auto attempt = [&](size_t i) {
        while (true) {
            CRecoverEntry& e = entries[i];
            if (e.m_bDone || !e.m_bFound) return;
            std::u16string wanted = JoinPath(folder, *e.m_pWanted);
            if (PathExists(wanted) || !MoveFileNoReplace(JoinPath(folder, e.m_strCurrent), wanted)) return;
            std::u16string freed = std::move(e.m_strCurrent);
            e.m_strCurrent = *e.m_pWanted;
            e.m_bDone = e.m_bMoved = true;
            auto next = wantedBy.find(freed);
            if (next == wantedBy.end()) return;
            i = next->second;
        }
    };

    // Undo runs best backwards, finishing forwards.
    for (size_t k = 0; k < entries.size(); ++k) attempt(finish ? k : entries.size() - 1 - k);

    // Left over: files waiting for one another in a ring, and files whose
    // name is held by a file the journal does not know. Only a ring is broken
    // up, by parking one of its files.
    std::unordered_map<std::u16string, size_t> holderOf;
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].m_bFound && !entries[i].m_bDone) holderOf.emplace(entries[i].m_strCurrent, i);
    std::vector<char> mark(entries.size(), 0);  // 1 on the walk, 2 seen
    std::vector<size_t> ringStarts;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (mark[i] || !entries[i].m_bFound || entries[i].m_bDone) continue;
        std::vector<size_t> walk;
        size_t x = i;
        for (;;) {
            mark[x] = 1;
            walk.push_back(x);
            auto h = holderOf.find(*entries[x].m_pWanted);
            if (h == holderOf.end() || mark[h->second] == 2) break;
            if (mark[h->second] == 1) {
                ringStarts.push_back(h->second);
                break;
            }
            x = h->second;
        }
        for (size_t w : walk) mark[w] = 2;
    }
    for (size_t i : ringStarts) {
        CRecoverEntry& e = entries[i];
        if (e.m_bDone || e.m_pMove->m_strTemp.empty()) continue;
        if (!MoveFileNoReplace(JoinPath(folder, e.m_strCurrent), JoinPath(folder, e.m_pMove->m_strTemp))) continue;
        std::u16string freed = std::move(e.m_strCurrent);
        e.m_strCurrent = e.m_pMove->m_strTemp;
        auto next = wantedBy.find(freed);
        if (next != wantedBy.end()) attempt(next->second);
        attempt(i);
    }
}

}  // namespace

int RecoverJournal(const std::u16string& path, bool finish, std::vector<CRecoverLine>& report)
{
    // A live run holds a lock on its journal; a second recover holds one
    // beside it.
    if (CFileLock::IsHeld(path)) return 3;
    const std::u16string lockPath = path + u".lock";
    CFileLock lock;
    if (!lock.TryLock(lockPath)) return 3;
    std::vector<CJournalFolder> folders;
    if (!ReadJournal(path, folders)) return 2;

    std::vector<std::vector<CRecoverEntry>> all(folders.size());
    bool tempsAdded = false;
    for (size_t f = 0; f < folders.size(); ++f) {
        const std::u16string& folder = folders[f].m_strFolder;
        std::unordered_set<std::u16string> names;
        for (auto& move : folders[f].m_aMoves) {
            names.insert(move.m_strOld);
            names.insert(move.m_strNew);
            if (!move.m_strTemp.empty()) names.insert(move.m_strTemp);
        }
        RemovePlaceholders(folder, folders[f].m_aMoves);
        const std::vector<const std::u16string*> located = LocateFiles(folder, folders[f].m_aMoves, finish);
        for (size_t i = 0; i < folders[f].m_aMoves.size(); ++i) {
            CJournalMove& move = folders[f].m_aMoves[i];
            CRecoverEntry e;
            e.m_pMove = &move;
            e.m_pWanted = finish ? &move.m_strNew : &move.m_strOld;
            const std::u16string* where = located[i];
            if (where) {
                e.m_bFound = true;
                e.m_strCurrent = e.m_strFoundAt = *where;
            }
            e.m_bDone = e.m_bFound && e.m_strCurrent == *e.m_pWanted;
            // A file that may sit in a cycle needs a parking name; it is
            // recorded before anything moves.
            if (e.m_bFound && !e.m_bDone && move.m_strTemp.empty()) {
                for (size_t n = i;; ++n) {
                    std::u16string temp = TemporaryName(n);
                    if (!names.count(temp) && !PathExists(JoinPath(folder, temp))) {
                        move.m_strTemp = temp;
                        names.insert(std::move(temp));
                        tempsAdded = true;
                        break;
                    }
                }
            }
            all[f].push_back(std::move(e));
        }
    }
    if (tempsAdded && !WriteJournal(path, folders)) return 2;

    bool complete = true;
    for (size_t f = 0; f < folders.size(); ++f) {
        RecoverFolder(folders[f].m_strFolder, all[f], finish);
        for (const CRecoverEntry& e : all[f]) {
            CRecoverLine line;
            line.m_strFolder = folders[f].m_strFolder;
            line.m_strFrom = e.m_strFoundAt;
            line.m_strTo = *e.m_pWanted;
            if (!e.m_bFound) {
                line.m_nOutcome = kRecoverNotFound;
            } else if (e.m_bDone) {
                line.m_nOutcome = e.m_bMoved ? kRecoverMoved : kRecoverInPlace;
            } else {
                line.m_nOutcome = kRecoverBlocked;
            }
            if (line.m_nOutcome >= kRecoverNotFound) complete = false;
            report.push_back(std::move(line));
        }
    }
    if (complete) {
        RemoveFile(path);
        RemoveFile(lockPath);
    }
    return complete ? 0 : 1;
}

}  // namespace kq
