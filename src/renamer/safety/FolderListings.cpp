#include "renamer/safety/FolderListings.h"

#include "renamer/safety/RenameJournal.h"

namespace kq {

CFolderListings::CFolderListings(std::u16string journalFolder)
    : m_strJournalFolder(journalFolder.empty() ? DefaultJournalFolder() : std::move(journalFolder))
{
}

bool CFolderListings::BeforeRead(const CFileId& folder)
{
    const Key key{folder.m_nDevice, folder.m_nNode};
    // Read twice (named twice among the paths): the first read stands, as
    // the folder has been locked since.
    if (m_listings.count(key)) return false;
    if (!m_bFolderMade) m_bFolderMade = CreateFolder(m_strJournalFolder);
    if (!m_bFolderMade) return false;
    std::unique_ptr<CFileLock> lock = LockFolderRun(m_strJournalFolder, folder);
    // Busy: the run will say so when it comes to this folder.
    if (!lock) return false;
    m_listings[key].m_pLock = std::move(lock);
    return true;
}

void CFolderListings::Read(const CFileId& folder, const std::vector<CFolderEntry>& entries,
                           const std::vector<uint64_t>& nodes)
{
    auto it = m_listings.find({folder.m_nDevice, folder.m_nNode});
    if (it == m_listings.end() || it->second.m_bRead || !it->second.m_pLock || nodes.size() != entries.size()) return;
    CListing& listing = it->second;
    size_t units = 0;
    for (const CFolderEntry& entry : entries) units += entry.m_strName.size();
    listing.m_entries.Reserve(entries.size(), entries.empty() ? 0 : units / entries.size() + 1);
    for (size_t e = 0; e < entries.size(); ++e)
        listing.m_entries.Add(entries[e].m_strName, entries[e].m_bDirectory, nodes[e]);
    listing.m_bRead = true;
}

bool CFolderListings::TakeLock(const CFileId& folder, std::unique_ptr<CFileLock>& lock)
{
    auto it = m_listings.find({folder.m_nDevice, folder.m_nNode});
    if (it == m_listings.end() || !it->second.m_pLock) return false;
    lock = std::move(it->second.m_pLock);
    return true;
}

bool CFolderListings::TakeEntries(const CFileId& folder, CFolderEntries& entries)
{
    auto it = m_listings.find({folder.m_nDevice, folder.m_nNode});
    // Only what was read under the lock the run now holds.
    if (it == m_listings.end() || it->second.m_pLock || !it->second.m_bRead) return false;
    entries = std::move(it->second.m_entries);
    it->second.m_bRead = false;
    return true;
}

}  // namespace kq
