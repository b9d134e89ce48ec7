// The rule store supsort.cfg and the rule exchange files: one stored
// CSortRouteList each, read whole and written whole.
#pragma once

#include <string>
#include <string_view>

#include "platform/AtomicFile.h"
#include "renamer/supersort/SortRoute.h"

namespace kq {

// How much of a file LoadRouteFile could read.
enum class ERouteFileState {
    Complete,    // every byte read as a list
    Missing,     // no such file: an empty list
    Damaged,     // ends early, or bytes follow the list; the rules read completely are kept
    Newer,       // an object of a newer version ("版本过低" was shown)
    Unreadable,  // exists but cannot be read (not a regular file, too large, no access)
};

// The whole file as bytes, for tests and the fuzzer: the same reading.
ERouteFileState ReadRouteBytes(std::string_view bytes, CSortRouteList& list);
std::string RouteBytes(const CSortRouteList& list);

// True when the file could be read (the list is left alone otherwise).
// state, when given, says how complete the reading was.
bool LoadRouteFile(std::u16string_view path, CSortRouteList& list, ERouteFileState* state = nullptr);
// Writes the file atomically; false when it could not (the old file stays).
bool SaveRouteFile(std::u16string_view path, const CSortRouteList& list);

// The configuration folder ("<config>/TernSoft/KQTool") and the store in it.
std::u16string GetConfigFolder();
std::u16string RouteStorePath();

// The messages of a store that could not be read completely.
extern const std::u16string kStoreDamagedTitle;  // "规则文件"
// "规则文件“%s”没能完整读取，为免丢失规则，原文件已另存为“%s”。"
std::u16string StoreBackupText(std::u16string_view store, std::u16string_view backup);
// "规则文件“%s”已损坏，只读出了其中完整的%d条规则。"
std::u16string StoreDamagedText(std::u16string_view store, int rulesRead);

// The rule store as the chooser and `rules import` use it: read once, then
// written back whole. A store that was not read completely is never
// silently replaced by the fewer rules read: before the first overwrite its
// original is kept beside it (supsort.cfg.bak, or .bak2, .bak3 … when taken)
// and the user is told once through the prompt provider.
// Two programs changing the store at once take turns through a lock file
// beside it (supsort.cfg.lock): whoever reads, changes and writes the store
// back holds Lock() from before the Load to after the Save, so neither
// writes over rules the other has just added. Save alone takes the lock for
// the write when it is not held.
class CRouteStore {
public:
    // How long Lock waits for another holder before giving up.
    static constexpr int kLockWaitMs = 10000;

    explicit CRouteStore(std::u16string path) : m_strPath(std::move(path)) {}

    const std::u16string& Path() const { return m_strPath; }
    std::u16string LockPath() const { return m_strPath + u".lock"; }
    // False when another program held the lock all the while (kLockWaitMs
    // unless set), or the lock file cannot be made (a folder that cannot be
    // written).
    bool Lock();
    void SetLockWaitMs(int waitMs) { m_nLockWaitMs = waitMs; }
    void Unlock() { m_lock.Unlock(); }
    bool IsLocked() const { return m_lock.IsLocked(); }
    // Reads the store into list (empty when missing); returns the state.
    ERouteFileState Load(CSortRouteList& list);
    ERouteFileState State() const { return m_eState; }
    // Writes list; false (store untouched) when the file or, for an
    // incomplete store, its backup could not be written.
    bool Save(const CSortRouteList& list);
    // Where the original went; empty when no copy was needed.
    const std::u16string& BackupPath() const { return m_strBackup; }

private:
    bool KeepOriginal();
    bool SaveLocked(const CSortRouteList& list);

    std::u16string m_strPath;
    ERouteFileState m_eState = ERouteFileState::Missing;
    std::string m_strOriginal;  // the bytes read, for the backup
    std::u16string m_strBackup;
    CFileLock m_lock;
    int m_nLockWaitMs = kLockWaitMs;
};

}  // namespace kq
