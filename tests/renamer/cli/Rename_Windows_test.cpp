// kqtools-cli.exe on Windows: Chinese names through the wide command line,
// a journal with drive letters and backslashes replayed by recover, and the
// case-insensitive names of a Windows file system.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <map>

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "renamer/safety/RenameJournal.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CTempDir;
using test::RunProgram;

struct CWindowsCli {
    CTempDir dir;
    CTempDir config;
    test::CRunResult Run(const std::vector<std::string>& args, const std::string& input = {},
                         std::vector<std::string> env = {}) const
    {
        env.push_back("KQ_CONFIG_HOME=" + config.NativePath());
        return RunProgram(KQ_CLI_PATH, args, input, env);
    }
    std::string Path(std::u16string_view name) const { return ToUtf8(dir.Child(name)); }
    std::map<std::u16string, std::string> Files() const
    {
        std::map<std::u16string, std::string> files;
        for (const auto& name : dir.List()) files[name] = dir.ReadFile(name);
        return files;
    }
};

TEST(WindowsCli, RenamesChineseNamesGivenOnTheCommandLine)
{
    CWindowsCli cli;
    cli.dir.MakeFile(u"照片 一.jpg", "1");
    cli.dir.MakeFile(u"照片 二.jpg", "2");
    const std::vector<std::string> files = {cli.Path(u"照片 一.jpg"), cli.Path(u"照片 二.jpg")};
    std::vector<std::string> args = {"rename", "--yes", "--find", "照片 ", "--replace", "旅行-"};
    args.insert(args.end(), files.begin(), files.end());

    std::vector<std::string> dry = args;
    dry[1] = "--dry-run";
    auto preview = cli.Run(dry);
    ASSERT_EQ(preview.m_nExitCode, 0) << preview.m_strErr;
    const std::string folder = cli.dir.NativePath();
    const std::string shown = test::BackslashesDoubled(folder);  // escaped like names
    EXPECT_EQ(preview.m_strOut, "照片 一.jpg\t旅行-一.jpg\t" + shown + "\n照片 二.jpg\t旅行-二.jpg\t" + shown + "\n");

    std::vector<std::string> json = dry;
    json.insert(json.begin() + 2, "--json");
    auto machine = cli.Run(json);
    EXPECT_NE(machine.m_strOut.find("\"new\":\"旅行-一.jpg\""), std::string::npos) << machine.m_strOut;
    EXPECT_NE(machine.m_strOut.find("\"folder\":\"" + test::BackslashesDoubled(folder) + "\""), std::string::npos) << machine.m_strOut;

    auto done = cli.Run(args);
    EXPECT_EQ(done.m_nExitCode, 0) << done.m_strErr;
    EXPECT_NE(done.m_strErr.find("文件批量改名操作成功完成！"), std::string::npos) << done.m_strErr;
    EXPECT_EQ(cli.Files(), (std::map<std::u16string, std::string>{{u"旅行-一.jpg", "1"}, {u"旅行-二.jpg", "2"}}));
}

TEST(WindowsCli, NamesThatDifferOnlyInCase)
{
    CWindowsCli cli;
    cli.dir.MakeFile(u"A.txt", "A");
    cli.dir.MakeFile(u"b.txt", "B");
    // A case-only rename goes through.
    auto lower = cli.Run({"rename", "--yes", "--mode", "advanced", "--template", "a", cli.Path(u"A.txt")});
    EXPECT_EQ(lower.m_nExitCode, 0) << lower.m_strErr;
    EXPECT_EQ(cli.Files(), (std::map<std::u16string, std::string>{{u"a.txt", "A"}, {u"b.txt", "B"}}));
    // Two names one letter-case apart collide, and so does a name another
    // file holds in other case.
    cli.dir.MakeFile(u"same", "Same\nsame\n");
    auto both = cli.Run({"rename", "--yes", "--mode", "list", "--names-file", cli.Path(u"same"), cli.Path(u"a.txt"),
                         cli.Path(u"b.txt")});
    EXPECT_EQ(both.m_nExitCode, 1);
    auto taken = cli.Run({"rename", "--yes", "--mode", "advanced", "--template", "B", cli.Path(u"a.txt")});
    EXPECT_EQ(taken.m_nExitCode, 1);
    cli.dir.MakeFile(u"swap", "B.txt\nA.txt\n");
    EXPECT_EQ(cli.Files(), (std::map<std::u16string, std::string>{
                               {u"a.txt", "A"}, {u"b.txt", "B"}, {u"same", "Same\nsame\n"}, {u"swap", "B.txt\nA.txt\n"}}));
    // A case-only swap passes through temporary names.
    auto swap = cli.Run({"rename", "--yes", "--mode", "list", "--names-file", cli.Path(u"swap"), "--no-keep-extension",
                         "--sort", "name", cli.Path(u"a.txt"), cli.Path(u"b.txt")});
    EXPECT_EQ(swap.m_nExitCode, 0) << swap.m_strErr;
    EXPECT_EQ(cli.Files(), (std::map<std::u16string, std::string>{
                               {u"A.txt", "B"}, {u"B.txt", "A"}, {u"same", "Same\nsame\n"}, {u"swap", "B.txt\nA.txt\n"}}));
}

// The journal a run stopped after its first move leaves behind, with the
// folder as Windows names it (drive, colon, backslashes), replayed by the
// program: back to the old names, or on to the new ones with --finish.
TEST(WindowsCli, RecoverReplaysAJournalWithWindowsPaths)
{
    for (bool finish : {false, true}) {
        SCOPED_TRACE(finish);
        CWindowsCli cli;
        ASSERT_EQ(cli.dir.NativePath().substr(1, 2), ":\\");
        cli.dir.MakeFile(u"甲", "1");
        cli.dir.MakeFile(u"乙", "2");
        CFileId first, second;
        ASSERT_TRUE(GetFileId(cli.dir.Child(u"甲"), false, first));
        ASSERT_TRUE(GetFileId(cli.dir.Child(u"乙"), false, second));
        const std::u16string journals = cli.config.Child(u"TernSoft/KQTool");
        ASSERT_TRUE(CreateFolder(journals));
        const std::u16string journal = NewJournalPath(journals);
        ASSERT_TRUE(WriteJournal(journal, {{cli.dir.Path(), {{first.m_nNode, u"甲", u"", u"新甲"},
                                                             {second.m_nNode, u"乙", u"", u"新乙"}}}}));
        std::string text;
        ASSERT_TRUE(ReadFileBytes(journal, text));
        EXPECT_NE(text.find("D\t" + test::BackslashesDoubled(cli.dir.NativePath()) + "\n"), std::string::npos) << text;
        ASSERT_TRUE(MoveFileNoReplace(cli.dir.Child(u"甲"), cli.dir.Child(u"新甲")));

        auto recovered = cli.Run(finish ? std::vector<std::string>{"recover", "--finish"} : std::vector<std::string>{"recover"});
        EXPECT_EQ(recovered.m_nExitCode, 0) << recovered.m_strOut << recovered.m_strErr;
        EXPECT_EQ(cli.Files(), finish ? (std::map<std::u16string, std::string>{{u"新甲", "1"}, {u"新乙", "2"}})
                                      : (std::map<std::u16string, std::string>{{u"甲", "1"}, {u"乙", "2"}}));
        EXPECT_TRUE(FindJournals(journals).empty());
    }
}

}  // namespace
}  // namespace kq

#endif  // _WIN32
