// Folders read for a rename that is about to run: each under the run lock of
// its folder, taken before the read and kept, so that what was read stays
// what the folder holds as far as any other rename is concerned. The run
// takes lock and entries over instead of locking and reading again.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "renamer/list/FileNameList.h"
#include "renamer/safety/RenamePlan.h"

namespace kq {

class CFolderListings : public IFolderReadWatcher {
public:
    // Locks go where the run's own would (empty: the default journal folder).
    explicit CFolderListings(std::u16string journalFolder);

    bool BeforeRead(const CFileId& folder) override;
    void Read(const CFileId& folder, const std::vector<CFolderEntry>& entries,
              const std::vector<uint64_t>& nodes) override;

    // The run's lock of a folder, when one was taken; false when none.
    bool TakeLock(const CFileId& folder, std::unique_ptr<CFileLock>& lock);
    // A folder's entries as read under the lock the run took over; false
    // when there are none.
    bool TakeEntries(const CFileId& folder, CFolderEntries& entries);

private:
    using Key = std::pair<uint64_t, uint64_t>;
    struct CListing {
        // A listing is made once its lock is taken: null then means the run has it.
        std::unique_ptr<CFileLock> m_pLock;
        bool m_bRead = false;
        CFolderEntries m_entries;
    };
    std::u16string m_strJournalFolder;
    bool m_bFolderMade = false;
    std::map<Key, CListing> m_listings;
};

}  // namespace kq
