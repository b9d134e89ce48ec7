#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <map>

#include "platform/Text.h"
#include "renamer/safety/RenameJournal.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CTempDir;
using test::RunProgram;

// The JSON string of a path (Windows paths hold backslashes).
std::string JsonText(const std::string& text)
{
    return "\"" + test::BackslashesDoubled(text) + "\"";
}

std::map<std::string, std::string> Contents(const CTempDir& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& name : dir.List()) files[ToNativeName(name)] = dir.ReadFile(name);
    return files;
}

#ifdef KQ_FS_SHIM_PATH
// The environment that loads the file-system shim with the given settings.
std::vector<std::string> ShimEnv(std::vector<std::string> settings)
{
    settings.push_back(std::string("LD_PRELOAD=") + KQ_FS_SHIM_PATH);
    settings.push_back("ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0");
    return settings;
}
#endif
// Folder changes a run makes for its journal before the first move.
constexpr int kJournalSteps = 1;  // publishing the journal

struct CCliFixture {
    CTempDir dir;
    CTempDir config;
    std::vector<std::string> Env(std::vector<std::string> more = {}) const
    {
        more.push_back("KQ_CONFIG_HOME=" + config.NativePath());
        return more;
    }
    test::CRunResult Run(std::vector<std::string> args, const std::string& input = {},
                         std::vector<std::string> env = {}) const
    {
        return RunProgram(KQ_CLI_PATH, args, input, Env(std::move(env)));
    }
};

TEST(CliRename, DryRunPrintsEveryModesNames)
{
    CCliFixture f;
    f.dir.MakeFile(u"b.txt", "b");
    f.dir.MakeFile(u"a.txt", "a");
    f.dir.MakeFile(u"names.txt", "");
    f.dir.MakeFile(u"list/names", "\xEF\xBB\xBFone\r\ntwo\r\n");
    const std::string d = f.dir.NativePath();
    const std::string folder = "\t" + test::BackslashesDoubled(d);  // escaped like names
    struct Case {
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        {{"rename", "--dry-run", d + "/a.txt", d + "/b.txt"},
         "a.txt\ta.txt" + folder + "\nb.txt\tb.txt" + folder + "\n"},
        {{"rename", "--dry-run", "--sort", "name-desc", "--index", "--digits", "2", d + "/a.txt", d + "/b.txt"},
         "b.txt\t01b.txt" + folder + "\na.txt\t02a.txt" + folder + "\n"},
        {{"rename", "--dry-run", "--sort", "natural-desc", "--index", "--digits", "2", d + "/a.txt", d + "/b.txt"},
         "b.txt\t01b.txt" + folder + "\na.txt\t02a.txt" + folder + "\n"},
        {{"rename", "--dry-run", "--mode", "enhanced", "--kind", "0", "--pattern", "*-<原文件名>", "--find", "-",
          "--replace", "_", d + "/a.txt", d + "/b.txt"},
         "a.txt\tA_a.txt" + folder + "\nb.txt\tB_b.txt" + folder + "\n"},
        {{"rename", "--dry-run", "--mode", "list", "--names-file", d + "/list/names", "--no-keep-extension",
          d + "/a.txt", d + "/b.txt"},
         "a.txt\tone" + folder + "\nb.txt\ttwo" + folder + "\n"},
        {{"rename", "--dry-run", "--mode", "advanced", "--template", "{t=1;F}", d + "/a.txt"},
         "a.txt\tA.txt" + folder + "\n"},
        {{"rename", "--dry-run", "--mode", "formula", "--formula", "index()&Fname()", "--no-keep-extension",
          d + "/b.txt", d + "/a.txt"},
         "b.txt\t1b.txt" + folder + "\na.txt\t2a.txt" + folder + "\n"},
        {{"rename", "--dry-run", "--json", "--name", "x\"y", d + "/a.txt"},
         "{\"rows\":[{\"old\":\"a.txt\",\"new\":\"x\\\"y.txt\",\"folder\":" + JsonText(d) +
             ",\"status\":\"未处理\",\"problem\":\"invalid\"}]}\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[2]);
        auto r = f.Run(c.args);
        EXPECT_EQ(r.m_nExitCode, 0) << r.m_strErr;
        EXPECT_EQ(r.m_strOut, c.out);
    }
    EXPECT_EQ(f.dir.ReadFile(u"a.txt"), "a");
    EXPECT_EQ(f.dir.ReadFile(u"b.txt"), "b");
}

TEST(CliRename, UsageErrorsChangeNothing)
{
    CCliFixture f;
    f.dir.MakeFile(u"a.txt", "a");
    const std::string d = f.dir.NativePath();
    std::vector<std::vector<std::string>> cases = {
        {"rename", "--yes", "--name", "z", d + "/a.txt", d + "/missing.txt"},
        {"rename", "--yes", "--pattern", "*", d + "/a.txt"},
        {"rename", "--yes", "--mode", "other", d + "/a.txt"},
        {"rename", "--yes", "--digits", "12", d + "/a.txt"},
        {"rename", "--yes", "--sort", "size", d + "/a.txt"},
        {"rename", "--yes"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args.back());
        auto r = f.Run(args);
        EXPECT_EQ(r.m_nExitCode, 2);
        EXPECT_EQ(f.dir.List(), std::vector<std::u16string>{u"a.txt"});
    }
}

TEST(CliRename, RenamesAfterConfirmationAndReportsStatus)
{
    CCliFixture f;
    f.dir.MakeFile(u"a", "a");
    f.dir.MakeFile(u"b", "b");
    f.dir.MakeFile(u"names", "b\na\n");
    const std::string d = f.dir.NativePath();
    std::vector<std::string> swap = {"rename", "--mode", "list", "--names-file", d + "/names", "--no-keep-extension",
                                     "--sort", "name", "--export", d + "/list.csv", d + "/a", d + "/b"};
    auto declined = f.Run(swap, "n\n");
    EXPECT_EQ(declined.m_nExitCode, 1);
    EXPECT_NE(declined.m_strErr.find("确认改名"), std::string::npos);
    EXPECT_EQ(f.dir.ReadFile(u"a"), "a");

    // list.csv exists now: one answer replaces it, one confirms the rename.
    auto done = f.Run(swap, "y\ny\n");
    EXPECT_EQ(done.m_nExitCode, 0) << done.m_strErr;
    const std::string shown = test::BackslashesDoubled(d);  // escaped like names
    EXPECT_EQ(done.m_strOut, "a\tb\t" + shown + "\t已处理\nb\ta\t" + shown + "\t已处理\n");
    EXPECT_NE(done.m_strErr.find("文件批量改名操作成功完成！"), std::string::npos);
    EXPECT_EQ(f.dir.ReadFile(u"a"), "b");
    EXPECT_EQ(f.dir.ReadFile(u"b"), "a");
    EXPECT_EQ(f.dir.ReadFile(u"list.csv"), "a," + d + "\r\nb," + d + "\r\n");
    EXPECT_TRUE(FindJournals(f.config.Child(u"TernSoft/KQTool")).empty());
}

#ifndef _WIN32
// Plain output gives names in the folder's own bytes, JSON stays UTF-8.
TEST(CliRename, RenamesNamesThatAreNotUtf8)
{
    CCliFixture f;
    f.dir.MakeFile(FromNativeName("caf\xE9.txt"), "c");
    const std::string d = f.dir.NativePath();
    auto dry = f.Run({"rename", "--dry-run", "--find", "caf", "--replace", "tea", d});
    EXPECT_EQ(dry.m_strOut, "caf\xE9.txt\ttea\xE9.txt\t" + d + "\n");
    auto json = f.Run({"rename", "--dry-run", "--json", "--find", "caf", "--replace", "tea", d});
    EXPECT_NE(json.m_strOut.find("\"old\":\"caf\xEF\xBF\xBD.txt\""), std::string::npos) << json.m_strOut;
    auto done = f.Run({"rename", "--yes", "--find", "caf", "--replace", "tea", d + "/caf\xE9.txt"});
    EXPECT_EQ(done.m_nExitCode, 0) << done.m_strErr;
    EXPECT_EQ(Contents(f.dir), (std::map<std::string, std::string>{{"tea\xE9.txt", "c"}}));
}
#endif

TEST(CliRename, RefusalPrintsTheMessageAndMovesNothing)
{
    CCliFixture f;
    f.dir.MakeFile(u"a.txt", "a");
    f.dir.MakeFile(u"taken.txt", "t");
    const std::string d = f.dir.NativePath();
    auto r = f.Run({"rename", "--yes", "--name", "taken", d + "/a.txt"});
    EXPECT_EQ(r.m_nExitCode, 1);
    EXPECT_NE(r.m_strErr.find("文件同名"), std::string::npos);
    EXPECT_EQ(r.m_strOut, "");
    EXPECT_EQ(Contents(f.dir), (std::map<std::string, std::string>{{"a.txt", "a"}, {"taken.txt", "t"}}));
    auto bad = f.Run({"rename", "--yes", "--name", "a:b", d + "/a.txt"});
    EXPECT_EQ(bad.m_nExitCode, 1);
    EXPECT_NE(bad.m_strErr.find("名称非法"), std::string::npos);
}

#ifdef KQ_FS_SHIM_PATH
// The process dies after two of the rotation's four moves; recover puts
// every file back (or, with --finish, under its new name).
TEST(CliRecover, ReplaysTheJournalOfAKilledRun)
{
    for (bool finish : {false, true}) {
        SCOPED_TRACE(finish);
        CCliFixture f;
        for (const char16_t* n : {u"r1", u"r2", u"r3", u"x"}) f.dir.MakeFile(n, ToUtf8(n));
        f.dir.MakeFile(u"names", "r2\nr3\nr1\ny\n");
        const std::string d = f.dir.NativePath();
        auto killed = f.Run({"rename", "--yes", "--mode", "list", "--names-file", d + "/names", "--no-keep-extension",
                             "--sort", "name", d + "/r1", d + "/r2", d + "/r3", d + "/x"},
                            "", ShimEnv({"KQ_SHIM_KILL_AT=" + std::to_string(kJournalSteps + 3)}));
        EXPECT_EQ(killed.m_nExitCode, 128 + 9);
        EXPECT_EQ(FindJournals(f.config.Child(u"TernSoft/KQTool")).size(), 1u);
        EXPECT_NE(Contents(f.dir), (std::map<std::string, std::string>{
                                       {"names", "r2\nr3\nr1\ny\n"}, {"r1", "r1"}, {"r2", "r2"}, {"r3", "r3"}, {"x", "x"}}));

        std::vector<std::string> args = {"recover"};
        if (finish) args.push_back("--finish");
        auto recovered = f.Run(args);
        EXPECT_EQ(recovered.m_nExitCode, 0) << recovered.m_strOut << recovered.m_strErr;
        EXPECT_NE(recovered.m_strOut.find(finish ? "已改为新文件名" : "已恢复原文件名"), std::string::npos);
        std::map<std::string, std::string> expected =
            finish ? std::map<std::string, std::string>{{"r2", "r1"}, {"r3", "r2"}, {"r1", "r3"}, {"y", "x"}}
                   : std::map<std::string, std::string>{{"r1", "r1"}, {"r2", "r2"}, {"r3", "r3"}, {"x", "x"}};
        expected["names"] = "r2\nr3\nr1\ny\n";
        EXPECT_EQ(Contents(f.dir), expected);
        EXPECT_TRUE(FindJournals(f.config.Child(u"TernSoft/KQTool")).empty());

        auto nothing = f.Run({"recover"});
        EXPECT_EQ(nothing.m_nExitCode, 0);
        EXPECT_EQ(nothing.m_strOut, "没有需要处理的改名记录。\n");
    }
}

#endif

TEST(CliRename, ExportAsksBeforeReplacingAndSparesListedFiles)
{
    CCliFixture f;
    CTempDir outside;
    f.dir.MakeFile(u"a.txt", "a");
    f.dir.MakeFile(u"old.csv", "old");
    outside.MakeFile(u"target", "keep");
    const std::string d = f.dir.NativePath();
    const std::string csv = "a.txt," + d + "\r\n";
    struct Case {
        std::vector<std::string> extra;
        std::string input;
        int code;
        std::string after;  // old.csv afterwards
    } cases[] = {
        {{}, "n\n", 1, "old"},
        {{}, "y\n", 0, csv},
        {{"--yes"}, "", 0, csv},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        f.dir.MakeFile(u"old.csv", "old");
        std::vector<std::string> args = {"rename", "--dry-run", "--export", d + "/old.csv", d + "/a.txt"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        auto r = f.Run(args, c.input);
        EXPECT_EQ(r.m_nExitCode, c.code) << r.m_strErr;
        EXPECT_EQ(f.dir.ReadFile(u"old.csv"), c.after);
    }
    // A listed file is never the export, even with --yes.
    auto listed = f.Run({"rename", "--yes", "--export", d + "/a.txt", "--name", "b", d + "/a.txt"});
    EXPECT_EQ(listed.m_nExitCode, 1);
    EXPECT_NE(listed.m_strErr.find("列表中的文件"), std::string::npos);
    EXPECT_EQ(f.dir.ReadFile(u"a.txt"), "a");
#ifndef _WIN32
    // Only a regular file (or nothing) is replaced, even with --yes: a link,
    // a FIFO or a device stays as it is.
    std::filesystem::create_symlink(outside.NativePath() + "/target", d + "/link.csv");
    std::filesystem::create_symlink("/dev/null", d + "/device.csv");
    ASSERT_EQ(mkfifo((d + "/fifo.csv").c_str(), 0600), 0);
    for (const char* name : {"link.csv", "device.csv", "fifo.csv"}) {
        SCOPED_TRACE(name);
        auto r = f.Run({"rename", "--dry-run", "--yes", "--export", d + "/" + name, d + "/a.txt"});
        EXPECT_EQ(r.m_nExitCode, 1);
        EXPECT_NE(r.m_strErr.find("不是普通文件"), std::string::npos) << r.m_strErr;
        EXPECT_TRUE(std::filesystem::is_symlink(d + "/" + name) || std::filesystem::is_fifo(d + "/" + name));
    }
    EXPECT_EQ(outside.ReadFile(u"target"), "keep");
#endif
}

// --json gives a failed row the reason; other rows keep their fields.
TEST(CliRename, JsonSaysWhyARowFailed)
{
    CCliFixture f;
    f.dir.MakeFile(u"a.txt", "a");
    f.dir.MakeFile(u"b.txt", "b");
    const std::string d = f.dir.NativePath();
    auto r = f.Run({"rename", "--yes", "--json", "--find", "a", "--replace", std::string(300, 'x'), d + "/a.txt", d + "/b.txt"});
    EXPECT_EQ(r.m_nExitCode, 1) << r.m_strErr;
    EXPECT_NE(r.m_strOut.find("\"status\":\"未处理\",\"reason\":\"too-long\"}"), std::string::npos) << r.m_strOut;
    EXPECT_EQ(r.m_strOut.find("reason"), r.m_strOut.rfind("reason")) << r.m_strOut;
    EXPECT_EQ(f.dir.ReadFile(u"a.txt"), "a");
}

#ifndef _WIN32
// Plain lines escape what would split a field or a line; JSON keeps bytes
// that are not UTF-8 in hex beside the readable name.
TEST(CliRename, OutputKeepsUnusualNamesUnambiguous)
{
    CCliFixture f;
    f.dir.MakeFile(FromNativeName("a\tb\nc"), "1");
    f.dir.MakeFile(FromNativeName("back\\slash"), "2");
    f.dir.MakeFile(FromNativeName("x\xFF"), "3");
    const std::string d = f.dir.NativePath();
    auto plain = f.Run({"rename", "--dry-run", "--no-keep-extension", "--sort", "name", d});
    EXPECT_EQ(plain.m_nExitCode, 0) << plain.m_strErr;
    EXPECT_EQ(plain.m_strOut, "a\\tb\\nc\ta\\tb\\nc\t" + d + "\nback\\\\slash\tback\\\\slash\t" + d +
                                  "\tinvalid\nx\xFF\tx\xFF\t" + d + "\n");
    auto json = f.Run({"rename", "--dry-run", "--json", "--no-keep-extension", "--sort", "name", d});
    EXPECT_NE(json.m_strOut.find("\"old\":\"a\\tb\\nc\",\"new\":\"a\\tb\\nc\""), std::string::npos) << json.m_strOut;
    EXPECT_NE(json.m_strOut.find(
                  "\"status\":\"未处理\",\"old_hex\":\"78ff\",\"new_hex\":\"78ff\",\"problem\":\"unchanged\"}"),
              std::string::npos)
        << json.m_strOut;
    EXPECT_EQ(json.m_strOut.find("folder_hex"), std::string::npos);

    // Escapes past the first eight bytes of a name.
    CCliFixture g;
    g.dir.MakeFile(FromNativeName("0123456789\tabcdefgh\x01z"), "4");
    g.dir.MakeFile(FromNativeName("long_name_\x7F_and\\_more"), "5");
    const std::string e = g.dir.NativePath();
    auto longer = g.Run({"rename", "--dry-run", "--no-keep-extension", "--sort", "name", e});
    EXPECT_EQ(longer.m_strOut, "0123456789\\tabcdefgh\\001z\t0123456789\\tabcdefgh\\001z\t" + e +
                                   "\nlong_name_\\177_and\\\\_more\tlong_name_\\177_and\\\\_more\t" + e +
                                   "\tinvalid\n");
}
#endif

}  // namespace
}  // namespace kq
