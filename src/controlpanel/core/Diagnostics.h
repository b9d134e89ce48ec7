// The configuration centre's output for scripts: the command list and one
// information page, printed instead of opening the window.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "controlpanel/core/InfoPages.h"
#include "controlpanel/core/PanelCommands.h"

namespace kq {

// "name<TAB>description<TAB>library file or 内置" per command, or JSON.
std::string FormatCommandList(const std::vector<CPanelExecute>& commands, bool bJson);
// Column titles then rows, tab-separated; JSON {"columns":[…],"rows":[[…],…]}.
std::string FormatInfoTable(const CInfoTable& table, bool bJson);
// Product name then its indented lines; JSON {"products":[{"name","lines"}]}.
std::string FormatProducts(const std::vector<CProductInfo>& products, bool bJson);

// The page names of --page, in sheet order.
inline constexpr const char* kPageNames[] = {"copyright", "system", "software", "platform",
                                             "community", "developers", "users"};

struct CDiagnosticsResult {
    int m_nExitCode = -1;  // -1: no diagnostic asked for, open the window
    std::string m_strOut;  // UTF-8 for stdout
    std::string m_strErr;  // UTF-8 for stderr
};

// --list [--json] and --page NAME [--json]; plug-ins are looked for in
// pluginFolder. Exit codes: 0 printed, 2 usage error.
CDiagnosticsResult RunDiagnostics(const std::vector<std::string>& args, std::u16string_view pluginFolder);

}  // namespace kq
