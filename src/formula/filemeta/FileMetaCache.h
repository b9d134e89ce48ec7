// The metadata and hashes of users' files, read once per version of a file
// however many rows, keystrokes or functions ask: records are kept by the
// file's device, node, size and times, so a file changed on disk is read
// again and a renamed one is not. Safe to use from many threads at once.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "formula/filemeta/FileMetaRecord.h"

namespace kq {

class CFileMetaCache {
public:
    CFileMetaCache();
    ~CFileMetaCache();
    CFileMetaCache(const CFileMetaCache&) = delete;
    CFileMetaCache& operator=(const CFileMetaCache&) = delete;

    // The one the formula functions use.
    static CFileMetaCache& Shared();

    // Each gives the absent value (0 or empty) for a path that is not a
    // readable regular file or holds no such field.
    int32_t ExifDate(std::u16string_view path);
    int32_t ImageWidth(std::u16string_view path);
    int32_t ImageHeight(std::u16string_view path);
    std::u16string ExifTag(std::u16string_view path, std::u16string_view key);
    std::u16string MediaTag(std::u16string_view path, EMediaTag tag);
    int32_t MediaDuration(std::u16string_view path);
    std::u16string DocTag(std::u16string_view path, EDocTag tag);
    std::string FileHash(std::u16string_view path, EHashAlgorithm algorithm);

    // Reads whatever of the request the cache lacks for this file.
    void Prefetch(std::u16string_view path, const CFileMetaRequest& need);

    void Clear();
    size_t GetRecordCount() const;
    // Files opened for reading so far (what a test of the cache counts).
    uint64_t GetOpenCount() const { return m_nOpens.load(); }
    // Records beyond this many bytes, or this many records, are dropped and
    // read again when asked: the cache never outgrows a list of photos.
    void SetBudget(size_t bytes, size_t records);

private:
    struct CShard;
    template <class Visit>
    void Use(std::u16string_view path, const CFileMetaRequest& need, Visit&& visit);
    int32_t Number(std::u16string_view path, EFileMetaGroup group, int32_t CFileMetaRecord::*field);
    template <class Tags>
    std::u16string TagText(std::u16string_view path, EFileMetaGroup group, std::unique_ptr<Tags> CFileMetaRecord::*tags,
                           size_t index);

    std::unique_ptr<CShard[]> m_pShards;
    std::atomic<uint64_t> m_nOpens{0};
    std::atomic<size_t> m_nBudgetBytes;
    std::atomic<size_t> m_nBudgetRecords;
};

// Reads what a request needs for a list of files ahead of the per-row pass,
// on all cores, into the shared cache. Cancel stops it between files.
class CFileMetaReadAhead {
public:
    CFileMetaReadAhead() = default;
    ~CFileMetaReadAhead();  // cancels and waits
    CFileMetaReadAhead(const CFileMetaReadAhead&) = delete;
    CFileMetaReadAhead& operator=(const CFileMetaReadAhead&) = delete;

    // Returns at once; threads = 0 means one per core. The work also stops
    // when *cancel becomes true.
    void Start(std::vector<std::u16string> paths, CFileMetaRequest need, unsigned threads = 0,
               CFileMetaCache* cache = nullptr, const std::atomic<bool>* cancel = nullptr);
    void Cancel() { m_bCancel = true; }
    // Waits for the threads; true when every file was done (not cancelled).
    bool Wait();
    size_t GetDoneCount() const { return m_nDone.load(); }

private:
    void Work();

    std::vector<std::u16string> m_aPaths;
    CFileMetaRequest m_need;
    CFileMetaCache* m_pCache = nullptr;
    std::vector<std::thread> m_aThreads;
    std::atomic<size_t> m_nNext{0};
    std::atomic<size_t> m_nDone{0};
    std::atomic<bool> m_bCancel{false};
    const std::atomic<bool>* m_pExternalCancel = nullptr;
};

// Start and Wait in one call; false when cancel became true before the end.
bool ReadFileMetaAhead(std::vector<std::u16string> paths, const CFileMetaRequest& need,
                       const std::atomic<bool>* cancel = nullptr);

}  // namespace kq
