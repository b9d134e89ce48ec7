#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#ifndef _WIN32
#include <dlfcn.h>
#endif

#include "controlpanel/core/PanelCommands.h"
#include "platform/DynamicLibrary.h"
#include "platform/SpecialFolders.h"
#include "platform/Path.h"
#include "platform/Text.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

namespace fs = std::filesystem;

// Copies the test plug-ins into folder under the names the host looks for.
void Install(const test::CTempDir& dir, const char* built, const char16_t* name)
{
    fs::copy_file(built, ToNativeName(dir.Child(SharedLibraryFileName(name))));
}

std::vector<std::u16string> Names(const std::vector<CPanelExecute>& commands)
{
    std::vector<std::u16string> names;
    for (const auto& c : commands) names.push_back(c.m_strName);
    return names;
}

// A loader over fake libraries that records every call.
struct CFakeLibraries {
    std::map<std::u16string, std::vector<std::string>> m_aExports;  // file name -> exports
    std::vector<std::string> m_aCalls;
    std::vector<std::string> m_aHandles;  // index + 1 is the handle

    CLibraryLoader Loader()
    {
        return {[this](std::u16string_view path) -> void* {
                    m_aCalls.push_back("load " + ToUtf8(path));
                    std::u16string file(path.substr(path.find_last_of(u"/\\") + 1));
                    if (!m_aExports.count(file)) return nullptr;
                    m_aHandles.push_back(ToUtf8(file));
                    return reinterpret_cast<void*>(m_aHandles.size());
                },
                [this](void* library, const char* name) -> void* {
                    std::string file = m_aHandles[reinterpret_cast<size_t>(library) - 1];
                    m_aCalls.push_back("find " + file + " " + name);
                    for (const auto& e : m_aExports[FromUtf8(file)])
                        if (e == name) return reinterpret_cast<void*>(&Count);
                    return nullptr;
                },
                [this](void* library) { m_aCalls.push_back("unload " + m_aHandles[reinterpret_cast<size_t>(library) - 1]); }};
    }
    // Stands in for every export: a count of 0 asks for no names.
    static int ICPL_CALL Count() { return 0; }
};

TEST(PluginHost, LooksUpExportsInOrderDropsIncompleteLibrariesUnloadsInReverse)
{
    CFakeLibraries fake;
    std::u16string tool = SharedLibraryFileName(u"TERNToolPanel"), select = SharedLibraryFileName(u"TERNSelectPanel");
    std::string t = ToUtf8(tool), s = ToUtf8(select);
    // The folder joined with the platform's separator.
    const std::string loadT = "load " + ToUtf8(JoinPath(u"/p", tool)), loadS = "load " + ToUtf8(JoinPath(u"/p", select));
    std::vector<std::string> all = {"ICPL_GetExportVersion", "ICPL_GetCommandCount", "ICPL_GetCommandName", "ICPL_ExecuteCommand"};
    struct {
        std::vector<std::string> toolExports, selectExports;
        std::vector<std::string> calls;
    } cases[] = {
        {all, all,
         {loadT, "find " + t + " ICPL_GetExportVersion", "find " + t + " ICPL_GetCommandCount",
          "find " + t + " ICPL_GetCommandName", "find " + t + " ICPL_ExecuteCommand", loadS,
          "find " + s + " ICPL_GetExportVersion", "find " + s + " ICPL_GetCommandCount",
          "find " + s + " ICPL_GetCommandName", "find " + s + " ICPL_ExecuteCommand", "unload " + s, "unload " + t}},
        // The marker missing: nothing else is looked up, the library goes at once.
        {{"ICPL_GetCommandCount", "ICPL_GetCommandName", "ICPL_ExecuteCommand"}, all,
         {loadT, "find " + t + " ICPL_GetExportVersion", "unload " + t, loadS,
          "find " + s + " ICPL_GetExportVersion", "find " + s + " ICPL_GetCommandCount",
          "find " + s + " ICPL_GetCommandName", "find " + s + " ICPL_ExecuteCommand", "unload " + s}},
    };
    for (const auto& c : cases) {
        fake = {};
        fake.m_aExports[tool] = c.toolExports;
        fake.m_aExports[select] = c.selectExports;
        {
            CPluginHost host(fake.Loader());
            std::vector<CPanelExecute> commands;
            host.Load(u"/p", commands);
            EXPECT_TRUE(commands.empty());
        }
        EXPECT_EQ(fake.m_aCalls, c.calls);
    }
}

TEST(PluginHost, NoLibraryGivesExactlyTheBuiltInCommands)
{
    test::CTempDir dir;
    CPluginHost host;
    std::vector<CPanelExecute> commands = ListCommands(host, dir.Path());
    EXPECT_EQ(Names(commands), (std::vector<std::u16string>{u"系统信息", u"致谢名单", u"官方网站"}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(commands[size_t(i)].IsBuiltIn());
        EXPECT_EQ(commands[size_t(i)].m_nCommandIndex, i);
        EXPECT_FALSE(commands[size_t(i)].m_strDescription.empty());
    }
    EXPECT_TRUE(host.Libraries().empty());
    EXPECT_EQ(RunPluginCommand(commands, 0, nullptr), 0);
}

TEST(PluginHost, SkipsAbsentIndicesAndKeepsTheRealOnes)
{
    test::CTempDir dir;
    Install(dir, KQ_SAMPLE_PANEL, u"TERNToolPanel");
    CPluginHost host;
    std::vector<CPanelExecute> commands = ListCommands(host, dir.Path());
    ASSERT_EQ(commands.size(), 5u);
    EXPECT_EQ(commands[3].m_strName, u"样例命令");
    EXPECT_EQ(commands[3].m_nCommandIndex, 0);
    EXPECT_EQ(commands[3].m_strLibraryFile, SharedLibraryFileName(u"TERNToolPanel"));
    EXPECT_EQ(commands[3].m_strIconImage.substr(0, 2), "BM");
    EXPECT_EQ(commands[4].m_strName, u"样例命令三");
    EXPECT_EQ(commands[4].m_strDescription, u"样例插件的第三个命令");
    EXPECT_EQ(commands[4].m_nCommandIndex, 2);
    EXPECT_TRUE(commands[4].m_strIconImage.empty());

    EXPECT_EQ(RunPluginCommand(commands, 4, reinterpret_cast<ICPL_Window>(0x1234)), 1);
    auto last = reinterpret_cast<int (*)()>(FindLibraryExport(host.Libraries()[0], "Sample_LastExecuted"));
    auto parent = reinterpret_cast<intptr_t (*)()>(FindLibraryExport(host.Libraries()[0], "Sample_LastParent"));
    ASSERT_TRUE(last && parent);
    EXPECT_EQ(last(), 2);
    EXPECT_EQ(parent(), 0x1234);
    EXPECT_EQ(RunPluginCommand(commands, 99, nullptr), 0);
}

#ifndef _WIN32
bool StillLoaded(const std::u16string& path)
{
    void* h = dlopen(ToNativeName(path).c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (h) dlclose(h);
    return h != nullptr;
}

TEST(PluginHost, LibraryMissingAnExportContributesNothingAndIsUnloaded)
{
    test::CTempDir dir;
    Install(dir, KQ_SAMPLE_PANEL, u"TERNToolPanel");
    Install(dir, KQ_LACKING_PANEL, u"TERNSelectPanel");
    std::u16string sample = dir.Child(SharedLibraryFileName(u"TERNToolPanel"));
    std::u16string lacking = dir.Child(SharedLibraryFileName(u"TERNSelectPanel"));
    {
        CPluginHost host;
        std::vector<CPanelExecute> commands = ListCommands(host, dir.Path());
        EXPECT_EQ(commands.size(), 5u);
        EXPECT_EQ(host.Libraries().size(), 1u);
        EXPECT_FALSE(StillLoaded(lacking));
        EXPECT_TRUE(StillLoaded(sample));
    }
    EXPECT_FALSE(StillLoaded(sample));
}

TEST(PluginHost, LibraryInTheCurrentFolderButNotBesideTheProgramIsNotLoaded)
{
    test::CTempDir dir;
    Install(dir, KQ_SAMPLE_PANEL, u"TERNToolPanel");
    fs::path before = fs::current_path();
    fs::current_path(dir.NativePath());
    CPluginHost host;
    std::vector<CPanelExecute> commands = ListCommands(host, ProgramFolder());
    // A bare file name is never handed to the loader's search either.
    EXPECT_EQ(LoadSharedLibrary(SharedLibraryFileName(u"TERNToolPanel")), nullptr);
    fs::current_path(before);
    EXPECT_EQ(commands.size(), 3u);
}
#endif

}  // namespace
}  // namespace kq
