// Video duration, frame size and tags through MediaInfoLib (MP4, MOV, MKV,
// WebM, AVI, …). The library is fed blocks that we read ourselves, so it
// never opens a file by name, and the reading stops at a fixed budget.
#include "formula/filemeta/MetaReaders.h"

#include <array>

#include "platform/Text.h"

namespace kq::meta {

bool IsVideoName(std::u16string_view name)
{
    static constexpr std::array<std::u16string_view, 16> kVideo = {
        u"mp4", u"m4v", u"mov", u"qt", u"mkv", u"webm", u"avi", u"wmv",
        u"mpg", u"mpeg", u"ts", u"m2ts", u"mts", u"3gp", u"flv", u"ogv"};
    const size_t dot = name.rfind(u'.');
    if (dot == std::u16string_view::npos) return false;
    const std::u16string extension = ToAsciiLower(name.substr(dot + 1));
    for (std::u16string_view v : kVideo)
        if (extension == v) return true;
    return false;
}

}  // namespace kq::meta

#ifdef KQ_HAVE_MEDIAINFO

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/ContentFile.h"

// MediaInfoLib's C interface, as its shared library exports it. Declared
// here so that only the library itself is needed: Debian's development
// package would pull in a libcurl variant that excludes the updater's.
extern "C" {
void* MediaInfoA_New();
void MediaInfoA_Delete(void* handle);
const char* MediaInfoA_Option(void* handle, const char* option, const char* value);
size_t MediaInfoA_Open_Buffer_Init(void* handle, uint64_t fileSize, uint64_t fileOffset);
size_t MediaInfoA_Open_Buffer_Continue(void* handle, const unsigned char* buffer, size_t size);
uint64_t MediaInfoA_Open_Buffer_Continue_GoTo_Get(void* handle);
size_t MediaInfoA_Open_Buffer_Finalize(void* handle);
const char* MediaInfoA_Get(void* handle, int streamKind, size_t streamNumber, const char* parameter, int infoKind,
                           int searchKind);
size_t MediaInfoA_Count_Get(void* handle, int streamKind, size_t streamNumber);
}

namespace kq::meta {

namespace {

// What one file may cost the video reader: far beyond the headers and
// indexes of any real video, far below a hostile file that asks to read
// itself over and over.
constexpr uint64_t kMaxScanBytes = uint64_t(64) << 20;
constexpr int kMaxSteps = 4096;
constexpr size_t kBlock = 64 * 1024;

enum EStream { kStreamGeneral = 0, kStreamVideo = 1 };
constexpr int kInfoText = 1;
constexpr int kInfoName = 0;

struct CHandleDeleter {
    void operator()(void* handle) const { MediaInfoA_Delete(handle); }
};
using CHandle = std::unique_ptr<void, CHandleDeleter>;

std::string Field(void* info, EStream stream, const char* name)
{
    const char* text = MediaInfoA_Get(info, stream, 0, name, kInfoText, kInfoName);
    return text ? std::string(text) : std::string();
}

double Number(const std::string& text)
{
    if (text.empty()) return 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return std::isfinite(value) && value > 0 ? value : 0;
}

int32_t Clamp(double value) { return value >= 2147483647.0 ? INT32_MAX : int32_t(value); }

uint64_t BigEndian(const unsigned char* p, int bytes)
{
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value = (value << 8) | p[i];
    return value;
}

// MediaInfoLib believes a sample table's entry count: a table of 16 bytes
// that claims four billion entries keeps it busy for minutes. An MP4 or MOV
// file whose tables cannot hold the entries they count is damaged, and is
// not handed to it. Only box headers are read, at most kMaxBoxes of them.
bool TablesFitTheirBoxes(const CContentFile& file)
{
    constexpr int kMaxBoxes = 4096;
    unsigned char head[16];
    if (file.ReadAt(0, head, 8) != 8) return true;
    const std::string_view first(reinterpret_cast<const char*>(head + 4), 4);
    if (first != "ftyp" && first != "moov" && first != "mdat" && first != "free" && first != "wide" &&
        first != "skip")
        return true;  // not an ISO media file: nothing to check
    // The size of one entry of each counted table, after its version, flags
    // and count (sample sizes: see below).
    auto entrySize = [](std::string_view type) -> uint64_t {
        if (type == "stts" || type == "ctts" || type == "co64") return 8;
        if (type == "stsc") return 12;
        if (type == "stco" || type == "stss" || type == "stps") return 4;
        if (type == "dref" || type == "stsd") return 8;  // entries are boxes
        return 0;
    };
    auto isContainer = [](std::string_view type) {
        return type == "moov" || type == "trak" || type == "mdia" || type == "minf" || type == "stbl" ||
               type == "dinf" || type == "edts" || type == "mvex" || type == "moof" || type == "traf";
    };
    struct CRange {
        uint64_t m_nBegin, m_nEnd;
    };
    std::vector<CRange> pending{{0, file.Size()}};
    int boxes = 0;
    while (!pending.empty()) {
        const CRange range = pending.back();
        pending.pop_back();
        for (uint64_t pos = range.m_nBegin; pos + 8 <= range.m_nEnd;) {
            if (++boxes > kMaxBoxes) return true;
            const long long got = file.ReadAt(pos, head, sizeof head);
            if (got < 8) break;
            uint64_t size = BigEndian(head, 4);
            uint64_t header = 8;
            if (size == 1) {
                if (got < 16) break;
                size = BigEndian(head + 8, 8);
                header = 16;
            } else if (size == 0) {
                size = range.m_nEnd - pos;
            }
            if (size < header || size > range.m_nEnd - pos) break;
            const std::string_view type(reinterpret_cast<const char*>(head + 4), 4);
            if (isContainer(type)) {
                pending.push_back({pos + header, pos + size});
            } else if (type == "stsz" || entrySize(type) > 0) {
                unsigned char fields[12];
                const uint64_t room = size - header;
                const long long n = file.ReadAt(pos + header, fields, sizeof fields);
                if (room < 8 || n < 8) return false;
                uint64_t count = BigEndian(fields + 4, 4);
                uint64_t need = 8 + count * entrySize(type);
                if (type == "stsz") {
                    // A sample size of its own for each sample only when the common size is 0.
                    if (room < 12 || n < 12) return false;
                    count = BigEndian(fields + 8, 4);
                    need = 12 + (BigEndian(fields + 4, 4) == 0 ? count * 4 : 0);
                }
                if (need > room) return false;
            }
            pos += size;
        }
    }
    return true;
}

void Feed(void* info, const CContentFile& file)
{
    const uint64_t size = file.Size();
    std::vector<unsigned char> buffer(kBlock);
    MediaInfoA_Open_Buffer_Init(info, size, 0);
    uint64_t pos = 0, scanned = 0;
    for (int step = 0; step < kMaxSteps && pos < size && scanned < kMaxScanBytes; ++step) {
        const long long got = file.ReadAt(pos, buffer.data(), buffer.size());
        if (got <= 0) break;
        scanned += uint64_t(got);
        const size_t status = MediaInfoA_Open_Buffer_Continue(info, buffer.data(), size_t(got));
        if (status & 0x08) break;  // finalised: nothing more is needed
        const uint64_t next = MediaInfoA_Open_Buffer_Continue_GoTo_Get(info);
        if (next == uint64_t(-1)) {
            pos += uint64_t(got);
        } else if (next >= size) {
            break;
        } else {
            pos = next;
            MediaInfoA_Open_Buffer_Init(info, size, pos);
        }
    }
    MediaInfoA_Open_Buffer_Finalize(info);
}

std::u16string WholeNumber(const std::string& text)
{
    size_t digits = 0;
    while (digits < text.size() && digits < 9 && text[digits] >= '0' && text[digits] <= '9') ++digits;
    if (digits == 0) return {};
    return FromUtf8(std::to_string(std::stoul(text.substr(0, digits))));
}

}  // namespace

void ReadVideo(const CContentFile& file, CFileMetaRecord& record)
{
    record.m_nGroups |= kMetaGroupMedia | kMetaGroupImage;
    try {
        CHandle handle(MediaInfoA_New());
        void* info = handle.get();
        if (!info) return;
        MediaInfoA_Option(info, "CharSet", "UTF-8");
        MediaInfoA_Option(info, "ParseSpeed", "0");
        MediaInfoA_Option(info, "Internet", "No");
        if (!TablesFitTheirBoxes(file)) return;
        Feed(info, file);
        record.m_nDuration = Clamp(Number(Field(info, kStreamGeneral, "Duration")) / 1000.0);
        if (MediaInfoA_Count_Get(info, kStreamVideo, size_t(-1)) > 0) {
            int32_t width = Clamp(Number(Field(info, kStreamVideo, "Width")));
            int32_t height = Clamp(Number(Field(info, kStreamVideo, "Height")));
            // A phone's portrait video is stored turned by a quarter.
            const long rotation = std::lround(Number(Field(info, kStreamVideo, "Rotation")));
            if (rotation % 180 == 90) std::swap(width, height);
            record.m_nImageWidth = width;
            record.m_nImageHeight = height;
        }
        auto tags = std::make_unique<CMediaTags>();
        auto put = [&](EMediaTag tag, const char* field) { (*tags)[size_t(tag)] = MetaText(Field(info, kStreamGeneral, field)); };
        put(EMediaTag::Title, "Title");
        put(EMediaTag::Artist, "Performer");
        put(EMediaTag::Album, "Album");
        put(EMediaTag::AlbumArtist, "Album/Performer");
        put(EMediaTag::Genre, "Genre");
        put(EMediaTag::Comment, "Comment");
        put(EMediaTag::Composer, "Composer");
        const std::string date = Field(info, kStreamGeneral, "Recorded_Date");
        (*tags)[size_t(EMediaTag::Year)] = WholeNumber(date).size() == 4 ? FromUtf8(date.substr(0, 4)) : std::u16string();
        (*tags)[size_t(EMediaTag::Track)] = WholeNumber(Field(info, kStreamGeneral, "Track/Position"));
        (*tags)[size_t(EMediaTag::Disc)] = WholeNumber(Field(info, kStreamGeneral, "Part/Position"));
        KeepMediaTags(std::move(tags), record);
    } catch (...) {
    }
}

}  // namespace kq::meta

#else

namespace kq::meta {

void ReadVideo(const CContentFile&, CFileMetaRecord& record) { record.m_nGroups |= kMetaGroupMedia | kMetaGroupImage; }

}  // namespace kq::meta

#endif
