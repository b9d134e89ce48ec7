#include "support/MediaSamples.h"

#include <cstdint>
#include <cstring>

#ifdef KQ_HAVE_EXIV2
#include <exiv2/exiv2.hpp>
// Exiv2 0.27 hands its objects over in std::auto_ptr.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
#ifdef KQ_HAVE_TAGLIB
#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>
#endif

namespace kq::test {

namespace {

void Put16(std::string& out, unsigned v)
{
    out.push_back(char((v >> 8) & 0xFF));
    out.push_back(char(v & 0xFF));
}

void Put32(std::string& out, uint32_t v)
{
    Put16(out, v >> 16);
    Put16(out, v & 0xFFFF);
}

// An ISO base media box: size, type, contents.
std::string Box(const char* type, const std::string& body)
{
    std::string out;
    Put32(out, uint32_t(8 + body.size()));
    out.append(type, 4);
    return out + body;
}

std::string FullBox(const char* type, uint32_t versionFlags, const std::string& body)
{
    std::string head;
    Put32(head, versionFlags);
    return Box(type, head + body);
}

std::string Matrix(int rotation)
{
    // 16.16 fixed point a, b, u, c, d, v, x, y, w.
    const uint32_t one = 0x00010000, minusOne = 0xFFFF0000, w = 0x40000000;
    uint32_t a = one, b = 0, c = 0, d = one;
    if (rotation == 90) a = 0, b = one, c = minusOne, d = 0;
    std::string m;
    for (uint32_t v : {a, b, 0u, c, d, 0u, 0u, 0u, w}) Put32(m, v);
    return m;
}

}  // namespace

std::string MakeJpeg(int width, int height)
{
    std::string j = "\xFF\xD8";
    // APP0 JFIF
    j += std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
    // DQT: one table of ones
    j += std::string("\xFF\xDB\x00\x43\x00", 5) + std::string(64, '\x01');
    // SOF0: 8 bits, height, width, one component
    j += std::string("\xFF\xC0\x00\x0B\x08", 5);
    Put16(j, unsigned(height));
    Put16(j, unsigned(width));
    j += std::string("\x01\x01\x11\x00", 4);
    // DHT: a DC table with one code
    j += std::string("\xFF\xC4\x00\x14\x00\x01", 6) + std::string(15, '\x00') + std::string("\x00", 1);
    // SOS, a little entropy-coded data, EOI
    j += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10);
    j += std::string("\x00\x00\x00\x00", 4);
    j += "\xFF\xD9";
    return j;
}

std::string MakeMp3(double seconds)
{
    // 417 bytes per frame at 128 kbit/s and 44.1 kHz: 1152 samples each.
    const int frames = int(seconds * 44100.0 / 1152.0) + 1;
    std::string frame("\xFF\xFB\x90\xC4", 4);
    frame.resize(417, '\0');
    std::string out;
    out.reserve(size_t(frames) * frame.size());
    for (int i = 0; i < frames; ++i) out += frame;
    return out;
}

std::string MakeFlac(double seconds)
{
    std::string f = "fLaC";
    f += std::string("\x80\x00\x00\x22", 4);  // last block, STREAMINFO, 34 bytes
    Put16(f, 4096);
    Put16(f, 4096);
    f += std::string(6, '\0');  // frame sizes unknown
    const uint64_t rate = 44100, channels = 2, bits = 16;
    const uint64_t samples = uint64_t(seconds * double(rate));
    const uint64_t packed = (rate << 44) | ((channels - 1) << 41) | ((bits - 1) << 36) | samples;
    for (int shift = 56; shift >= 0; shift -= 8) f.push_back(char((packed >> shift) & 0xFF));
    f += std::string(16, '\0');  // MD5 of the samples: not given
    return f;
}

std::string MakeMp4(int width, int height, double seconds, int rotation)
{
    const uint32_t scale = 1000, duration = uint32_t(seconds * scale);
    std::string mvhd;
    Put32(mvhd, 0);  // created
    Put32(mvhd, 0);  // modified
    Put32(mvhd, scale);
    Put32(mvhd, duration);
    Put32(mvhd, 0x00010000);  // rate
    Put16(mvhd, 0x0100);      // volume
    mvhd += std::string(10, '\0') + Matrix(0) + std::string(24, '\0');
    Put32(mvhd, 2);  // next track id

    std::string tkhd;
    Put32(tkhd, 0);
    Put32(tkhd, 0);
    Put32(tkhd, 1);  // track id
    Put32(tkhd, 0);
    Put32(tkhd, duration);
    tkhd += std::string(8, '\0');
    Put16(tkhd, 0);  // layer
    Put16(tkhd, 0);  // group
    Put16(tkhd, 0);  // volume
    Put16(tkhd, 0);
    tkhd += Matrix(rotation);
    Put32(tkhd, uint32_t(width) << 16);
    Put32(tkhd, uint32_t(height) << 16);

    std::string mdhd;
    Put32(mdhd, 0);
    Put32(mdhd, 0);
    Put32(mdhd, scale);
    Put32(mdhd, duration);
    Put16(mdhd, 0x55C4);  // language "und"
    Put16(mdhd, 0);

    std::string hdlr;
    Put32(hdlr, 0);
    hdlr += "vide";
    hdlr += std::string(12, '\0');
    hdlr += std::string("video\0", 6);

    std::string avc1 = std::string(6, '\0');
    Put16(avc1, 1);  // data reference index
    avc1 += std::string(16, '\0');
    Put16(avc1, unsigned(width));
    Put16(avc1, unsigned(height));
    Put32(avc1, 0x00480000);
    Put32(avc1, 0x00480000);
    Put32(avc1, 0);
    Put16(avc1, 1);  // frames per sample
    avc1 += std::string(32, '\0');
    Put16(avc1, 0x0018);
    Put16(avc1, 0xFFFF);
    std::string stsdBody;
    Put32(stsdBody, 1);
    stsdBody += Box("avc1", avc1);
    std::string empty4;
    Put32(empty4, 0);
    std::string stsz;
    Put32(stsz, 0);
    Put32(stsz, 0);
    const std::string stbl = Box("stbl", FullBox("stsd", 0, stsdBody) + FullBox("stts", 0, empty4) +
                                             FullBox("stsc", 0, empty4) + FullBox("stsz", 0, stsz) +
                                             FullBox("stco", 0, empty4));
    std::string dref;
    Put32(dref, 1);
    dref += FullBox("url ", 1, "");
    std::string vmhd(8, '\0');
    const std::string minf = Box("minf", FullBox("vmhd", 1, vmhd) + Box("dinf", FullBox("dref", 0, dref)) + stbl);
    const std::string mdia = Box("mdia", FullBox("mdhd", 0, mdhd) + FullBox("hdlr", 0, hdlr) + minf);
    const std::string trak = Box("trak", FullBox("tkhd", 3, tkhd) + mdia);
    const std::string moov = Box("moov", FullBox("mvhd", 0, mvhd) + trak);
    std::string ftyp = "isom";
    Put32(ftyp, 0x200);
    ftyp += "isomiso2avc1mp41";
    return Box("ftyp", ftyp) + moov + Box("mdat", "");
}

std::string MakePdf(int pages, const CTagList& info)
{
    std::vector<std::string> objects;
    std::string kids;
    for (int p = 0; p < pages; ++p) kids += std::to_string(4 + p) + " 0 R ";
    objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
    objects.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>");
    std::string dict = "<<";
    for (const auto& [key, value] : info) dict += " /" + key + " (" + value + ")";
    objects.push_back(dict + " >>");
    for (int p = 0; p < pages; ++p) objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>");
    std::string pdf = "%PDF-1.4\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t offset : offsets) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        pdf += line;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R /Info 3 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

#ifdef KQ_HAVE_EXIV2
bool HaveImageLibrary() { return true; }

bool WriteImageTags(const std::string& path, const CTagList& tags)
{
    try {
        auto image = Exiv2::ImageFactory::open(path);
        if (!image.get()) return false;
        image->readMetadata();
        for (const auto& [key, value] : tags) {
            if (key.rfind("Exif.", 0) == 0) image->exifData()[key] = value;
            else if (key.rfind("Iptc.", 0) == 0) image->iptcData()[key] = value;
            else if (key.rfind("Xmp.", 0) == 0) image->xmpData()[key] = value;
            else return false;
        }
        image->writeMetadata();
        return true;
    } catch (...) {
        return false;
    }
}
#else
bool HaveImageLibrary() { return false; }
bool WriteImageTags(const std::string&, const CTagList&) { return false; }
#endif

#ifdef KQ_HAVE_TAGLIB
bool HaveAudioLibrary() { return true; }

bool WriteAudioTags(const std::string& path, const CTagList& tags)
{
    TagLib::FileRef ref(path.c_str());
    if (ref.isNull()) return false;
    TagLib::PropertyMap properties = ref.file()->properties();
    for (const auto& [key, value] : tags)
        properties.replace(key, TagLib::StringList(TagLib::String(value, TagLib::String::UTF8)));
    ref.file()->setProperties(properties);
    return ref.save();
}
#else
bool HaveAudioLibrary() { return false; }
bool WriteAudioTags(const std::string&, const CTagList&) { return false; }
#endif

}  // namespace kq::test
