// Reads arbitrary bytes as a user's file under each name the metadata
// readers tell apart, through every metadata and hash function. Any crash,
// sanitizer report, hang or runaway allocation is a finding; the values
// themselves may be anything.
//
// Input: the first byte picks the extension, the rest is the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "formula/filemeta/FileMetaCache.h"
#include "platform/Text.h"

namespace {

int64_t g_nSink = 0;

constexpr const char* kExtensions[] = {"jpg", "png", "tif", "webp", "cr2", "nef", "mp3", "flac", "ogg", "opus",
                                       "m4a", "wav", "mp4", "mov", "mkv", "webm", "avi", "pdf", "bin"};

const std::string& Folder()
{
    static const std::string folder = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kq-filemeta-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        return pattern;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const char* extension = kExtensions[data[0] % (sizeof kExtensions / sizeof kExtensions[0])];
    const std::string path = Folder() + "/input." + extension;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size > 1 && std::fwrite(data + 1, 1, size - 1, f) != size - 1) std::abort();
    std::fclose(f);

    kq::CFileMetaCache cache;  // a fresh one: every input is read
    const std::u16string file = kq::FromUtf8(path);
    int64_t sink = 0;
    sink += cache.ExifDate(file) + cache.ImageWidth(file) + cache.ImageHeight(file) + cache.MediaDuration(file);
    for (const char16_t* key : {u"Exif.Image.Model", u"Exif.Photo.FNumber", u"Iptc.Application2.City", u"Xmp.dc.title"})
        sink += int64_t(cache.ExifTag(file, key).size());
    for (int t = 0; t < kq::kMediaTagCount; ++t) sink += int64_t(cache.MediaTag(file, kq::EMediaTag(t)).size());
    for (int t = 0; t < kq::kDocTagCount; ++t) sink += int64_t(cache.DocTag(file, kq::EDocTag(t)).size());
    sink += int64_t(cache.FileHash(file, kq::EHashAlgorithm::Crc32).size());
    std::remove(path.c_str());
    g_nSink += sink;  // kept, so the calls cannot be dropped
    return 0;
}
