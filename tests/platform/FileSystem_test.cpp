#include <gtest/gtest.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/Text.h"
#include "support/MoveFailureHook.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CTempDir;

TEST(MoveFileNoReplace, RefusesAnExistingTargetAndKeepsBothFiles)
{
    CTempDir dir;
    dir.MakeFile(u"a.txt", "A");
    dir.MakeFile(u"b.txt", "B");
    errno = 0;
    EXPECT_FALSE(MoveFileNoReplace(dir.Child(u"a.txt"), dir.Child(u"b.txt")));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(dir.ReadFile(u"a.txt"), "A");
    EXPECT_EQ(dir.ReadFile(u"b.txt"), "B");

    EXPECT_TRUE(MoveFileNoReplace(dir.Child(u"a.txt"), dir.Child(u"c.txt")));
    EXPECT_EQ(dir.List(), (std::vector<std::u16string>{u"b.txt", u"c.txt"}));
    EXPECT_EQ(dir.ReadFile(u"c.txt"), "A");
}

TEST(MoveFileNoReplace, MovesFoldersAndReportsMissingSources)
{
    CTempDir dir;
    dir.MakeFolder(u"sub");
    dir.MakeFile(u"sub/x", "x");
    EXPECT_TRUE(MoveFileNoReplace(dir.Child(u"sub"), dir.Child(u"moved")));
    EXPECT_EQ(dir.ReadFile(u"moved/x"), "x");
    errno = 0;
    EXPECT_FALSE(MoveFileNoReplace(dir.Child(u"missing"), dir.Child(u"other")));
    EXPECT_EQ(errno, ENOENT);
}

TEST(FolderHandle, MovesInsideTheFolderWithoutReplacing)
{
    CTempDir dir;
    dir.MakeFile(u"文件1.txt", "1");
    dir.MakeFile(u"文件2.txt", "2");
    CFolderHandle folder;
    ASSERT_TRUE(folder.Open(dir.Path()));
    EXPECT_TRUE(folder.Contains(u"文件1.txt"));
    EXPECT_FALSE(folder.MoveNoReplace(u"文件1.txt", u"文件2.txt"));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_TRUE(folder.MoveNoReplace(u"文件1.txt", u"新.txt"));
    EXPECT_FALSE(folder.Contains(u"文件1.txt"));
    EXPECT_EQ(dir.ReadFile(u"新.txt"), "1");
}

TEST(MoveFailureHook, FailsTheChosenMoveWithItsErrno)
{
    CTempDir dir;
    dir.MakeFile(u"a", "a");
    dir.MakeFile(u"b", "b");
    int calls = 0;
    SetMoveFailureHook([&](std::u16string_view, std::u16string_view) { return ++calls == 2 ? EACCES : 0; });
    EXPECT_TRUE(MoveFileNoReplace(dir.Child(u"a"), dir.Child(u"a2")));
    CFolderHandle folder;
    ASSERT_TRUE(folder.Open(dir.Path()));
    errno = 0;
    EXPECT_FALSE(folder.MoveNoReplace(u"b", u"b2"));
    EXPECT_EQ(errno, EACCES);
    SetMoveFailureHook(nullptr);
    EXPECT_TRUE(folder.MoveNoReplace(u"b", u"b2"));
    EXPECT_EQ(dir.List(), (std::vector<std::u16string>{u"a2", u"b2"}));
}

TEST(Enumeration, ReportsEveryEntryWithItsKindAndDotEntries)
{
    CTempDir dir;
    dir.MakeFile(u"one.txt");
    dir.MakeFile(u"中文.doc");
    dir.MakeFolder(u"sub");
#ifndef _WIN32
    ASSERT_EQ(symlink("sub", (dir.NativePath() + "/link").c_str()), 0);
    const std::vector<std::u16string> expectedFolders{u".", u"..", u"link", u"sub"};
#else
    // Making a link needs a privilege on Windows; links are POSIX's case.
    const std::vector<std::u16string> expectedFolders{u".", u"..", u"sub"};
#endif
    std::vector<CFolderEntry> entries;
    ASSERT_TRUE(EnumerateFolder(dir.Path(), entries));
    std::vector<std::u16string> files, folders;
    for (const auto& e : entries) (e.m_bDirectory ? folders : files).push_back(e.m_strName);
    std::sort(files.begin(), files.end());
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ(files, (std::vector<std::u16string>{u"one.txt", u"中文.doc"}));
    EXPECT_EQ(folders, expectedFolders);

    // Each entry's node is the one GetFileId gives for it: the rename journal
    // names files by it.
    int seen = 0;
    ASSERT_TRUE(ForEachFolderEntryId(dir.Path(), [&](std::u16string_view name, bool, uint64_t node) {
        if (name == u"." || name == u"..") return true;
        CFileId id;
        EXPECT_TRUE(GetFileId(JoinPath(dir.Path(), name), false, id));
        EXPECT_EQ(node, id.m_nNode) << ToUtf8(name);
        EXPECT_NE(node, 0u);
        ++seen;
        return true;
    }));
    EXPECT_EQ(seen, int(expectedFolders.size() + files.size() - 2));

    entries.clear();
    EXPECT_FALSE(EnumerateFolder(dir.Child(u"one.txt"), entries));
    EXPECT_FALSE(EnumerateFolder(dir.Child(u"missing"), entries));
    EXPECT_TRUE(entries.empty());
}

TEST(FileFacts, TimesSizeAndContents)
{
    CTempDir dir;
    dir.MakeFile(u"f.bin", std::string(1234, 'x'));
    uint64_t size = 0;
    ASSERT_TRUE(GetFileSize(dir.Child(u"f.bin"), size));
    EXPECT_EQ(size, 1234u);
    EXPECT_FALSE(GetFileSize(dir.Path(), size));  // a folder has no size here
    EXPECT_FALSE(GetFileSize(dir.Child(u"missing"), size));

#ifdef _WIN32
    struct _stat64 st;
    ASSERT_EQ(_wstat64(reinterpret_cast<const wchar_t*>(dir.Child(u"f.bin").c_str()), &st), 0);
#else
    struct stat st;
    ASSERT_EQ(stat((dir.NativePath() + "/f.bin").c_str(), &st), 0);
#endif
    CFileTimes times;
    ASSERT_TRUE(GetFileTimes(dir.Child(u"f.bin"), times));
    EXPECT_EQ(times.m_nModification, st.st_mtime);
    EXPECT_EQ(times.m_nAccess, st.st_atime);
    EXPECT_GT(times.m_nCreation, 0);
    EXPECT_LE(times.m_nCreation, CurrentTime());
    EXPECT_FALSE(GetFileTimes(dir.Child(u"missing"), times));

    EXPECT_TRUE(WriteFileBytes(dir.Child(u"w.txt"), "line1\nline2", true));
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(dir.Child(u"w.txt"), bytes));
    EXPECT_EQ(bytes, "line1\nline2");
    EXPECT_FALSE(ReadFileBytes(dir.Path(), bytes));
    EXPECT_TRUE(IsRegularFile(dir.Child(u"w.txt")));
    EXPECT_TRUE(IsFolder(dir.Path()));
    EXPECT_TRUE(RemoveFile(dir.Child(u"w.txt")));
    EXPECT_FALSE(PathExists(dir.Child(u"w.txt")));
    EXPECT_TRUE(CreateFolder(dir.Child(u"x/y/z")));
    EXPECT_TRUE(IsFolder(dir.Child(u"x/y/z")));
}

// Undo tells a file made after a run by its birth time, against the run's
// time: a file made just before CurrentTime() must never seem to be made
// after it, even across the turn of a second.
TEST(FileFacts, NoFileIsStampedAfterTheCurrentTime)
{
    using namespace std::chrono;
    CTempDir dir;
    CFolderHandle handle;
    ASSERT_TRUE(handle.Open(dir.Path()));
    const auto now = system_clock::now();
    const auto nextSecond = ceil<seconds>(now + milliseconds(20));
    std::this_thread::sleep_until(nextSecond - milliseconds(5));
    int checked = 0;
    for (int i = 0; system_clock::now() < nextSecond + milliseconds(10); ++i) {
        const std::u16string name = u"f" + FromUtf8(std::to_string(i % 2));
        ASSERT_TRUE(WriteFileBytes(dir.Child(name), "x", true));
        CFileTimes times;
        ASSERT_TRUE(GetFileTimes(dir.Child(name), times));
        CFileId id;
        CFileStamp stamp;
        bool timed = false;
        int64_t created = 0;
        ASSERT_TRUE(handle.GetEntryFactsAndCreation(name, id, stamp, timed, created));
        const int64_t after = CurrentTime();
        ASSERT_LE(times.m_nModification, after) << i;
        ASSERT_LE(times.m_nCreation, after) << i;
        if (timed) {
            ASSERT_LE(created, after) << i;
        }
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

// Only regular files are read, within a size limit: a FIFO must not block,
// a device must not be read forever, a link can be refused.
TEST(FileFacts, ReadFileBytes_RefusesWhatIsNotASmallRegularFile)
{
    CTempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.Child(u"ten.txt"), "0123456789", false));
    struct Case {
        std::u16string path;
        uint64_t limit;
        bool followLinks;
        bool ok;
    };
    std::vector<Case> cases = {
        {dir.Child(u"ten.txt"), 10, true, true},
        {dir.Child(u"ten.txt"), 9, true, false},
        {dir.Path(), kReadFileLimit, true, false},
#ifdef _WIN32
        {u"NUL", kReadFileLimit, true, false},
#else
        {u"/dev/zero", kReadFileLimit, true, false},
#endif
    };
#ifndef _WIN32
    // FIFOs and symbolic links are POSIX things.
    const std::string fifo = dir.NativePath() + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(symlink((dir.NativePath() + "/ten.txt").c_str(), (dir.NativePath() + "/link").c_str()), 0);
    cases.push_back({dir.Child(u"fifo"), kReadFileLimit, true, false});
    cases.push_back({dir.Child(u"link"), kReadFileLimit, true, true});
    cases.push_back({dir.Child(u"link"), kReadFileLimit, false, false});
#endif
    for (const Case& c : cases) {
        std::string bytes = "kept";
        EXPECT_EQ(ReadFileBytes(c.path, bytes, c.limit, c.followLinks), c.ok) << ToUtf8(c.path);
        EXPECT_EQ(bytes, c.ok ? "0123456789" : "kept") << ToUtf8(c.path);
    }
}

}  // namespace
}  // namespace kq
