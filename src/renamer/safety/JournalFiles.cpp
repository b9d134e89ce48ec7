// The journal's files: where journals and locks live, their names, and
// reading, writing and setting them aside.
#include <algorithm>
#include <random>

#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/Crt.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/SpecialFolders.h"
#include "platform/Text.h"
#include "renamer/safety/RenameJournal.h"

namespace kq {

namespace {

constexpr std::u16string_view kSuffix = u".kqjournal";

}  // namespace

std::u16string TemporaryName(size_t number)
{
    return u"[kqt_tmp]+[name_" + FormatInt(static_cast<long long>(number)) + u"].kq-tmp";
}

std::u16string DefaultJournalFolder() { return JoinPath(JoinPath(ConfigFolder(), u"TernSoft"), u"KQTool"); }

std::u16string NewJournalPath(const std::u16string& folder)
{
    CreateFolder(folder);
    std::random_device device;
    std::mt19937 random(device());
    std::u16string stamp = FormatInt(CurrentTime());
    for (;;) {
        std::u16string path =
            JoinPath(folder, u"rename-" + stamp + u"-" + FormatInt(static_cast<long long>(random() % 1000000000u)) +
                                 std::u16string(kSuffix));
        if (!PathExists(path)) return path;
    }
}

std::u16string FolderLockPath(const std::u16string& journalFolder, uint64_t device, uint64_t node)
{
    return JoinPath(journalFolder, u"folder-" + FormatInt(static_cast<long long>(device)) + u"-" +
                                       FormatInt(static_cast<long long>(node)) + u".lock");
}

std::unique_ptr<CFileLock> LockFolderRun(const std::u16string& journalFolder, const CFileId& folder)
{
    auto lock = std::make_unique<CFileLock>();
    // Every locker of the path removes it when done, so all must say so.
    if (!lock->TryLock(FolderLockPath(journalFolder, folder.m_nDevice, folder.m_nNode), true)) return nullptr;
    return lock;
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

bool WriteJournal(const std::u16string& path, const std::vector<CJournalFolder>& folders)
{
    return ReplaceFileAtomic(path, FormatJournal(folders));
}

bool WriteJournalText(const std::u16string& path, std::string_view text) { return ReplaceFileAtomic(path, text); }

EStoredRead ReadStoredFile(const std::u16string& path, const std::function<bool(std::string_view)>& parse)
{
    // Only a regular file, not through a link: a FIFO or a link to a device
    // named like a journal is refused at once, and is no journal.
    if (!IsPlainFile(path)) return PathExists(path) ? EStoredRead::Damaged : EStoredRead::Unreadable;
    bool parsed = true;
    const bool read = ReadFileChunks(
        path, ~uint64_t(0), [&](std::string_view chunk) { return parsed = parse(chunk); }, false);
    if (!read) return EStoredRead::Unreadable;
    return parsed ? EStoredRead::Read : EStoredRead::Damaged;
}

EStoredRead ReadJournalFile(const std::u16string& path, std::vector<CJournalFolder>& folders)
{
    folders.clear();
    CJournalParser parser(folders);
    EStoredRead result = ReadStoredFile(path, [&](std::string_view chunk) { return parser.Feed(chunk); });
    if (result == EStoredRead::Read && !parser.Finish()) result = EStoredRead::Damaged;
    if (result != EStoredRead::Read) folders.clear();
    return result;
}

std::u16string PlaceholderNotePath(const std::u16string& journal) { return journal + u".placeholders"; }

// The note is a journal of folders without moves.
bool WritePlaceholderNote(const std::u16string& journal, const std::vector<std::u16string>& folders)
{
    std::vector<CJournalFolder> note;
    for (const std::u16string& folder : folders) note.push_back({folder, {}});
    return WriteJournal(PlaceholderNotePath(journal), note);
}

std::vector<std::u16string> ReadPlaceholderNote(const std::u16string& journal)
{
    std::vector<CJournalFolder> note;
    std::vector<std::u16string> folders;
    if (ReadJournalFile(PlaceholderNotePath(journal), note) == EStoredRead::Read)
        for (CJournalFolder& folder : note) folders.push_back(std::move(folder.m_strFolder));
    return folders;
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

}  // namespace kq
