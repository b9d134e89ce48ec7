// kqtools-cli undo and undo --list on real temporary folders.
#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/Text.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CTempDir;

struct CUndoCli {
    CTempDir dir;
    CTempDir config;
    test::CRunResult Run(const std::vector<std::string>& args) const
    {
        return test::RunProgram(KQ_CLI_PATH, args, {}, {"KQ_CONFIG_HOME=" + config.NativePath()});
    }
    // A replace-mode rename of the named files in dir.
    test::CRunResult Rename(const std::string& find, const std::string& replace,
                            const std::vector<std::string>& names) const
    {
        std::vector<std::string> args = {"rename", "--yes", "--find", find, "--replace", replace};
        for (const auto& n : names) args.push_back(dir.NativePath() + "/" + n);
        return Run(args);
    }
};

TEST(UndoCommand, ListsAndUndoesTheLastRun)
{
    CUndoCli cli;
    auto empty = cli.Run({"undo"});
    EXPECT_EQ(empty.m_nExitCode, 1);
    EXPECT_NE(empty.m_strErr.find("没有可以撤销的改名。"), std::string::npos) << empty.m_strErr;
    EXPECT_EQ(empty.m_strOut, "");
    auto emptyList = cli.Run({"undo", "--list"});
    EXPECT_EQ(emptyList.m_nExitCode, 0);
    EXPECT_EQ(emptyList.m_strOut, "没有可以撤销的改名。\n");

    cli.dir.MakeFile(u"photo_1.jpg", "1");
    cli.dir.MakeFile(u"photo_2.jpg", "2");
    ASSERT_EQ(cli.Rename("photo_", "img_", {"photo_1.jpg", "photo_2.jpg"}).m_nExitCode, 0);
    ASSERT_EQ(cli.Rename("img_1", "first", {"img_1.jpg"}).m_nExitCode, 0);

    auto list = cli.Run({"undo", "--list"});
    EXPECT_EQ(list.m_nExitCode, 0);
    const std::string lines = list.m_strOut;
    const size_t firstEnd = lines.find('\n');
    ASSERT_NE(firstEnd, std::string::npos) << lines;
    // Newest first: time, count, folder.
    EXPECT_NE(lines.substr(0, firstEnd).find("\t1个文件\t" + test::BackslashesDoubled(cli.dir.NativePath())), std::string::npos) << lines;
    EXPECT_NE(lines.find("\t2个文件\t" + test::BackslashesDoubled(cli.dir.NativePath()), firstEnd), std::string::npos) << lines;
    EXPECT_EQ(lines[4], '-');  // "YYYY-MM-DD hh:mm:ss"
    auto json = cli.Run({"undo", "--list", "--json"});
    EXPECT_EQ(json.m_nExitCode, 0);
    EXPECT_NE(json.m_strOut.find("\"count\":1,\"folders\":[" + JsonString(cli.dir.NativePath()) + "]"),
              std::string::npos)
        << json.m_strOut;

    auto undo = cli.Run({"undo"});
    EXPECT_EQ(undo.m_nExitCode, 0) << undo.m_strErr;
    EXPECT_EQ(undo.m_strOut, "已恢复原文件名\t" +
                                 test::BackslashesDoubled(test::WithPlatformSeparators(cli.dir.NativePath() + "/img_1.jpg")) +
                                 "\t(原为 first.jpg)\n");
    EXPECT_NE(undo.m_strErr.find("已撤销上次改名：1个文件已恢复原文件名。"), std::string::npos) << undo.m_strErr;
    EXPECT_EQ(cli.dir.List(), (std::vector<std::u16string>{u"img_1.jpg", u"img_2.jpg"}));

    // The next undo takes the run before; a file changed since stays.
    cli.dir.MakeFile(u"saved", "new");
    RemoveFile(cli.dir.Child(u"img_2.jpg"));
    ASSERT_TRUE(MoveFileNoReplace(cli.dir.Child(u"saved"), cli.dir.Child(u"img_2.jpg")));
    auto partly = cli.Run({"undo", "--json"});
    EXPECT_EQ(partly.m_nExitCode, 1);
    EXPECT_NE(partly.m_strOut.find("\"result\":\"partly\""), std::string::npos) << partly.m_strOut;
    EXPECT_NE(partly.m_strOut.find("\"new\":\"img_2.jpg\",\"outcome\":\"changed\""), std::string::npos)
        << partly.m_strOut;
    EXPECT_NE(partly.m_strOut.find("\"new\":\"img_1.jpg\",\"outcome\":\"restored\""), std::string::npos)
        << partly.m_strOut;
    EXPECT_EQ(cli.dir.List(), (std::vector<std::u16string>{u"img_2.jpg", u"photo_1.jpg"}));
    EXPECT_EQ(cli.dir.ReadFile(u"img_2.jpg"), "new");
    EXPECT_EQ(cli.Run({"undo"}).m_nExitCode, 1);
}

TEST(UndoCommand, ReportsDamagedRecordsAndUsageErrors)
{
    CUndoCli cli;
    const std::u16string history = cli.config.Child(u"TernSoft/KQTool/history");
    CreateFolder(history);
    WriteFileBytes(JoinPath(history, u"run-0000000000000001.kqhistory"), "KQTOOLS-RENAME-HISTORY 1\nR\t1", true);
    auto list = cli.Run({"undo", "--list"});
    EXPECT_EQ(list.m_nExitCode, 1);
    EXPECT_NE(list.m_strOut.find("无法读取改名历史记录"), std::string::npos) << list.m_strOut;
    EXPECT_NE(list.m_strOut.find("没有可以撤销的改名。"), std::string::npos) << list.m_strOut;
    EXPECT_TRUE(PathExists(JoinPath(history, u"run-0000000000000001.kqhistory.damaged")));

    WriteFileBytes(JoinPath(history, u"run-0000000000000002.kqhistory"), "KQTOOLS-RENAME-HISTORY 1\n", true);
    auto undo = cli.Run({"undo"});
    EXPECT_EQ(undo.m_nExitCode, 1);
    EXPECT_NE(undo.m_strErr.find("无法读取改名历史记录"), std::string::npos) << undo.m_strErr;

    for (const auto& args : std::vector<std::vector<std::string>>{{"undo", "extra"}, {"undo", "--bogus"}}) {
        auto bad = cli.Run(args);
        EXPECT_EQ(bad.m_nExitCode, 2);
        EXPECT_NE(bad.m_strErr.find("help undo"), std::string::npos) << bad.m_strErr;
    }
    auto help = cli.Run({"help"});
    EXPECT_NE(help.m_strOut.find("  undo"), std::string::npos) << help.m_strOut;
    EXPECT_NE(cli.Run({"help", "undo"}).m_strOut.find("--list"), std::string::npos);
}

}  // namespace
}  // namespace kq
