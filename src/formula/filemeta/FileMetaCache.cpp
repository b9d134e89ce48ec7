#include "formula/filemeta/FileMetaCache.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "formula/filemeta/FileMetaRecord.h"
#include "formula/filemeta/MetaReaders.h"
#include "platform/ContentFile.h"
#include "platform/Path.h"
#include "platform/Text.h"

namespace kq {

namespace {

constexpr size_t kShardCount = 16;
constexpr size_t kDefaultBudgetBytes = size_t(256) << 20;
constexpr size_t kDefaultBudgetRecords = 2'000'000;

struct CIdHash {
    size_t operator()(const CContentId& id) const
    {
        uint64_t h = id.m_nNode * 0x9E3779B97F4A7C15ull;
        h ^= id.m_nDevice + 0x632BE59BD9B4E019ull + (h << 6) + (h >> 2);
        h ^= id.m_nSize + (h << 6) + (h >> 2);
        h ^= uint64_t(id.m_nModified) + (h << 6) + (h >> 2);
        return size_t(h ^ (h >> 29));
    }
};

std::u16string_view NameOf(std::u16string_view path)
{
    const size_t sep = path.rfind(kPathSeparator);
    return sep == std::u16string_view::npos ? path : path.substr(sep + 1);
}

// The parts of `need` that the record does not hold yet.
CFileMetaRequest Missing(const CFileMetaRecord& record, const CFileMetaRequest& need)
{
    CFileMetaRequest missing;
    missing.m_bImage = need.m_bImage && !(record.m_nGroups & kMetaGroupImage);
    missing.m_bMedia = need.m_bMedia && !(record.m_nGroups & kMetaGroupMedia);
    missing.m_bDocument = need.m_bDocument && !(record.m_nGroups & kMetaGroupDocument);
    missing.m_nHashes = uint8_t(need.m_nHashes & ~record.m_nHashes);
    for (const std::string& key : need.m_aExifKeys)
        if (!record.FindExifTag(key)) missing.m_aExifKeys.push_back(key);
    return missing;
}

void Read(const CContentFile& file, std::u16string_view name, const CFileMetaRequest& need, CFileMetaRecord& record)
{
    const bool video = meta::IsVideoName(name);
    if ((need.m_bMedia || (need.m_bImage && video))) {
        if (video) meta::ReadVideo(file, record);
        else meta::ReadAudio(file, name, record);
    }
    const bool imageFacts = need.m_bImage && !(record.m_nGroups & kMetaGroupImage);
    if (imageFacts || !need.m_aExifKeys.empty()) meta::ReadImage(file, imageFacts, need.m_aExifKeys, record);
    if (need.m_bDocument) meta::ReadDocument(file, record);
    if (need.m_nHashes) meta::ReadHashes(file, need.m_nHashes, record);
}

// What an unreadable file gives: every part asked for, all absent.
void MarkAbsent(const CFileMetaRequest& need, CFileMetaRecord& record)
{
    if (need.m_bImage) record.m_nGroups |= kMetaGroupImage;
    if (need.m_bMedia) record.m_nGroups |= kMetaGroupMedia;
    if (need.m_bDocument) record.m_nGroups |= kMetaGroupDocument;
    record.m_nHashes |= need.m_nHashes;
    for (const std::string& key : need.m_aExifKeys) record.m_aExifTags.emplace_back(key, std::u16string());
}

void MergeInto(CFileMetaRecord& into, CFileMetaRecord&& from)
{
    if (from.m_nGroups & kMetaGroupImage) {
        into.m_nExifDate = from.m_nExifDate;
        into.m_nImageWidth = from.m_nImageWidth;
        into.m_nImageHeight = from.m_nImageHeight;
    }
    if (from.m_nGroups & kMetaGroupMedia) {
        into.m_nDuration = from.m_nDuration;
        into.m_pMediaTags = std::move(from.m_pMediaTags);
    }
    if (from.m_nGroups & kMetaGroupDocument) into.m_pDocTags = std::move(from.m_pDocTags);
    into.m_nGroups |= from.m_nGroups;
    for (auto& entry : from.m_aExifTags)
        if (!into.FindExifTag(entry.first)) into.m_aExifTags.push_back(std::move(entry));
    if (from.m_nHashes && from.m_pHashes) {
        if (!into.m_pHashes) into.m_pHashes = std::make_unique<CHashTexts>();
        for (int a = 0; a < kHashAlgorithmCount; ++a)
            if ((from.m_nHashes >> a) & 1u) (*into.m_pHashes)[size_t(a)] = std::move((*from.m_pHashes)[size_t(a)]);
    }
    into.m_nHashes |= from.m_nHashes;
}

}  // namespace

struct CFileMetaCache::CShard {
    std::mutex m_mutex;
    std::unordered_map<CContentId, CFileMetaRecord, CIdHash> m_map;
    size_t m_nBytes = 0;
};

CFileMetaCache::CFileMetaCache()
    : m_pShards(new CShard[kShardCount]), m_nBudgetBytes(kDefaultBudgetBytes), m_nBudgetRecords(kDefaultBudgetRecords)
{
}

CFileMetaCache::~CFileMetaCache() = default;

CFileMetaCache& CFileMetaCache::Shared()
{
    static CFileMetaCache cache;
    return cache;
}

void CFileMetaCache::SetBudget(size_t bytes, size_t records)
{
    m_nBudgetBytes = bytes;
    m_nBudgetRecords = std::max<size_t>(records, 1);
}

void CFileMetaCache::Clear()
{
    for (size_t i = 0; i < kShardCount; ++i) {
        std::lock_guard lock(m_pShards[i].m_mutex);
        m_pShards[i].m_map.clear();
        m_pShards[i].m_nBytes = 0;
    }
}

size_t CFileMetaCache::GetRecordCount() const
{
    size_t count = 0;
    for (size_t i = 0; i < kShardCount; ++i) {
        std::lock_guard lock(m_pShards[i].m_mutex);
        count += m_pShards[i].m_map.size();
    }
    return count;
}

template <class Visit>
void CFileMetaCache::Use(std::u16string_view path, const CFileMetaRequest& need, Visit&& visit)
{
    static const CFileMetaRecord kAbsent;
    CContentId id;
    // Only regular files: a FIFO, a device or a folder is never opened.
    if (!GetContentId(path, id)) {
        visit(kAbsent);
        return;
    }
    CFileMetaRequest missing;
    {
        CShard& shard = m_pShards[CIdHash()(id) % kShardCount];
        std::lock_guard lock(shard.m_mutex);
        auto it = shard.m_map.find(id);
        if (it == shard.m_map.end()) {
            missing = need;
        } else {
            missing = Missing(it->second, need);
            if (missing.IsEmpty()) {
                visit(it->second);
                return;
            }
        }
    }
    // The reading itself runs outside the lock, so other files go on.
    CFileMetaRecord fresh;
    CContentFile file;
    ++m_nOpens;
    if (file.Open(path)) {
        id = file.Id();  // the version actually read
        Read(file, NameOf(path), missing, fresh);
        file.Close();
    }
    MarkAbsent(missing, fresh);  // what the readers left unset stays absent

    CShard& shard = m_pShards[CIdHash()(id) % kShardCount];
    std::lock_guard lock(shard.m_mutex);
    const size_t records = m_nBudgetRecords.load() / kShardCount + 1;
    const size_t bytes = m_nBudgetBytes.load() / kShardCount + 1;
    if (shard.m_map.size() >= records || shard.m_nBytes >= bytes) {
        shard.m_map.clear();
        shard.m_nBytes = 0;
    }
    auto [it, added] = shard.m_map.try_emplace(id);
    const size_t before = added ? 0 : it->second.Footprint();
    MergeInto(it->second, std::move(fresh));
    shard.m_nBytes = shard.m_nBytes - std::min(before, shard.m_nBytes) + it->second.Footprint() + sizeof(CContentId) + 32;
    visit(it->second);
}

namespace {

CFileMetaRequest GroupRequest(EFileMetaGroup group)
{
    CFileMetaRequest need;
    need.m_bImage = group == kMetaGroupImage;
    need.m_bMedia = group == kMetaGroupMedia;
    need.m_bDocument = group == kMetaGroupDocument;
    return need;
}

}  // namespace

int32_t CFileMetaCache::Number(std::u16string_view path, EFileMetaGroup group, int32_t CFileMetaRecord::*field)
{
    int32_t value = 0;
    Use(path, GroupRequest(group), [&](const CFileMetaRecord& r) { value = r.*field; });
    return value;
}

template <class Tags>
std::u16string CFileMetaCache::TagText(std::u16string_view path, EFileMetaGroup group,
                                       std::unique_ptr<Tags> CFileMetaRecord::*tags, size_t index)
{
    std::u16string value;
    Use(path, GroupRequest(group), [&](const CFileMetaRecord& r) {
        if (r.*tags) value = (*(r.*tags))[index];
    });
    return value;
}

int32_t CFileMetaCache::ExifDate(std::u16string_view path)
{
    return Number(path, kMetaGroupImage, &CFileMetaRecord::m_nExifDate);
}

int32_t CFileMetaCache::ImageWidth(std::u16string_view path)
{
    return Number(path, kMetaGroupImage, &CFileMetaRecord::m_nImageWidth);
}

int32_t CFileMetaCache::ImageHeight(std::u16string_view path)
{
    return Number(path, kMetaGroupImage, &CFileMetaRecord::m_nImageHeight);
}

int32_t CFileMetaCache::MediaDuration(std::u16string_view path)
{
    return Number(path, kMetaGroupMedia, &CFileMetaRecord::m_nDuration);
}

std::u16string CFileMetaCache::MediaTag(std::u16string_view path, EMediaTag tag)
{
    return TagText(path, kMetaGroupMedia, &CFileMetaRecord::m_pMediaTags, size_t(tag));
}

std::u16string CFileMetaCache::DocTag(std::u16string_view path, EDocTag tag)
{
    return TagText(path, kMetaGroupDocument, &CFileMetaRecord::m_pDocTags, size_t(tag));
}

std::u16string CFileMetaCache::ExifTag(std::u16string_view path, std::u16string_view key)
{
    const std::string utf8 = ToUtf8(key);
    if (!IsKnownExifKey(utf8)) return {};
    CFileMetaRequest need;
    need.m_aExifKeys.push_back(utf8);
    std::u16string value;
    Use(path, need, [&](const CFileMetaRecord& r) {
        if (const std::u16string* found = r.FindExifTag(utf8)) value = *found;
    });
    return value;
}




std::string CFileMetaCache::FileHash(std::u16string_view path, EHashAlgorithm algorithm)
{
    CFileMetaRequest need;
    need.AddHash(algorithm);
    std::string value;
    Use(path, need, [&](const CFileMetaRecord& r) {
        if (r.m_pHashes) value = (*r.m_pHashes)[size_t(algorithm)];
    });
    return value;
}

void CFileMetaCache::Prefetch(std::u16string_view path, const CFileMetaRequest& need)
{
    if (!need.IsEmpty()) Use(path, need, [](const CFileMetaRecord&) {});
}

// ---- read-ahead ---------------------------------------------------------------

CFileMetaReadAhead::~CFileMetaReadAhead()
{
    Cancel();
    Wait();
}

void CFileMetaReadAhead::Start(std::vector<std::u16string> paths, CFileMetaRequest need, unsigned threads,
                               CFileMetaCache* cache, const std::atomic<bool>* cancel)
{
    Cancel();
    Wait();
    m_aPaths = std::move(paths);
    m_need = std::move(need);
    m_pCache = cache ? cache : &CFileMetaCache::Shared();
    m_nNext = 0;
    m_nDone = 0;
    m_bCancel = false;
    m_pExternalCancel = cancel;
    if (m_need.IsEmpty() || m_aPaths.empty()) return;
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    // A thread for fewer than a handful of files costs more than it saves.
    threads = unsigned(std::min<size_t>(threads, (m_aPaths.size() + 3) / 4));
    for (unsigned t = 0; t < std::max(1u, threads); ++t) m_aThreads.emplace_back([this] { Work(); });
}

void CFileMetaReadAhead::Work()
{
    for (;;) {
        if (m_bCancel || (m_pExternalCancel && m_pExternalCancel->load())) return;
        const size_t i = m_nNext++;
        if (i >= m_aPaths.size()) return;
        m_pCache->Prefetch(m_aPaths[i], m_need);
        ++m_nDone;
    }
}

bool CFileMetaReadAhead::Wait()
{
    for (std::thread& t : m_aThreads)
        if (t.joinable()) t.join();
    m_aThreads.clear();
    return m_nDone.load() == m_aPaths.size();
}

bool ReadFileMetaAhead(std::vector<std::u16string> paths, const CFileMetaRequest& need, const std::atomic<bool>* cancel)
{
    CFileMetaReadAhead ahead;
    ahead.Start(std::move(paths), need, 0, nullptr, cancel);
    return ahead.Wait();
}

}  // namespace kq
