// Photo metadata through Exiv2: Exif, IPTC and XMP of JPEG, PNG, TIFF,
// WebP and camera raw files. Exiv2 reads through CContentIo, so it sees
// only the checked regular file and never allocates past its end.
#include "formula/filemeta/MetaReaders.h"
#include "formula/filemeta/FileMetaRequest.h"

#ifdef KQ_HAVE_EXIV2

#include <exiv2/exiv2.hpp>

// Exiv2 0.27 hands its objects over in std::auto_ptr.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

#include <algorithm>
#include <mutex>

#include "platform/ContentFile.h"

namespace kq {

namespace {

// A file Exiv2 wants whole (TIFF and the raw formats built on it) is read
// into memory; beyond this it is left unread.
constexpr uint64_t kMaxWholeImageBytes = uint64_t(256) << 20;

// Exiv2's image type numbers of the video containers (its headers for them
// are only there when it was built with video support).
constexpr int kExiv2Riff = 20;
constexpr int kExiv2Matroska = 21;
constexpr int kExiv2QuickTime = 22;
constexpr int kExiv2Asf = 24;

class CContentIo : public Exiv2::BasicIo {
public:
    explicit CContentIo(const CContentFile& file) : m_file(file), m_reader(file), m_nSize(file.Size()) {}
    ~CContentIo() override { munmap(); }

    int open() override
    {
        m_nPos = 0;
        m_bEof = false;
        return 0;
    }
    int close() override { return 0; }
    long write(const Exiv2::byte*, long) override { return 0; }
    long write(Exiv2::BasicIo&) override { return 0; }
    int putb(Exiv2::byte) override { return EOF; }
    void transfer(Exiv2::BasicIo&) override { throw Exiv2::Error(Exiv2::kerCallFailed, "transfer"); }

    Exiv2::DataBuf read(long count) override
    {
        // Never more than what is left of the file, whatever a header claims.
        const long n = count <= 0 ? 0 : long(std::min<uint64_t>(uint64_t(count), Remaining()));
        Exiv2::DataBuf buf(n);
        const long got = read(buf.pData_, n);
        if (got < n) buf.size_ = got < 0 ? 0 : got;
        return buf;
    }
    long read(Exiv2::byte* buf, long count) override
    {
        if (count <= 0) return 0;
        const size_t want = size_t(std::min<uint64_t>(uint64_t(count), Remaining()));
        const long long got = want ? m_reader.ReadAt(m_nPos, buf, want) : 0;
        if (got < 0) {
            m_bError = true;
            return 0;
        }
        m_nPos += uint64_t(got);
        if (uint64_t(got) < uint64_t(count)) m_bEof = true;
        return long(got);
    }
    int getb() override
    {
        Exiv2::byte b = 0;
        return read(&b, 1) == 1 ? b : EOF;
    }
    int seek(long offset, Position pos) override
    {
        int64_t base = pos == beg ? 0 : pos == cur ? int64_t(m_nPos) : int64_t(m_nSize);
        int64_t target = base + offset;
        if (target < 0 || uint64_t(target) > m_nSize) return 1;
        m_nPos = uint64_t(target);
        m_bEof = false;
        return 0;
    }
    Exiv2::byte* mmap(bool writeable) override
    {
        if (writeable || m_nSize > kMaxWholeImageBytes) throw Exiv2::Error(Exiv2::kerCallFailed, "mmap");
        if (m_aWhole.empty() && m_nSize > 0) {
            m_aWhole.resize(size_t(m_nSize));
            if (m_file.ReadAt(0, m_aWhole.data(), m_aWhole.size()) != static_cast<long long>(m_nSize)) {
                std::vector<Exiv2::byte>().swap(m_aWhole);
                throw Exiv2::Error(Exiv2::kerCallFailed, "mmap");
            }
        }
        return m_aWhole.data();
    }
    int munmap() override
    {
        std::vector<Exiv2::byte>().swap(m_aWhole);
        return 0;
    }
    long tell() const override { return long(m_nPos); }
    size_t size() const override { return size_t(m_nSize); }
    bool isopen() const override { return true; }
    int error() const override { return m_bError ? 1 : 0; }
    bool eof() const override { return m_bEof; }
    std::string path() const override { return "content"; }

private:
    uint64_t Remaining() const { return m_nPos >= m_nSize ? 0 : m_nSize - m_nPos; }

    const CContentFile& m_file;
    meta::CBlockReader m_reader;
    const uint64_t m_nSize;
    uint64_t m_nPos = 0;
    bool m_bEof = false;
    bool m_bError = false;
    std::vector<Exiv2::byte> m_aWhole;
};

std::mutex g_xmpMutex;

void LockXmp(void*, bool lock)
{
    if (lock) g_xmpMutex.lock();
    else g_xmpMutex.unlock();
}

// The XMP toolkit must be set up once before threads parse, with a lock
// (it is not thread-safe); Exiv2's warnings about damaged files stay quiet.
void SetUpExiv2()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::LogMsg::setHandler(nullptr);
        Exiv2::XmpParser::initialize(LockXmp, nullptr);
    });
}

std::string RawValue(const Exiv2::ExifData& exif, const char* key)
{
    auto it = exif.findKey(Exiv2::ExifKey(key));
    return it == exif.end() ? std::string() : it->toString();
}

int32_t PhotoDate(const Exiv2::Image& image)
{
    const Exiv2::ExifData& exif = image.exifData();
    int32_t t = 0;
    for (const char* key : {"Exif.Photo.DateTimeOriginal", "Exif.Photo.DateTimeDigitized", "Exif.Image.DateTime"})
        if (meta::ParseMetaDate(RawValue(exif, key), t)) return t;
    const Exiv2::XmpData& xmp = image.xmpData();
    auto it = xmp.findKey(Exiv2::XmpKey("Xmp.xmp.CreateDate"));
    if (it != xmp.end() && meta::ParseMetaDate(it->toString(), t)) return t;
    return 0;
}

long ExifNumber(const Exiv2::ExifData& exif, const char* key)
{
    auto it = exif.findKey(Exiv2::ExifKey(key));
    if (it == exif.end() || it->count() == 0) return 0;
    return it->toLong(0);
}

void PixelSize(const Exiv2::Image& image, CFileMetaRecord& record)
{
    const Exiv2::ExifData& exif = image.exifData();
    long width = image.pixelWidth();
    long height = image.pixelHeight();
    if (width <= 0 || height <= 0) {
        width = ExifNumber(exif, "Exif.Photo.PixelXDimension");
        height = ExifNumber(exif, "Exif.Photo.PixelYDimension");
    }
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return;
    // Orientations 5 to 8 turn the stored picture by a quarter.
    const long orientation = ExifNumber(exif, "Exif.Image.Orientation");
    if (orientation >= 5 && orientation <= 8) std::swap(width, height);
    record.m_nImageWidth = int32_t(width);
    record.m_nImageHeight = int32_t(height);
}

std::string KeyText(const Exiv2::Image& image, const std::string& key)
{
    const std::string family = key.substr(0, key.find('.'));
    if (family == "Exif") {
        const Exiv2::ExifData& exif = image.exifData();
        auto it = exif.findKey(Exiv2::ExifKey(key));
        return it == exif.end() ? std::string() : it->print(&exif);
    }
    if (family == "Iptc") {
        const Exiv2::IptcData& iptc = image.iptcData();
        auto it = iptc.findKey(Exiv2::IptcKey(key));
        return it == iptc.end() ? std::string() : it->print();
    }
    if (family == "Xmp") {
        const Exiv2::XmpData& xmp = image.xmpData();
        auto it = xmp.findKey(Exiv2::XmpKey(key));
        return it == xmp.end() ? std::string() : it->print();
    }
    return {};
}

void RecordKey(CFileMetaRecord& record, const std::string& key, std::u16string value)
{
    for (auto& entry : record.m_aExifTags)
        if (entry.first == key) {
            entry.second = std::move(value);
            return;
        }
    record.m_aExifTags.emplace_back(key, std::move(value));
}

}  // namespace

bool IsKnownExifKey(std::string_view key)
{
    SetUpExiv2();
    const std::string text(key);
    try {
        if (text.rfind("Exif.", 0) == 0) Exiv2::ExifKey probe(text);
        else if (text.rfind("Iptc.", 0) == 0) Exiv2::IptcKey probe(text);
        else if (text.rfind("Xmp.", 0) == 0) Exiv2::XmpKey probe(text);
        else return false;
        return true;
    } catch (...) {
        return false;
    }
}

namespace meta {

void ReadImage(const CContentFile& file, bool facts, const std::vector<std::string>& keys, CFileMetaRecord& record)
{
    SetUpExiv2();
    if (facts) record.m_nGroups |= kMetaGroupImage;
    for (const std::string& key : keys) RecordKey(record, key, {});
    try {
        Exiv2::BasicIo::AutoPtr io(new CContentIo(file));
        // Exiv2's own video readers can walk a damaged container for
        // minutes (fuzzing found one); videos are left to the video reader.
        const int type = Exiv2::ImageFactory::getType(*io);
        if (type == Exiv2::ImageType::none || type == kExiv2Riff || type == kExiv2Matroska || type == kExiv2QuickTime ||
            type == kExiv2Asf)
            return;
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(io);
        if (!image.get()) return;
        image->readMetadata();
        if (facts) {
            record.m_nExifDate = PhotoDate(*image);
            PixelSize(*image, record);
        }
        for (const std::string& key : keys) RecordKey(record, key, MetaText(KeyText(*image, key)));
    } catch (...) {
        // A damaged or foreign file: what was found before the fault stays.
    }
}

}  // namespace meta
}  // namespace kq

#else  // no Exiv2: photos have no metadata here

namespace kq {

bool IsKnownExifKey(std::string_view) { return false; }

namespace meta {

void ReadImage(const CContentFile&, bool facts, const std::vector<std::string>& keys, CFileMetaRecord& record)
{
    if (facts) record.m_nGroups |= kMetaGroupImage;
    for (const std::string& key : keys) record.m_aExifTags.emplace_back(key, std::u16string());
}

}  // namespace meta
}  // namespace kq

#endif
