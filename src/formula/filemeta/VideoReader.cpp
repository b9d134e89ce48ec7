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

#include <MediaInfo/MediaInfo.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/ContentFile.h"

namespace kq::meta {

namespace {

// What one file may cost the video reader: far beyond the headers and
// indexes of any real video, far below a hostile file that asks to read
// itself over and over.
constexpr uint64_t kMaxScanBytes = uint64_t(64) << 20;
constexpr int kMaxSteps = 4096;
constexpr size_t kBlock = 64 * 1024;

std::string Utf8(const MediaInfoLib::String& text)
{
    std::u16string wide;
    wide.reserve(text.size());
    for (wchar_t c : text) {
        const uint32_t u = uint32_t(c);
        if (u >= 0x10000 && u <= 0x10FFFF) {
            wide.push_back(char16_t(0xD800 + ((u - 0x10000) >> 10)));
            wide.push_back(char16_t(0xDC00 + ((u - 0x10000) & 0x3FF)));
        } else if (u < 0x10000) {
            wide.push_back(char16_t(u));
        }
    }
    return ToUtf8(wide);
}

double Number(const MediaInfoLib::String& text)
{
    if (text.empty()) return 0;
    const std::string utf8 = Utf8(text);
    char* end = nullptr;
    const double value = std::strtod(utf8.c_str(), &end);
    return std::isfinite(value) && value > 0 ? value : 0;
}

int32_t Clamp(double value) { return value >= 2147483647.0 ? INT32_MAX : int32_t(value); }

void Feed(MediaInfoLib::MediaInfo& info, const CContentFile& file)
{
    const uint64_t size = file.Size();
    std::vector<unsigned char> buffer(kBlock);
    info.Open_Buffer_Init(size, 0);
    uint64_t pos = 0, scanned = 0;
    for (int step = 0; step < kMaxSteps && pos < size && scanned < kMaxScanBytes; ++step) {
        const long long got = file.ReadAt(pos, buffer.data(), buffer.size());
        if (got <= 0) break;
        scanned += uint64_t(got);
        const size_t status = info.Open_Buffer_Continue(buffer.data(), size_t(got));
        if (status & 0x08) break;  // finalised: nothing more is needed
        const uint64_t next = info.Open_Buffer_Continue_GoTo_Get();
        if (next == uint64_t(-1)) {
            pos += uint64_t(got);
        } else if (next >= size) {
            break;
        } else {
            pos = next;
            info.Open_Buffer_Init(size, pos);
        }
    }
    info.Open_Buffer_Finalize();
}

std::u16string Text(MediaInfoLib::MediaInfo& info, const wchar_t* field)
{
    return MetaText(Utf8(info.Get(MediaInfoLib::Stream_General, 0, field)));
}

std::u16string WholeNumber(const std::u16string& text)
{
    size_t digits = 0;
    while (digits < text.size() && digits < 9 && text[digits] >= u'0' && text[digits] <= u'9') ++digits;
    if (digits == 0) return {};
    return FromUtf8(std::to_string(std::stoul(ToUtf8(text.substr(0, digits)))));
}

}  // namespace

void ReadVideo(const CContentFile& file, CFileMetaRecord& record)
{
    record.m_nGroups |= kMetaGroupMedia | kMetaGroupImage;
    try {
        MediaInfoLib::MediaInfo info;
        info.Option(__T("ParseSpeed"), __T("0"));
        info.Option(__T("Internet"), __T("No"));
        Feed(info, file);
        record.m_nDuration = Clamp(Number(info.Get(MediaInfoLib::Stream_General, 0, __T("Duration"))) / 1000.0);
        if (info.Count_Get(MediaInfoLib::Stream_Video) > 0) {
            int32_t width = Clamp(Number(info.Get(MediaInfoLib::Stream_Video, 0, __T("Width"))));
            int32_t height = Clamp(Number(info.Get(MediaInfoLib::Stream_Video, 0, __T("Height"))));
            // A phone's portrait video is stored turned by a quarter.
            const long rotation = std::lround(Number(info.Get(MediaInfoLib::Stream_Video, 0, __T("Rotation"))));
            if (rotation % 180 == 90) std::swap(width, height);
            record.m_nImageWidth = width;
            record.m_nImageHeight = height;
        }
        auto tags = std::make_unique<CMediaTags>();
        (*tags)[size_t(EMediaTag::Title)] = Text(info, __T("Title"));
        (*tags)[size_t(EMediaTag::Artist)] = Text(info, __T("Performer"));
        (*tags)[size_t(EMediaTag::Album)] = Text(info, __T("Album"));
        (*tags)[size_t(EMediaTag::AlbumArtist)] = Text(info, __T("Album/Performer"));
        (*tags)[size_t(EMediaTag::Genre)] = Text(info, __T("Genre"));
        const std::u16string date = Text(info, __T("Recorded_Date"));
        (*tags)[size_t(EMediaTag::Year)] = WholeNumber(date).size() == 4 ? date.substr(0, 4) : std::u16string();
        (*tags)[size_t(EMediaTag::Track)] = WholeNumber(Text(info, __T("Track/Position")));
        (*tags)[size_t(EMediaTag::Disc)] = WholeNumber(Text(info, __T("Part/Position")));
        (*tags)[size_t(EMediaTag::Comment)] = Text(info, __T("Comment"));
        (*tags)[size_t(EMediaTag::Composer)] = Text(info, __T("Composer"));
        if (std::any_of(tags->begin(), tags->end(), [](const std::u16string& v) { return !v.empty(); }))
            record.m_pMediaTags = std::move(tags);
    } catch (...) {
    }
}

}  // namespace kq::meta

#else

namespace kq::meta {

void ReadVideo(const CContentFile&, CFileMetaRecord& record) { record.m_nGroups |= kMetaGroupMedia | kMetaGroupImage; }

}  // namespace kq::meta

#endif
