// What files are known by, and the locks that remove their files.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <atomic>
#include <thread>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CTempDir;

TEST(FileIdentity, FileSystemsWhoseNodeNumbersAreMadeUpTakeSizeAndTime)
{
    const struct {
        uint64_t magic;
        EFileIdentity identity;
    } magics[] = {
        {0x4d44, EFileIdentity::SizeAndTime},      // FAT
        {0x2011BAB0, EFileIdentity::SizeAndTime},  // exFAT
        {0x65735546, EFileIdentity::SizeAndTime},  // FUSE
        {0xEF53, EFileIdentity::Node},             // ext2/3/4
        {0x01021994, EFileIdentity::Node},         // tmpfs
        {0x9123683E, EFileIdentity::Node},         // btrfs
        {0x58465342, EFileIdentity::Node},         // xfs
        {0x794c7630, EFileIdentity::Node},         // overlayfs: its own nodes hold
        {0x6969, EFileIdentity::Node},             // NFS
        {0, EFileIdentity::Node},
    };
    for (const auto& m : magics) EXPECT_EQ(IdentityOfFileSystem(m.magic), m.identity) << std::hex << m.magic;
    // Only file systems whose folder entries hold the inode stat reads vouch
    // for a listing's node numbers.
    const struct {
        uint64_t magic;
        bool listed;
    } listings[] = {
        {0xEF53, true},      {0x58465342, true}, {0x9123683E, true}, {0x01021994, true},
        {0x794c7630, false},  // overlayfs lists the lower layer's numbers
        {0x65735546, false}, {0x6969, false},   {0x4d44, false},     {0, false},
    };
    for (const auto& l : listings) EXPECT_EQ(ListingNodesAreFileNodes(l.magic), l.listed) << std::hex << l.magic;
    const struct {
        const char16_t* name;
        EFileIdentity identity;
    } names[] = {
        {u"FAT", EFileIdentity::SizeAndTime},  {u"FAT32", EFileIdentity::SizeAndTime},
        {u"exFAT", EFileIdentity::SizeAndTime}, {u"EXFAT", EFileIdentity::SizeAndTime},
        {u"NTFS", EFileIdentity::Node},         {u"ReFS", EFileIdentity::Node},
        {u"FAT3", EFileIdentity::Node},         {u"", EFileIdentity::Node},
    };
    for (const auto& n : names) EXPECT_EQ(IdentityOfFileSystemName(n.name), n.identity);
}

// The stamp is the file's size and modification time to the nanosecond, and
// a rename keeps it; the node stays the same through the folder handle too.
TEST(FileIdentity, StampFollowsSizeAndTimeAndSurvivesARename)
{
    CTempDir dir;
    dir.MakeFile(u"a", "12345");
    CFileId id, idAgain;
    CFileStamp stamp, stampAgain;
    ASSERT_TRUE(GetFileFacts(dir.Child(u"a"), id, stamp));
    EXPECT_EQ(stamp.m_nSize, 5u);
#ifndef _WIN32
    const struct timespec times[2] = {{1000, 0}, {1700000000, 123456789}};
    ASSERT_EQ(utimensat(AT_FDCWD, dir.NativePath().append("/a").c_str(), times, 0), 0);
    ASSERT_TRUE(GetFileFacts(dir.Child(u"a"), id, stamp));
    EXPECT_EQ(stamp.m_nModified, int64_t(1700000000) * 1000000000 + 123456789);
#endif
    ASSERT_TRUE(MoveFileNoReplace(dir.Child(u"a"), dir.Child(u"b")));
    CFolderHandle folder;
    ASSERT_TRUE(folder.Open(dir.Path()));
    ASSERT_TRUE(folder.GetEntryFacts(u"b", idAgain, stampAgain));
    EXPECT_EQ(idAgain, id);
    EXPECT_EQ(stampAgain, stamp);
    EXPECT_FALSE(folder.GetEntryFacts(u"a", idAgain, stampAgain));
#ifndef _WIN32
    // The temporary folder's file system keeps its nodes.
    EXPECT_EQ(FolderIdentity(dir.Path()), EFileIdentity::Node);
#endif
}

// Lock files that go when released: two lockers never both hold the path,
// and the file is gone once nobody holds it.
TEST(FileLock, RemovedLockFilesNeverLetTwoHoldersIn)
{
    CTempDir dir;
    const std::u16string path = dir.Child(u"folder.lock");
    std::atomic<int> holders{0}, overlaps{0}, taken{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                CFileLock lock;
                if (!lock.TryLock(path, true)) continue;
                if (holders.fetch_add(1) != 0) ++overlaps;
                ++taken;
                std::this_thread::yield();
                holders.fetch_sub(1);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_GT(taken.load(), 0);
    EXPECT_FALSE(PathExists(path));
}

#ifndef _WIN32
// A lock another process holds is refused and its file stays, whether or
// not the other holder removes its file afterwards.
TEST(FileLock, ALockHeldElsewhereIsNeverRemoved)
{
    CTempDir dir;
    const std::u16string path = dir.Child(u"folder.lock");
    int ready[2], done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CFileLock lock;
        const char ok = lock.TryLock(path, false) ? 'y' : 'n';
        (void)!write(ready[1], &ok, 1);
        char c;
        (void)!read(done[0], &c, 1);
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    for (bool removeWhenDone : {true, false}) {
        CFileLock lock;
        EXPECT_FALSE(lock.TryLock(path, removeWhenDone));
        EXPECT_TRUE(CFileLock::IsHeld(path));
    }
    EXPECT_TRUE(PathExists(path));
    (void)!write(done[1], "x", 1);
    int status = 0;
    waitpid(child, &status, 0);
    // Free now: taken, and gone with its holder.
    {
        CFileLock lock;
        EXPECT_TRUE(lock.TryLock(path, true));
    }
    EXPECT_FALSE(PathExists(path));
    for (int fd : {ready[0], ready[1], done[0], done[1]}) close(fd);
}
#endif

}  // namespace
}  // namespace kq
