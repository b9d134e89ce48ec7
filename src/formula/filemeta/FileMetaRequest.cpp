#include "formula/filemeta/FileMetaRequest.h"

#include <algorithm>

#include "formula/filemeta/FileMetaRecord.h"

namespace kq {

namespace {

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view lower)
{
    if (a.size() != lower.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t c = a[i];
        if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
        if (c != lower[i]) return false;
    }
    return true;
}

template <class E, size_t N>
bool FindName(const std::u16string_view (&names)[N], std::u16string_view name, E& out)
{
    for (size_t i = 0; i < N; ++i)
        if (EqualsIgnoringCase(name, names[i])) {
            out = E(i);
            return true;
        }
    return false;
}

constexpr std::u16string_view kHashNames[] = {u"md5", u"sha1", u"sha256", u"sha512", u"crc32", u"xxh64"};
constexpr std::u16string_view kMediaNames[] = {u"title", u"artist", u"album", u"albumartist", u"genre",
                                               u"year",  u"track",  u"disc",  u"comment",     u"composer"};
constexpr std::u16string_view kDocNames[] = {u"title", u"author", u"subject", u"keywords", u"creator", u"producer", u"pages"};
static_assert(std::size(kHashNames) == kHashAlgorithmCount && std::size(kMediaNames) == kMediaTagCount &&
              std::size(kDocNames) == kDocTagCount);

}  // namespace

bool FindHashAlgorithm(std::u16string_view name, EHashAlgorithm& algorithm) { return FindName(kHashNames, name, algorithm); }
bool FindMediaTag(std::u16string_view name, EMediaTag& tag) { return FindName(kMediaNames, name, tag); }
bool FindDocTag(std::u16string_view name, EDocTag& tag) { return FindName(kDocNames, name, tag); }

void CFileMetaRequest::AddExifKey(std::string key)
{
    if (std::find(m_aExifKeys.begin(), m_aExifKeys.end(), key) == m_aExifKeys.end()) m_aExifKeys.push_back(std::move(key));
}

void CFileMetaRequest::Merge(const CFileMetaRequest& other)
{
    m_bImage |= other.m_bImage;
    m_bMedia |= other.m_bMedia;
    m_bDocument |= other.m_bDocument;
    m_nHashes |= other.m_nHashes;
    for (const std::string& key : other.m_aExifKeys) AddExifKey(key);
}

size_t CFileMetaRecord::Footprint() const
{
    size_t bytes = sizeof(CFileMetaRecord);
    for (const auto& [key, value] : m_aExifTags) bytes += sizeof(m_aExifTags[0]) + key.capacity() + value.capacity() * 2;
    if (m_pMediaTags)
        for (const auto& text : *m_pMediaTags) bytes += sizeof(text) + text.capacity() * 2;
    if (m_pDocTags)
        for (const auto& text : *m_pDocTags) bytes += sizeof(text) + text.capacity() * 2;
    if (m_pHashes) bytes += sizeof(CHashTexts) + kHashAlgorithmCount * 128;
    return bytes;
}

}  // namespace kq
