#include "controlpanel/core/Diagnostics.h"

#include <string_view>
#include <utility>

#include "platform/JsonWriter.h"
#include "platform/Text.h"

namespace kq {

namespace {

void WriteTexts(CJsonWriter& json, const std::vector<std::u16string>& items)
{
    json.BeginArray();
    for (const std::u16string& item : items) json.String(item);
    json.EndArray();
}

// Tabs and line breaks inside a cell would break the line format.
void AppendCell(std::string& out, std::u16string_view text)
{
    for (char c : ToUtf8(text)) out += (c == '\t' || c == '\n' || c == '\r') ? ' ' : c;
}

void AppendLine(std::string& out, const std::vector<std::u16string>& cells)
{
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i) out += '\t';
        AppendCell(out, cells[i]);
    }
    out += '\n';
}

CDiagnosticsResult Usage(std::string message)
{
    CDiagnosticsResult result;
    result.m_nExitCode = 2;
    result.m_strErr = "TERNControlPanel: " + message +
                      "\n用法：TERNControlPanel [--list [--json] | --page 页面名 [--json]]\n"
                      "页面名：copyright, system, software, platform, community, developers, users\n";
    return result;
}

std::string PageText(std::string_view name, bool bJson)
{
    if (name == "software") return FormatProducts(SoftwareProducts(*OpenMachineRegistry()), bJson);
    constexpr std::pair<std::string_view, int> kKinds[] = {{"copyright", kPageCopyright},
                                                           {"system", kPageSystem},
                                                           {"platform", kPagePlatform},
                                                           {"community", kPageCommunity},
                                                           {"developers", kPageDevelopers}};
    for (const auto& [known, kind] : kKinds)
        if (name == known) return FormatInfoTable(InfoPage(kind), bJson);
    return FormatInfoTable(InfoPage(kPageUsers), bJson);
}

}  // namespace

std::string FormatCommandList(const std::vector<CPanelExecute>& commands, bool bJson)
{
    std::string out;
    if (!bJson) {
        for (const CPanelExecute& c : commands)
            AppendLine(out, {c.m_strName, c.m_strDescription, c.IsBuiltIn() ? std::u16string(u"内置") : c.m_strLibraryFile});
        return out;
    }
    CJsonWriter json;
    json.BeginObject().Key("commands").BeginArray();
    for (const CPanelExecute& c : commands) {
        json.BeginObject().Field("name", c.m_strName).Field("description", c.m_strDescription);
        json.Field("library", c.IsBuiltIn() ? std::u16string(u"内置") : c.m_strLibraryFile);
        json.Field("index", c.m_nCommandIndex).EndObject();
    }
    return json.EndArray().EndObject().Text() + "\n";
}

std::string FormatInfoTable(const CInfoTable& table, bool bJson)
{
    std::vector<std::u16string> titles;
    for (const CInfoColumn& column : table.m_aColumns) titles.push_back(column.m_strTitle);
    std::string out;
    if (!bJson) {
        AppendLine(out, titles);
        for (const auto& row : table.m_aRows) AppendLine(out, row);
        return out;
    }
    CJsonWriter json;
    json.BeginObject().Key("columns");
    WriteTexts(json, titles);
    json.Key("rows").BeginArray();
    for (const auto& row : table.m_aRows) WriteTexts(json, row);
    return json.EndArray().EndObject().Text() + "\n";
}

std::string FormatProducts(const std::vector<CProductInfo>& products, bool bJson)
{
    std::string out;
    if (!bJson) {
        for (const CProductInfo& product : products) {
            AppendLine(out, {product.m_strName});
            for (const auto& line : product.m_aLines) {
                out += "  ";
                AppendLine(out, {line});
            }
        }
        return out;
    }
    CJsonWriter json;
    json.BeginObject().Key("products").BeginArray();
    for (const CProductInfo& product : products) {
        json.BeginObject().Field("name", product.m_strName).Key("lines");
        WriteTexts(json, product.m_aLines);
        json.EndObject();
    }
    return json.EndArray().EndObject().Text() + "\n";
}

CDiagnosticsResult RunDiagnostics(const std::vector<std::string>& args, std::u16string_view pluginFolder)
{
    bool bAsked = false;
    for (const std::string& a : args)
        bAsked = bAsked || a == "--list" || a == "--page" || a.rfind("--page=", 0) == 0;
    if (!bAsked) return {};  // the window opens; Qt takes its own options
    bool bList = false, bJson = false, bPage = false;
    std::string page;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--list") {
            bList = true;
        } else if (a == "--json") {
            bJson = true;
        } else if (a == "--page") {
            if (i + 1 >= args.size()) return Usage("--page 需要页面名");
            bPage = true;
            page = args[++i];
        } else if (a.rfind("--page=", 0) == 0) {
            bPage = true;
            page = a.substr(7);
        } else {
            return Usage("未知的参数：" + a);
        }
    }
    if (bList && bPage) return Usage("--list 与 --page 不能同时使用");
    CDiagnosticsResult result;
    result.m_nExitCode = 0;
    if (bList) {
        CPluginHost host;
        result.m_strOut = FormatCommandList(ListCommands(host, pluginFolder), bJson);
        return result;
    }
    bool known = false;
    for (const char* name : kPageNames) known = known || page == name;
    if (!known) return Usage("未知的页面：" + page);
    result.m_strOut = PageText(page, bJson);
    return result;
}

}  // namespace kq
