#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Shell.h"
#include "platform/SpecialFolders.h"
#include "platform/Text.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CScopedEnv;

TEST(CodePage, GbkRoundTripAndReplacement)
{
    std::string bytes;
    ASSERT_TRUE(ToGbk(u"文件a", bytes));
    EXPECT_EQ(bytes, "\xCE\xC4\xBC\xFE" "a");
    std::u16string text;
    ASSERT_TRUE(FromGbk(bytes, text));
    EXPECT_EQ(text, u"文件a");

    // Characters GBK cannot hold become '?'; a lone surrogate too.
    ASSERT_TRUE(ToGbk(u"a\U0001F600b" + std::u16string(1, char16_t(0xDC00)), bytes));
    EXPECT_EQ(bytes, "a?b?");
    ASSERT_TRUE(FromGbk("a\xFF", text));
    EXPECT_EQ(text, u"a\uFFFD");

    EXPECT_FALSE(EncodeText(u"x", "NO-SUCH-CHARSET", bytes));
    ASSERT_TRUE(EncodeText(u"文件", "UTF-8", bytes));
    EXPECT_EQ(bytes, "文件");
}

TEST(Shell, SplitsParametersAndUsesTheHook)
{
    EXPECT_EQ(SplitCommandLine(u"\"/a b/TERNRenameUpdate.cfg\""),
              std::vector<std::u16string>{u"/a b/TERNRenameUpdate.cfg"});
    EXPECT_EQ(SplitCommandLine(u"  x \"y z\"  \"\" w"), (std::vector<std::u16string>{u"x", u"y z", u"", u"w"}));
    EXPECT_TRUE(SplitCommandLine(u"   ").empty());

    std::vector<std::pair<std::u16string, std::u16string>> calls;
    SetShellOpenHook([&](std::u16string_view target, std::u16string_view params) {
        calls.emplace_back(target, params);
        return true;
    });
    EXPECT_TRUE(ShellOpen(u"\"/x/KQTools.html\""));
    SetShellOpenHook(nullptr);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].first, u"\"/x/KQTools.html\"");
    EXPECT_TRUE(calls[0].second.empty());
}

#ifndef _WIN32
// POSIX programs and folders; Services_Windows_test.cpp has the Windows side.
TEST(Shell, RunsOnlyRegularProgramsAndOpensEverythingElse)
{
    test::CTempDir dir;
    dir.MakeFolder(u"配置");
    dir.MakeFile(u"notes.txt", "text");
    dir.MakeFile(u"run.sh", "#!/bin/sh\n");
    ASSERT_EQ(std::system(("chmod +x '" + dir.NativePath() + "/run.sh' '" + dir.NativePath() + "/配置'").c_str()), 0);
    const std::string base = dir.NativePath() + "/";
    struct {
        std::u16string target;
        std::vector<std::string> argv;
    } cases[] = {
        // A folder is searchable (x), but executing it would fail.
        {dir.Child(u"配置"), {"xdg-open", base + "配置"}},
        {u"\"" + dir.Child(u"notes.txt") + u"\"", {"xdg-open", base + "notes.txt"}},
        {dir.Child(u"run.sh"), {base + "run.sh", "a b", "c"}},
        {dir.Child(u"missing"), {"xdg-open", base + "missing"}},
        {u"\"\"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(ShellOpenArguments(c.target, u"\"a b\" c"), c.argv) << ToUtf8(c.target);
}

TEST(Shell, StartsAProgramWithoutWaiting)
{
    test::CTempDir dir;
    std::string marker = dir.NativePath() + "/started";
    dir.MakeFile(u"prog.sh", "#!/bin/sh\necho \"$1\" > \"$2\"\n");
    ASSERT_EQ(std::system(("chmod +x " + dir.NativePath() + "/prog.sh").c_str()), 0);
    ASSERT_TRUE(ShellOpen(u"\"" + dir.Child(u"prog.sh") + u"\"", u"\"hello world\" \"" + FromUtf8(marker) + u"\""));
    std::string content;
    // The program runs on its own; give a loaded machine time to start it.
    for (int i = 0; i < 1000 && content.empty(); ++i) {
        usleep(10000);
        content = dir.ReadFile(u"started");
    }
    EXPECT_EQ(content, "hello world\n");
    EXPECT_FALSE(ShellOpen(u"\"\""));
}

TEST(SpecialFolders, HonourTheOverrides)
{
    {
        CScopedEnv config("KQ_CONFIG_HOME", "/tmp/kq-config/");
        EXPECT_EQ(ConfigFolder(), u"/tmp/kq-config");
    }
    {
        CScopedEnv config("KQ_CONFIG_HOME", "");
        CScopedEnv xdg("XDG_CONFIG_HOME", "/x/y");
        EXPECT_EQ(ConfigFolder(), u"/x/y");
    }
    CScopedEnv tmp("TMPDIR", "/var/tmp/");
    EXPECT_EQ(TempFolder(), u"/var/tmp");
}

#endif

TEST(Clipboard, ProviderCanBeReplacedAndRestored)
{
    {
        test::CScopedClipboard clipboard(u"剪贴板");
        std::u16string text;
        ASSERT_TRUE(GetClipboardProvider().GetText(text));
        EXPECT_EQ(text, u"剪贴板");
        EXPECT_TRUE(GetClipboardProvider().SetText(u"new"));
        ASSERT_TRUE(clipboard.GetText(text));
        EXPECT_EQ(text, u"new");
    }
    test::CScopedClipboard empty;
    std::u16string text = u"keep";
    EXPECT_FALSE(GetClipboardProvider().GetText(text));
    EXPECT_EQ(text, u"keep");
}

TEST(Clock, LocalTimeHonoursTz)
{
    CScopedEnv tz("TZ", "CST-8");  // POSIX form: no time-zone database needed
    std::tm tm{};
    ASSERT_TRUE(LocalTime(0, tm));
    EXPECT_EQ(tm.tm_year, 70);
    EXPECT_EQ(tm.tm_hour, 8);
    CScopedEnv utc("TZ", "UTC0");
    ASSERT_TRUE(LocalTime(86399, tm));
    EXPECT_EQ(tm.tm_hour, 23);
    EXPECT_EQ(tm.tm_mday, 1);
}

}  // namespace
}  // namespace kq
