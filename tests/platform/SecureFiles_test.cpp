#include <gtest/gtest.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "platform/SecureFiles.h"
#include "platform/Text.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CScopedEnv;
using test::CTempDir;

#ifndef _WIN32
// POSIX only: Windows keeps no modes, and its per-user temporary folder is
// private already.
mode_t ModeOf(const std::u16string& path, bool follow = false)
{
    struct stat st{};
    (follow ? stat : lstat)(ToNativeName(path).c_str(), &st);
    return st.st_mode;
}

TEST(PrivateTempFolder, CreatedPrivateAndPlantedLinksRefused)
{
    CTempDir base;
    CScopedEnv runtime("XDG_RUNTIME_DIR", "");
    CScopedEnv tmp("TMPDIR", base.NativePath());
    const std::u16string expected = base.Child(u"kqtools-" + FromAscii(std::to_string(geteuid())));

    std::u16string folder;
    ASSERT_TRUE(PrivateTempFolder(folder));
    EXPECT_EQ(folder, expected);
    EXPECT_EQ(ModeOf(folder) & 0777, 0700u);
    EXPECT_TRUE(S_ISDIR(ModeOf(folder)));

    // Loosened by someone: tightened again.
    chmod(ToNativeName(folder).c_str(), 0777);
    ASSERT_TRUE(PrivateTempFolder(folder));
    EXPECT_EQ(ModeOf(folder) & 0777, 0700u);

    // A link planted under the name (to a folder the attacker reads) is refused.
    rmdir(ToNativeName(folder).c_str());
    base.MakeFolder(u"attacker");
    ASSERT_EQ(symlink(ToNativeName(base.Child(u"attacker")).c_str(), ToNativeName(expected).c_str()), 0);
    EXPECT_FALSE(PrivateTempFolder(folder));
    unlink(ToNativeName(expected).c_str());

    // A file in its place is refused too.
    base.MakeFile(u"kqtools-" + FromAscii(std::to_string(geteuid())), "x");
    EXPECT_FALSE(PrivateTempFolder(folder));
}

TEST(PrivateTempFolder, PrefersTheRuntimeFolder)
{
    CTempDir runtimeDir, tmpDir;
    CScopedEnv runtime("XDG_RUNTIME_DIR", runtimeDir.NativePath());
    CScopedEnv tmp("TMPDIR", tmpDir.NativePath());
    std::u16string folder;
    ASSERT_TRUE(PrivateTempFolder(folder));
    EXPECT_EQ(folder.rfind(runtimeDir.Path(), 0), 0u);
}
#endif

TEST(AtomicFileWriter, NameAppearsOnlyOnCommitAndLinksAreReplaced)
{
    CTempDir dir;
    dir.MakeFile(u"victim", "precious");
#ifndef _WIN32
    ASSERT_EQ(symlink(ToNativeName(dir.Child(u"victim")).c_str(), ToNativeName(dir.Child(u"Setup.exe")).c_str()), 0);
#else
    dir.MakeFile(u"Setup.exe", "old");
#endif

    CAtomicFileWriter writer;
    ASSERT_TRUE(writer.Create(dir.Child(u"Setup.exe")));
    ASSERT_TRUE(writer.Write(std::string(100000, 'x')));
    ASSERT_TRUE(writer.Write("tail"));
    EXPECT_EQ(dir.List().size(), 3u);  // victim, the link (or old file), the temporary file
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(dir.ReadFile(u"victim"), "precious");
#ifndef _WIN32
    EXPECT_FALSE(S_ISLNK(ModeOf(dir.Child(u"Setup.exe"))));
    EXPECT_EQ(ModeOf(dir.Child(u"Setup.exe")) & 0777, 0600u);
#endif
    EXPECT_EQ(dir.ReadFile(u"Setup.exe"), std::string(100000, 'x') + "tail");
    EXPECT_EQ(dir.List(), (std::vector<std::u16string>{u"Setup.exe", u"victim"}));

    {
        CAtomicFileWriter dropped;
        ASSERT_TRUE(dropped.Create(dir.Child(u"Setup.exe")));
        ASSERT_TRUE(dropped.Write("half"));
    }
    EXPECT_EQ(dir.List(), (std::vector<std::u16string>{u"Setup.exe", u"victim"}));
    EXPECT_EQ(dir.ReadFile(u"Setup.exe"), std::string(100000, 'x') + "tail");
    EXPECT_FALSE(CAtomicFileWriter().Create(dir.Child(u"no/such/folder/file")));
}

TEST(RegularFileReader, RefusesWhatIsNotARegularFile)
{
    CTempDir dir;
    dir.MakeFile(u"f.txt", "abc");
    CRegularFileReader reader;
#ifdef _WIN32
    EXPECT_FALSE(reader.Open(u"NUL"));
#else
    ASSERT_EQ(mkfifo(ToNativeName(dir.Child(u"fifo")).c_str(), 0600), 0);
    EXPECT_FALSE(reader.Open(dir.Child(u"fifo")));
    EXPECT_FALSE(reader.Open(u"/dev/zero"));
#endif
    EXPECT_FALSE(reader.Open(dir.Path()));
    ASSERT_TRUE(reader.Open(dir.Child(u"f.txt")));
    EXPECT_EQ(reader.Size(), 3u);
    char buffer[8];
    EXPECT_EQ(reader.Read(buffer, sizeof buffer), 3);
    EXPECT_EQ(reader.Read(buffer, sizeof buffer), 0);
}

}  // namespace
}  // namespace kq
