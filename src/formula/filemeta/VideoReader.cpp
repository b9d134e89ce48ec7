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
