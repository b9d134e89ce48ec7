// The readers behind the file metadata cache, one per library. Each reads
// only from the open file it is given, fills its part of the record and
// never throws; a file it cannot make sense of leaves the absent values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formula/filemeta/FileMetaRecord.h"

namespace kq {

class CContentFile;

namespace meta {

// Reads of a file through one block kept in memory: the libraries walk
// headers a few bytes at a time, which would otherwise be a system call each.
class CBlockReader {
public:
    explicit CBlockReader(const CContentFile& file);
    uint64_t Size() const { return m_nSize; }
    // Bytes copied (fewer only at the end of the file), -1 on a read error.
    long long ReadAt(uint64_t offset, void* buffer, size_t size);

private:
    const CContentFile& m_file;
    const uint64_t m_nSize;
    uint64_t m_nBlockStart = 0;
    size_t m_nBlockSize = 0;
    unsigned char m_aBlock[16384];
};

// Photo facts (date, displayed size) when facts is set, and the given keys.
void ReadImage(const CContentFile& file, bool facts, const std::vector<std::string>& keys, CFileMetaRecord& record);
// Tags and duration of audio files (by the name's extension).
void ReadAudio(const CContentFile& file, std::u16string_view name, CFileMetaRecord& record);
// Tags, duration and frame size of video files (both groups at once).
void ReadVideo(const CContentFile& file, CFileMetaRecord& record);
void ReadDocument(const CContentFile& file, CFileMetaRecord& record);
// Every algorithm of the bit set in one pass over the contents.
void ReadHashes(const CContentFile& file, uint8_t algorithms, CFileMetaRecord& record);

// Names whose files go to the video reader rather than the audio one.
bool IsVideoName(std::u16string_view name);

// Keeps the tags in the record when any of them has a value (a file
// without tags costs no memory).
void KeepMediaTags(std::unique_ptr<CMediaTags> tags, CFileMetaRecord& record);

// A library's UTF-8 text as a formula text: trimmed, without NULs, and cut
// at kMaxMetaText units so that a hostile tag cannot fill the memory.
inline constexpr size_t kMaxMetaText = 65536;
std::u16string MetaText(std::string_view utf8);

// "YYYY:MM:DD HH:MM:SS", also with "-" and "T" as XMP writes it, seconds or
// the whole time optional, any zone suffix ignored, read as local time;
// false for anything else (blank camera dates such as "0000:00:00").
bool ParseMetaDate(std::string_view text, int32_t& t);

}  // namespace meta
}  // namespace kq
