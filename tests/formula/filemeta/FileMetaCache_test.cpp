#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "formula/filemeta/FileMetaCache.h"
#include "platform/Text.h"
#include "support/MediaSamples.h"
#include "support/TestSupport.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kq {
namespace {

using test::CTagList;

// A cache of its own for each test, so that counts start at 0.
class FileMeta : public ::testing::Test {
protected:
    std::u16string Make(std::u16string_view name, const std::string& bytes) const
    {
        m_dir.MakeFile(name, bytes);
        return m_dir.Child(name);
    }
    std::u16string Photo(std::u16string_view name, const CTagList& tags, int width = 4000, int height = 3000) const
    {
        const std::u16string path = Make(name, test::MakeJpeg(width, height));
        EXPECT_TRUE(tags.empty() || test::WriteImageTags(ToUtf8(path), tags));
        return path;
    }
    std::u16string Song(std::u16string_view name, const std::string& bytes, const CTagList& tags) const
    {
        const std::u16string path = Make(name, bytes);
        EXPECT_TRUE(test::WriteAudioTags(ToUtf8(path), tags));
        return path;
    }

    void SetUp() override
    {
        if (!test::HaveImageLibrary() || !test::HaveAudioLibrary()) GTEST_SKIP() << "built without the metadata libraries";
    }

    test::CTempDir m_dir;
    CFileMetaCache m_cache;
    test::CScopedEnv m_tz{"TZ", "UTC0"};
};

TEST_F(FileMeta, ExifDateTakesTheFirstDateInItsOrder)
{
    const struct {
        const char* m_szCase;
        CTagList m_tags;
        int32_t m_nExpected;
    } rows[] = {
        {"all four",
         {{"Exif.Photo.DateTimeOriginal", "2023:05:01 14:25:30"}, {"Exif.Photo.DateTimeDigitized", "2023:05:02 00:00:00"},
          {"Exif.Image.DateTime", "2023:05:03 00:00:00"}, {"Xmp.xmp.CreateDate", "2023-05-04T00:00:00"}},
         1682951130},
        {"digitized next",
         {{"Exif.Photo.DateTimeDigitized", "2023:05:02 00:00:00"}, {"Exif.Image.DateTime", "2023:05:03 00:00:00"}},
         1682985600},
        {"image date next", {{"Exif.Image.DateTime", "2023:05:03 00:00:00"}, {"Xmp.xmp.CreateDate", "2023-05-04"}}, 1683072000},
        {"xmp last, zone ignored", {{"Xmp.xmp.CreateDate", "2023-05-04T10:11:12+08:00"}}, 1683195072},
        {"xmp date only", {{"Xmp.xmp.CreateDate", "2023-05-04"}}, 1683158400},
        {"blank camera date skipped",
         {{"Exif.Photo.DateTimeOriginal", "0000:00:00 00:00:00"}, {"Exif.Image.DateTime", "2023:05:03 00:00:00"}},
         1683072000},
        {"garbage", {{"Exif.Photo.DateTimeOriginal", "yesterday"}}, 0},
        {"none", {{"Exif.Image.Model", "KQ-100"}}, 0},
    };
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.m_szCase);
        const std::u16string path = Photo(u"p" + FromUtf8(std::to_string(n++)) + u".jpg", row.m_tags);
        EXPECT_EQ(m_cache.ExifDate(path), row.m_nExpected);
    }
}

TEST_F(FileMeta, ImageSizeFollowsTheOrientation)
{
    const struct {
        const char* m_szOrientation;
        int32_t m_nWidth, m_nHeight;
    } rows[] = {{nullptr, 4000, 3000}, {"1", 4000, 3000}, {"3", 4000, 3000}, {"5", 3000, 4000},
                {"6", 3000, 4000},     {"8", 3000, 4000}};
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.m_szOrientation ? row.m_szOrientation : "none");
        CTagList tags;
        if (row.m_szOrientation) tags.push_back({"Exif.Image.Orientation", row.m_szOrientation});
        const std::u16string path = Photo(u"o" + FromUtf8(std::to_string(n++)) + u".jpg", tags);
        EXPECT_EQ(m_cache.ImageWidth(path), row.m_nWidth);
        EXPECT_EQ(m_cache.ImageHeight(path), row.m_nHeight);
    }
    EXPECT_EQ(m_cache.ImageWidth(Make(u"note.txt", "4000x3000")), 0);
}

TEST_F(FileMeta, ExifTagGivesThePrintedValue)
{
    const std::u16string path = Photo(u"tags.jpg", {{"Exif.Image.Model", "  KQ-100  "},
                                                    {"Exif.Photo.FNumber", "28/10"},
                                                    {"Exif.Photo.ExposureTime", "1/250"},
                                                    {"Iptc.Application2.City", "杭州"},
                                                    {"Xmp.dc.creator", "Li Lei"}});
    const struct {
        const char16_t* m_szKey;
        const char16_t* m_szExpected;
    } rows[] = {
        {u"Exif.Image.Model", u"KQ-100"},  // trimmed
        {u"Exif.Photo.FNumber", u"F2.8"},  // interpreted, not 28/10
        {u"Exif.Photo.ExposureTime", u"1/250 s"},
        {u"Iptc.Application2.City", u"杭州"},
        {u"Xmp.dc.creator", u"Li Lei"},
        {u"Exif.Image.Artist", u""},        // known key, not in the file
        {u"Exif.Image.NoSuchTag", u""},     // unknown key
        {u"Model", u""},
        {u"", u""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(row.m_szKey));
        EXPECT_EQ(ToUtf8(m_cache.ExifTag(path, row.m_szKey)), ToUtf8(row.m_szExpected));
    }
}

TEST_F(FileMeta, EveryMediaTagOfMp3AndFlac)
{
    const CTagList tags = {{"TITLE", "Song"},       {"ARTIST", "Alice"},   {"ALBUM", "First"},
                           {"ALBUMARTIST", "Band"}, {"GENRE", "Folk"},     {"DATE", "2019"},
                           {"TRACKNUMBER", "03/12"}, {"DISCNUMBER", "1/2"}, {"COMMENT", "live"},
                           {"COMPOSER", "Bob"}};
    const struct {
        EMediaTag m_eTag;
        const char* m_szExpected;
    } expected[] = {{EMediaTag::Title, "Song"},  {EMediaTag::Artist, "Alice"}, {EMediaTag::Album, "First"},
                    {EMediaTag::AlbumArtist, "Band"}, {EMediaTag::Genre, "Folk"}, {EMediaTag::Year, "2019"},
                    {EMediaTag::Track, "3"},     {EMediaTag::Disc, "1"},      {EMediaTag::Comment, "live"},
                    {EMediaTag::Composer, "Bob"}};
    const struct {
        const char16_t* m_szName;
        std::string m_strBytes;
        int32_t m_nSeconds;
    } files[] = {{u"song.mp3", test::MakeMp3(3.5), 3}, {u"song.flac", test::MakeFlac(5.9), 5}};
    for (const auto& file : files) {
        SCOPED_TRACE(ToUtf8(file.m_szName));
        const std::u16string path = Song(file.m_szName, file.m_strBytes, tags);
        const uint64_t before = m_cache.GetOpenCount();
        for (const auto& row : expected) EXPECT_EQ(ToUtf8(m_cache.MediaTag(path, row.m_eTag)), row.m_szExpected);
        EXPECT_EQ(m_cache.MediaDuration(path), file.m_nSeconds);
        EXPECT_EQ(m_cache.GetOpenCount() - before, 1u) << "one read serves every tag";
    }
}

TEST_F(FileMeta, VideoDurationAndFrameSize)
{
    const std::u16string landscape = Make(u"clip.mp4", test::MakeMp4(1920, 1080, 7.8));
    const std::u16string portrait = Make(u"phone.MOV", test::MakeMp4(1920, 1080, 2.0, 90));
    EXPECT_EQ(m_cache.MediaDuration(landscape), 7);
    EXPECT_EQ(m_cache.ImageWidth(landscape), 1920);
    EXPECT_EQ(m_cache.ImageHeight(landscape), 1080);
    EXPECT_EQ(m_cache.MediaDuration(portrait), 2);
    EXPECT_EQ(m_cache.ImageWidth(portrait), 1080);
    EXPECT_EQ(m_cache.ImageHeight(portrait), 1920);
}

TEST_F(FileMeta, DocumentInformation)
{
    const std::u16string path =
        Make(u"report.pdf", test::MakePdf(2, {{"Title", "Annual report"}, {"Author", "Han Meimei"}, {"Subject", "Money"},
                                              {"Keywords", "a, b"}, {"Creator", "Writer"}, {"Producer", "Press"}}));
    const struct {
        EDocTag m_eTag;
        const char* m_szExpected;
    } rows[] = {{EDocTag::Title, "Annual report"}, {EDocTag::Author, "Han Meimei"}, {EDocTag::Subject, "Money"},
                {EDocTag::Keywords, "a, b"},       {EDocTag::Creator, "Writer"},    {EDocTag::Producer, "Press"},
                {EDocTag::Pages, "2"}};
    for (const auto& row : rows) EXPECT_EQ(ToUtf8(m_cache.DocTag(path, row.m_eTag)), row.m_szExpected);
    EXPECT_EQ(ToUtf8(m_cache.DocTag(Make(u"empty.pdf", test::MakePdf(1, {})), EDocTag::Title)), "");
    EXPECT_EQ(ToUtf8(m_cache.DocTag(Make(u"empty.pdf", test::MakePdf(1, {})), EDocTag::Pages)), "1");
}

TEST_F(FileMeta, HashesOfKnownContents)
{
    const std::u16string empty = Make(u"empty.bin", "");
    const std::u16string abc = Make(u"abc.bin", "abc");
    const struct {
        EHashAlgorithm m_eAlgorithm;
        const char* m_szEmpty;
        const char* m_szAbc;
    } rows[] = {
        {EHashAlgorithm::Md5, "d41d8cd98f00b204e9800998ecf8427e", "900150983cd24fb0d6963f7d28e17f72"},
        {EHashAlgorithm::Sha1, "da39a3ee5e6b4b0d3255bfef95601890afd80709", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {EHashAlgorithm::Sha256, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
         "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {EHashAlgorithm::Sha512,
         "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a81a538327af927da3e",
         "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f"},
        {EHashAlgorithm::Crc32, "00000000", "352441c2"},
        {EHashAlgorithm::Xxh64, "ef46db3751d8e999", "44bc2cf5ad770999"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(int(row.m_eAlgorithm));
        EXPECT_EQ(m_cache.FileHash(empty, row.m_eAlgorithm), row.m_szEmpty);
        EXPECT_EQ(m_cache.FileHash(abc, row.m_eAlgorithm), row.m_szAbc);
    }
    // Larger than one read block: the blocks join up.
    std::string big(3 << 20, 'x');
    big += "tail";
    const std::u16string large = Make(u"large.bin", big);
    EXPECT_EQ(m_cache.FileHash(large, EHashAlgorithm::Crc32).size(), 8u);
    EXPECT_NE(m_cache.FileHash(large, EHashAlgorithm::Sha256), m_cache.FileHash(Make(u"large2.bin", big + "!"), EHashAlgorithm::Sha256));
}

}  // namespace
}  // namespace kq
