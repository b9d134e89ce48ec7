// What a formula may ask about a row's file: photo, audio, video and
// document metadata and content hashes, and a request naming the parts to
// read, so that one pass over a file can serve every function that uses it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kq {

enum class EHashAlgorithm : uint8_t { Md5, Sha1, Sha256, Sha512, Crc32, Xxh64 };
inline constexpr int kHashAlgorithmCount = 6;

// Keys of mediatag, in this order.
enum class EMediaTag : uint8_t { Title, Artist, Album, AlbumArtist, Genre, Year, Track, Disc, Comment, Composer };
inline constexpr int kMediaTagCount = 10;

// Keys of doctag, in this order.
enum class EDocTag : uint8_t { Title, Author, Subject, Keywords, Creator, Producer, Pages };
inline constexpr int kDocTagCount = 7;

// Names compare with ASCII case ignored; false for an unknown name.
bool FindHashAlgorithm(std::u16string_view name, EHashAlgorithm& algorithm);
bool FindMediaTag(std::u16string_view name, EMediaTag& tag);
bool FindDocTag(std::u16string_view name, EDocTag& tag);

// True when the metadata library knows the key (Exif, IPTC or XMP); an
// unknown key has no value in any file, so no file is read for it.
bool IsKnownExifKey(std::string_view key);

struct CFileMetaRequest {
    bool m_bImage = false;                // photo date and pixel size
    std::vector<std::string> m_aExifKeys;  // keys of exiftag (UTF-8, known ones)
    bool m_bMedia = false;                // audio and video tags and duration
    bool m_bDocument = false;             // PDF information
    uint8_t m_nHashes = 0;                // one bit per EHashAlgorithm

    bool IsEmpty() const { return !m_bImage && m_aExifKeys.empty() && !m_bMedia && !m_bDocument && m_nHashes == 0; }
    void AddExifKey(std::string key);
    void AddHash(EHashAlgorithm algorithm) { m_nHashes |= uint8_t(1u << unsigned(algorithm)); }
    void Merge(const CFileMetaRequest& other);
};

}  // namespace kq
