// kqtools-cli rename --preset: a preset saved by the window sets the mode,
// its page and keep-extension; options on the command line override it.
#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "renamer/settings/Presets.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CTempDir;
using test::RunProgram;

struct CPresetCli {
    CTempDir dir;
    CTempDir config;
    test::CRunResult Run(std::vector<std::string> args) const
    {
        return RunProgram(KQ_CLI_PATH, args, {}, {"KQ_CONFIG_HOME=" + config.NativePath()});
    }
    // Stores the presets where the window keeps them.
    void Store(const settings::CPresetList& presets) const
    {
        test::CScopedEnv env("KQ_CONFIG_HOME", config.NativePath());
        ASSERT_TRUE(settings::CPresetStore().Save(presets));
    }
};

settings::CPresetList SomePresets()
{
    settings::CPresetList presets;
    settings::CPreset enhanced;
    enhanced.m_strName = u"照片 编号";
    enhanced.m_nMode = 1;
    enhanced.m_bKeepExtension = false;
    enhanced.m_fields.m_enhanced.m_strTemplate = u"图*";
    enhanced.m_fields.m_enhanced.m_nKind = 0;
    enhanced.m_fields.m_enhanced.m_strStart = u"C";
    enhanced.m_fields.m_enhanced.m_bReplaceEnabled = true;
    enhanced.m_fields.m_enhanced.m_strFind = u"(\\d)";
    enhanced.m_fields.m_enhanced.m_strReplace = u"<$1>";
    enhanced.m_fields.m_enhanced.m_bRegex = true;
    presets.Put(enhanced);
    settings::CPreset list;
    list.m_strName = u"names";
    list.m_nMode = 2;
    list.m_fields.m_list.m_aNames = {u"甲", u"乙"};
    presets.Put(list);
    return presets;
}

TEST(CliRename, PresetSetsModePageAndKeepExtensionAndOptionsOverrideIt)
{
    CPresetCli f;
    f.dir.MakeFile(u"a1.txt", "a");
    f.dir.MakeFile(u"b2.txt", "b");
    CTempDir other;
    other.MakeFile(u"names.txt", "一\n二\n");
    f.Store(SomePresets());
    const std::string d = f.dir.NativePath();
    const std::string names = other.NativePath() + "/names.txt";
    struct Expect {
        std::vector<std::string> args;
        std::vector<std::string> newNames;  // of a1.txt and b2.txt
    } expects[] = {
        // Pattern, start, the pattern replacement and no extension: all the preset's.
        {{"--preset", "照片 编号"}, {"图C", "图D"}},
        {{"--preset", "照片 编号", "--pattern", "*-x1"}, {"C-x<1>", "D-x<1>"}},
        {{"--preset", "照片 编号", "--keep-extension"}, {"图C.txt", "图D.txt"}},
        // A new sequence starts at its own first member, as on the page.
        {{"--preset", "照片 编号", "--mode", "enhanced", "--kind", "2"}, {"图<1>", "图<2>"}},
        {{"--preset", "照片 编号", "--find", "图", "--replace", ""}, {"C", "D"}},
        {{"--preset", "names"}, {"甲.txt", "乙.txt"}},
        {{"--preset", "names", "--names-file", names}, {"一.txt", "二.txt"}},
    };
    for (const auto& c : expects) {
        SCOPED_TRACE(c.args.back());
        std::vector<std::string> args{"rename", "--dry-run", "--json", "--sort", "name"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.push_back(d);
        const auto r = f.Run(args);
        ASSERT_EQ(r.m_nExitCode, 0) << r.m_strErr;
        for (const std::string& name : c.newNames)
            EXPECT_NE(r.m_strOut.find("\"new\":" + JsonString(name)), std::string::npos) << name << "\n" << r.m_strOut;
    }

    // Applied for real too; the preset store itself is left as it was.
    const std::string before = f.config.ReadFile(u"TernSoft/KQTool/KQToolsPresets.conf");
    const auto done = f.Run({"rename", "--yes", "--sort", "name", "--preset", "照片 编号", d});
    EXPECT_EQ(done.m_nExitCode, 0) << done.m_strErr;
    EXPECT_EQ(f.dir.List(), (std::vector<std::u16string>{u"图C", u"图D"}));
    EXPECT_EQ(f.config.ReadFile(u"TernSoft/KQTool/KQToolsPresets.conf"), before);
}

TEST(CliRename, PresetUsageErrors)
{
    CPresetCli f;
    f.dir.MakeFile(u"a.txt", "a");
    f.Store(SomePresets());
    const std::string d = f.dir.NativePath();
    struct Case {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--preset", "没有"}, "没有名为“没有”的预设"},
        {{"--preset", "names", "--mode", "simple"}, "预设“names”是 list 模式，不能与 --mode simple 同用"},
        {{"--preset", "names", "--pattern", "x"}, "选项 --pattern 不用于 list 模式"},
        {{"--preset", "names", "--keep-extension", "--no-keep-extension"},
         "--keep-extension 与 --no-keep-extension 只能选一个"},
        {{"--preset"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        std::vector<std::string> args{"rename", "--dry-run"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.push_back(d);
        const auto r = f.Run(args);
        EXPECT_EQ(r.m_nExitCode, 2);
        EXPECT_NE(r.m_strErr.find(c.message), std::string::npos) << r.m_strErr;
        EXPECT_EQ(f.dir.List(), std::vector<std::u16string>{u"a.txt"});
    }

    // A store that cannot be read is set aside and said so; the preset is then unknown.
    f.config.MakeFile(u"TernSoft/KQTool/KQToolsPresets.conf", "not presets");
    const auto r = f.Run({"rename", "--dry-run", "--preset", "names", d});
    EXPECT_EQ(r.m_nExitCode, 2);
    EXPECT_NE(r.m_strErr.find("KQToolsPresets.conf.damaged"), std::string::npos) << r.m_strErr;
    EXPECT_EQ(f.config.ReadFile(u"TernSoft/KQTool/KQToolsPresets.conf.damaged"), "not presets");
}

}  // namespace
}  // namespace kq
