// The configuration centre's commands: the three built into the program and
// those offered by the command plug-in libraries beside it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "TERNPanelPlugin.h"

namespace kq {

// One listed command. Built-in commands have no context and no handler; the
// program runs them itself by their index.
struct CPanelExecute {
    void* m_hContext = nullptr;                       // the plug-in library
    ICPL_ExecuteCommandFn m_pfnHandler = nullptr;
    int m_nCommandIndex = 0;
    std::u16string m_strName;
    std::u16string m_strDescription;
    std::u16string m_strLibraryFile;                  // plug-in file name; empty for built-ins
    std::string m_strIconImage;                       // image bytes given by the plug-in
    std::u16string m_strIconFile;                     // or the path of an image file

    bool IsBuiltIn() const { return m_hContext == nullptr; }
};

// Built-in commands, in list order.
enum { kCmdSystemInfo = 0, kCmdCredits = 1, kCmdWebSite = 2, kBuiltInCommands = 3 };
std::vector<CPanelExecute> BuiltInCommands();

// The plug-in libraries looked for, in load order.
inline constexpr const char16_t* kPluginLibraries[] = {u"TERNToolPanel", u"TERNSelectPanel"};

// How libraries are loaded; the platform's by default, replaced in tests.
struct CLibraryLoader {
    std::function<void*(std::u16string_view path)> m_fnLoad;
    std::function<void*(void* library, const char* name)> m_fnFind;
    std::function<void(void* library)> m_fnUnload;
};
CLibraryLoader PlatformLibraryLoader();

// Loads the plug-in libraries from one folder (the program's own, never the
// current folder or a search path) and keeps them loaded until it goes away;
// then unloads them from the last loaded to the first.
class CPluginHost {
public:
    explicit CPluginHost(CLibraryLoader loader = PlatformLibraryLoader());
    ~CPluginHost();
    CPluginHost(const CPluginHost&) = delete;
    CPluginHost& operator=(const CPluginHost&) = delete;

    // Loads TERNToolPanel then TERNSelectPanel from folder and appends their
    // commands to commands. An empty folder loads nothing.
    void Load(std::u16string_view folder, std::vector<CPanelExecute>& commands);
    // Unloads everything now (last loaded first).
    void UnloadAll();
    const std::vector<void*>& Libraries() const { return m_aLibraries; }

private:
    CLibraryLoader m_loader;
    std::vector<void*> m_aLibraries;
};

// Built-ins followed by the plug-in commands of folder.
std::vector<CPanelExecute> ListCommands(CPluginHost& host, std::u16string_view folder);

// Runs a plug-in command with the given parent window; built-ins answer 0
// here (the program runs them). Index out of range answers 0.
int RunPluginCommand(const std::vector<CPanelExecute>& commands, size_t nRecord, ICPL_Window parent);

}  // namespace kq
