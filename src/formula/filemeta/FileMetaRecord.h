// What the readers found in one version of a file. A record grows as
// requests ask for more; the parts that photos never have live behind
// pointers, so that 100,000 photos cost a few dozen bytes each.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "formula/filemeta/FileMetaRequest.h"

namespace kq {

// Parts of a record, read together by one library.
enum EFileMetaGroup : uint8_t {
    kMetaGroupImage = 1,     // photo date and displayed size (a video's frame size)
    kMetaGroupMedia = 2,     // tags and duration of audio and video
    kMetaGroupDocument = 4,  // PDF information
};

using CMediaTags = std::array<std::u16string, kMediaTagCount>;
using CDocTags = std::array<std::u16string, kDocTagCount>;
using CHashTexts = std::array<std::string, kHashAlgorithmCount>;

struct CFileMetaRecord {
    uint8_t m_nGroups = 0;  // EFileMetaGroup bits read
    uint8_t m_nHashes = 0;  // EHashAlgorithm bits computed
    int32_t m_nExifDate = 0;
    int32_t m_nImageWidth = 0;   // as displayed (orientation applied); a video's frame
    int32_t m_nImageHeight = 0;
    int32_t m_nDuration = 0;     // seconds
    std::vector<std::pair<std::string, std::u16string>> m_aExifTags;  // each key asked, empty when absent
    std::unique_ptr<CMediaTags> m_pMediaTags;  // none when the file had no tags
    std::unique_ptr<CDocTags> m_pDocTags;
    std::unique_ptr<CHashTexts> m_pHashes;

    const std::u16string* FindExifTag(std::string_view key) const
    {
        for (const auto& [k, v] : m_aExifTags)
            if (k == key) return &v;
        return nullptr;
    }
    // Roughly what the record holds on the heap, for the cache's budget.
    size_t Footprint() const;
};

}  // namespace kq
