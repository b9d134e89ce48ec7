#include "renamer/supersort/RouteFile.h"

#include <chrono>
#include <thread>

#include "platform/Crt.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/Prompt.h"
#include "renamer/safety/RenameJournal.h"

namespace kq {

const std::u16string kStoreDamagedTitle = u"规则文件";

std::u16string StoreBackupText(std::u16string_view store, std::u16string_view backup)
{
    return u"规则文件“" + std::u16string(store) + u"”没能完整读取，为免丢失规则，原文件已另存为“" +
           std::u16string(backup) + u"”。";
}

std::u16string StoreDamagedText(std::u16string_view store, int rulesRead)
{
    return u"规则文件“" + std::u16string(store) + u"”已损坏，只读出了其中完整的" + FormatInt(rulesRead) + u"条规则。";
}

ERouteFileState ReadRouteBytes(std::string_view bytes, CSortRouteList& list)
{
    CArchive ar(bytes);
    int status = list.LoadObject(ar);
    if (status == kOperatorNewer || ar.Refused()) return ERouteFileState::Newer;
    if (status != kOperatorOk || ar.Failed() || !ar.AtEnd()) return ERouteFileState::Damaged;
    return ERouteFileState::Complete;
}

std::string RouteBytes(const CSortRouteList& list)
{
    CArchive ar;
    list.StoreObject(ar);
    return ar.Bytes();
}

namespace {

ERouteFileState ReadStore(std::u16string_view path, CSortRouteList& list, std::string& bytes)
{
    if (!PathExists(path)) return ERouteFileState::Missing;
    if (!ReadFileBytes(path, bytes)) return ERouteFileState::Unreadable;
    return ReadRouteBytes(bytes, list);
}

}  // namespace

bool LoadRouteFile(std::u16string_view path, CSortRouteList& list, ERouteFileState* state)
{
    std::string bytes;
    const ERouteFileState result = ReadStore(path, list, bytes);
    if (state) *state = result;
    return result != ERouteFileState::Missing && result != ERouteFileState::Unreadable;
}

bool SaveRouteFile(std::u16string_view path, const CSortRouteList& list)
{
    return ReplaceFileAtomic(path, RouteBytes(list)) ? 1 : 0;
}

std::u16string GetConfigFolder() { return DefaultJournalFolder(); }

std::u16string RouteStorePath() { return JoinPath(GetConfigFolder(), u"supsort.cfg"); }

ERouteFileState CRouteStore::Load(CSortRouteList& list)
{
    m_strOriginal.clear();
    m_eState = ReadStore(m_strPath, list, m_strOriginal);
    if (m_eState == ERouteFileState::Complete) m_strOriginal.clear();
    return m_eState;
}

bool CRouteStore::KeepOriginal()
{
    for (int n = 1; n < 1000; ++n) {
        std::u16string candidate = m_strPath + u".bak" + (n == 1 ? u"" : FormatInt(n));
        if (PathExists(candidate)) continue;
        // A store that could not be read at all is moved aside whole;
        // otherwise the bytes read are copied.
        bool kept = m_eState == ERouteFileState::Unreadable ? MoveFileNoReplace(m_strPath, candidate)
                                                            : ReplaceFileAtomic(candidate, m_strOriginal);
        if (!kept) return false;
        m_strBackup = candidate;
        GetPromptProvider().Inform(StoreBackupText(m_strPath, m_strBackup), kStoreDamagedTitle);
        return true;
    }
    return false;
}

bool CRouteStore::Lock()
{
    if (m_lock.IsLocked()) return true;
    const std::u16string lockPath = LockPath();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_nLockWaitMs);
    while (!m_lock.TryLock(lockPath)) {
        // No lock file after a try: the folder cannot take one, waiting won't help.
        if (!PathExists(lockPath) || std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool CRouteStore::Save(const CSortRouteList& list)
{
    const bool lockedHere = !m_lock.IsLocked();
    if (lockedHere && !Lock()) return false;
    const bool saved = SaveLocked(list);
    if (lockedHere) Unlock();
    return saved;
}

bool CRouteStore::SaveLocked(const CSortRouteList& list)
{
    const bool incomplete = m_eState != ERouteFileState::Complete && m_eState != ERouteFileState::Missing;
    if (incomplete && m_strBackup.empty() && PathExists(m_strPath) && !KeepOriginal()) return false;
    if (!SaveRouteFile(m_strPath, list)) return false;
    m_eState = ERouteFileState::Complete;
    m_strOriginal.clear();
    return true;
}

}  // namespace kq
