// The cache's promises (one read per version of a file, read ahead on many
// threads, cancellable) and the absent values of files that are damaged,
// hostile or no files at all.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

#include "formula/filemeta/FileMetaCache.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "support/MediaSamples.h"
#include "support/TestSupport.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kq {
namespace {

std::u16string Numbered(const char16_t* stem, int n, const char16_t* ext)
{
    return stem + FromUtf8(std::to_string(n)) + ext;
}

// Every function on one path, as texts; all absent gives "0 0 0 0 ||||".
std::string Everything(CFileMetaCache& cache, const std::u16string& path)
{
    std::string out = std::to_string(cache.ExifDate(path)) + " " + std::to_string(cache.ImageWidth(path)) + " " +
                      std::to_string(cache.ImageHeight(path)) + " " + std::to_string(cache.MediaDuration(path)) + " ";
    out += ToUtf8(cache.ExifTag(path, u"Exif.Image.Model")) + "|";
    out += ToUtf8(cache.MediaTag(path, EMediaTag::Title)) + "|";
    out += ToUtf8(cache.DocTag(path, EDocTag::Title)) + "|";
    out += ToUtf8(cache.DocTag(path, EDocTag::Pages)) + "|";
    return out;
}
const char* const kAllAbsent = "0 0 0 0 ||||";

class FileMetaFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::HaveImageLibrary() || !test::HaveAudioLibrary()) GTEST_SKIP() << "built without the metadata libraries";
    }
    test::CTempDir m_dir;
    CFileMetaCache m_cache;
};

TEST_F(FileMetaFiles, DamagedAndForeignFilesGiveAbsentValues)
{
    const std::string jpeg = test::MakeJpeg(640, 480);
    std::string tiffLoop("II*\x00\x08\x00\x00\x00", 8);  // first IFD at 8 ...
    tiffLoop += std::string("\x01\x00\x0F\x01\x02\x00\x04\x00\x00\x00KQ1\x00", 14);  // one entry: Make
    tiffLoop += std::string("\x08\x00\x00\x00", 4);  // ... whose next IFD is itself
    std::string hugePdf = "%PDF-1.4\n1 0 obj\n<< /Length 99999999999 >>\nstream\n";
    hugePdf += std::string(1000, 'x') + "\nendstream\nendobj\ntrailer\n<< /Root 1 0 R /Info 1 0 R >>\n%%EOF\n";
    std::mt19937 random(26);
    std::string noise(65536, '\0');
    for (char& c : noise) c = char(random());
    const struct {
        const char16_t* m_szName;
        std::string m_strBytes;
    } rows[] = {
        {u"cut.jpg", jpeg.substr(0, 30)},
        {u"header-only.jpg", "\xFF\xD8"},
        {u"loop.tif", tiffLoop},
        {u"huge-object.pdf", hugePdf},
        {u"empty.mp3", ""},
        {u"cut.flac", test::MakeFlac(3).substr(0, 20)},
        {u"cut.mp4", test::MakeMp4(640, 480, 3).substr(0, 60)},
        {u"noise.jpg", noise},  {u"noise.png", noise}, {u"noise.tif", noise}, {u"noise.webp", noise},
        {u"noise.cr2", noise},  {u"noise.mp3", noise}, {u"noise.flac", noise}, {u"noise.ogg", noise},
        {u"noise.opus", noise}, {u"noise.m4a", noise}, {u"noise.wav", noise}, {u"noise.mp4", noise},
        {u"noise.mkv", noise},  {u"noise.avi", noise}, {u"noise.mov", noise}, {u"noise.pdf", noise},
        {u"noise", noise},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(row.m_szName));
        m_dir.MakeFile(row.m_szName, row.m_strBytes);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Everything(m_cache, m_dir.Child(row.m_szName)), kAllAbsent);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << "no hang";
    }
}

// A damaged MP4 (found by fuzzing) that Exiv2's own video reader walked for
// minutes: videos never go to it.
TEST_F(FileMetaFiles, DamagedVideoIsNotWalkedForLong)
{
    const char* data = std::getenv("KQ_TEST_DATA");
    ASSERT_NE(data, nullptr);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(FromUtf8(std::string(data) + "/quicktime-walk.mp4"), bytes));
    for (const char16_t* name : {u"walk.mp4", u"walk.jpg", u"walk.bin"}) {
        SCOPED_TRACE(ToUtf8(name));
        m_dir.MakeFile(name, bytes);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(ToUtf8(m_cache.ExifTag(m_dir.Child(name), u"Exif.Image.Model")), "");
        EXPECT_EQ(m_cache.ExifDate(m_dir.Child(name)), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    }
}

// An MP4 (found by fuzzing) whose 16-byte time-to-sample table counts four
// billion entries: the media library took minutes over it. A table that
// cannot hold what it counts marks the file damaged; a sound one, whatever
// its size, is read.
TEST_F(FileMetaFiles, VideoTablesCountingMoreThanTheyHoldAreNotParsed)
{
    const char* data = std::getenv("KQ_TEST_DATA");
    ASSERT_NE(data, nullptr);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(FromUtf8(std::string(data) + "/mp4-table-count.mp4"), bytes));
    m_dir.MakeFile(u"count.mp4", bytes);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(m_cache.MediaDuration(m_dir.Child(u"count.mp4")), 0);
    EXPECT_EQ(m_cache.ImageWidth(m_dir.Child(u"count.mp4")), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << "no hang";
}

TEST_F(FileMetaFiles, NothingButRegularFilesIsOpened)
{
    m_dir.MakeFolder(u"folder.jpg");
    std::vector<std::u16string> paths = {m_dir.Child(u"missing.jpg"), m_dir.Child(u"folder.jpg")};
#ifndef _WIN32
    // A FIFO would block a reader until a writer comes; a device never ends.
    ASSERT_EQ(mkfifo(ToUtf8(m_dir.Child(u"pipe.mp3")).c_str(), 0600), 0);
    ASSERT_EQ(symlink("/dev/zero", ToUtf8(m_dir.Child(u"zero.mp3")).c_str()), 0);
    paths.push_back(m_dir.Child(u"pipe.mp3"));
    paths.push_back(m_dir.Child(u"zero.mp3"));
#endif
    for (const std::u16string& path : paths) {
        SCOPED_TRACE(ToUtf8(path));
        EXPECT_EQ(Everything(m_cache, path), kAllAbsent);
        EXPECT_EQ(m_cache.FileHash(path, EHashAlgorithm::Sha256), "");
    }
    EXPECT_EQ(m_cache.GetOpenCount(), 0u);
}

#ifndef _WIN32
TEST_F(FileMetaFiles, UnreadableFileIsAbsent)
{
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    m_dir.MakeFile(u"locked.jpg", test::MakeJpeg(10, 10));
    chmod(ToUtf8(m_dir.Child(u"locked.jpg")).c_str(), 0);
    EXPECT_EQ(Everything(m_cache, m_dir.Child(u"locked.jpg")), kAllAbsent);
}
#endif

TEST_F(FileMetaFiles, SparseFourGigabytePhotoIsReadOnlyWhereItNeeds)
{
    const std::u16string path = m_dir.Child(u"sparse.jpg");
    m_dir.MakeFile(u"sparse.jpg", test::MakeJpeg(800, 600));
    std::filesystem::resize_file(std::filesystem::path(ToUtf8(path)), uint64_t(4) << 30);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(m_cache.ImageWidth(path), 800);
    EXPECT_EQ(m_cache.MediaDuration(path), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST_F(FileMetaFiles, OneReadPerVersionOfAFile)
{
    const std::u16string path = m_dir.Child(u"a.jpg");
    m_dir.MakeFile(u"a.jpg", test::MakeJpeg(100, 50));
    ASSERT_TRUE(test::WriteImageTags(ToUtf8(path), {{"Exif.Photo.DateTimeOriginal", "2020:01:01 00:00:00"},
                                                     {"Exif.Image.Model", "One"}}));
    const int32_t date = m_cache.ExifDate(path);
    EXPECT_GT(date, 0);
    EXPECT_EQ(m_cache.ImageWidth(path), 100);
    EXPECT_EQ(m_cache.ImageHeight(path), 50);
    EXPECT_EQ(m_cache.GetOpenCount(), 1u) << "date and size come from one read";
    EXPECT_EQ(ToUtf8(m_cache.ExifTag(path, u"Exif.Image.Model")), "One");
    EXPECT_EQ(ToUtf8(m_cache.ExifTag(path, u"Exif.Image.Model")), "One");
    EXPECT_EQ(m_cache.GetOpenCount(), 2u) << "a new key once, then from the cache";

    // A new name for the same file: nothing is read again.
    std::filesystem::rename(std::filesystem::path(ToUtf8(path)), std::filesystem::path(ToUtf8(m_dir.Child(u"b.jpg"))));
    EXPECT_EQ(m_cache.ExifDate(m_dir.Child(u"b.jpg")), date);
    EXPECT_EQ(m_cache.GetOpenCount(), 2u);

    // Changed on disk: read again.
    ASSERT_TRUE(test::WriteImageTags(ToUtf8(m_dir.Child(u"b.jpg")), {{"Exif.Image.Model", "Two"}}));
    EXPECT_EQ(ToUtf8(m_cache.ExifTag(m_dir.Child(u"b.jpg"), u"Exif.Image.Model")), "Two");
    EXPECT_EQ(m_cache.GetOpenCount(), 3u);
}

TEST_F(FileMetaFiles, ReadAheadFillsTheCacheOnAllThreads)
{
    std::vector<std::u16string> paths;
    for (int i = 0; i < 40; ++i) {
        const std::u16string name = Numbered(u"s", i, u".mp3");
        m_dir.MakeFile(name, test::MakeMp3(1));
        ASSERT_TRUE(test::WriteAudioTags(ToUtf8(m_dir.Child(name)), {{"TITLE", "t" + std::to_string(i)}}));
        paths.push_back(m_dir.Child(name));
    }
    paths.push_back(m_dir.Child(u"missing.mp3"));
    CFileMetaRequest need;
    need.m_bMedia = true;
    CFileMetaReadAhead ahead;
    ahead.Start(paths, need, 4, &m_cache);
    EXPECT_TRUE(ahead.Wait());
    EXPECT_EQ(m_cache.GetOpenCount(), 40u);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(ToUtf8(m_cache.MediaTag(paths[size_t(i)], EMediaTag::Title)), "t" + std::to_string(i));
    EXPECT_EQ(m_cache.GetOpenCount(), 40u) << "the rows only look up";

    // Several threads asking for the same files at once agree.
    m_cache.Clear();
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 40; ++i)
                if (m_cache.MediaTag(paths[size_t(i)], EMediaTag::Title) != FromUtf8("t" + std::to_string(i))) ++wrong;
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST_F(FileMetaFiles, ReadAheadStopsWhenCancelled)
{
    std::vector<std::u16string> paths;
    for (int i = 0; i < 200; ++i) {
        m_dir.MakeFile(Numbered(u"f", i, u".bin"), "data");
        paths.push_back(m_dir.Child(Numbered(u"f", i, u".bin")));
    }
    CFileMetaRequest need;
    need.AddHash(EHashAlgorithm::Sha256);
    std::atomic<bool> cancel{true};
    CFileMetaReadAhead ahead;
    ahead.Start(paths, need, 2, &m_cache, &cancel);
    EXPECT_FALSE(ahead.Wait());
    EXPECT_LT(m_cache.GetOpenCount(), 200u);
    cancel = false;
    ahead.Start(paths, need, 2, &m_cache, &cancel);
    EXPECT_TRUE(ahead.Wait());
    EXPECT_EQ(m_cache.GetRecordCount(), 200u);
}

TEST_F(FileMetaFiles, BudgetDropsRecordsInsteadOfGrowing)
{
    m_cache.SetBudget(size_t(1) << 30, 32);
    for (int i = 0; i < 200; ++i) {
        m_dir.MakeFile(Numbered(u"f", i, u".bin"), std::to_string(i));
        EXPECT_EQ(m_cache.FileHash(m_dir.Child(Numbered(u"f", i, u".bin")), EHashAlgorithm::Crc32).size(), 8u);
    }
    EXPECT_LE(m_cache.GetRecordCount(), 64u);
}

}  // namespace
}  // namespace kq
