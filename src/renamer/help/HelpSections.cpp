#include "HelpSections.h"

#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "formula/functions/FunctionTable.h"
#include "platform/Crt.h"
#include "platform/Text.h"
#include "renamer/modes/FormulaPresets.h"
#include "renamer/templates/MacroPresets.h"
#include "renamer/templates/MacroRules.h"

namespace kq::help {

namespace {

// The function reference: one index of links per category, then one entry
// per function in table order.
std::string FunctionIndex()
{
    std::string out;
    std::u16string_view category;
    for (const CFunctionInfo& info : FunctionTable()) {
        if (info.m_strCategory != category) {
            if (!category.empty()) out += "</p>\n";
            category = info.m_strCategory;
            out += "<p class=\"index\"><b>" + Html(category) + "</b>：";
        } else {
            out += " · ";
        }
        out += "<a href=\"#" + FunctionAnchor(info.m_strName) + "\">" + Html(info.m_strName) + "</a>";
    }
    if (!category.empty()) out += "</p>\n";
    return out;
}

std::string ArgumentCount(const CFunctionInfo& info)
{
    if (info.m_nArgCount == kOneOrMoreArguments) return "一个或多个";
    return ToUtf8(FormatInt(info.m_nArgCount)) + "个";
}

std::string FunctionEntries()
{
    std::string out;
    std::u16string_view category;
    for (const CFunctionInfo& info : FunctionTable()) {
        if (info.m_strCategory != category) {
            category = info.m_strCategory;
            out += "<h2>" + Html(category) + "</h2>\n";
        }
        out += "<div class=\"function\" id=\"" + FunctionAnchor(info.m_strName) + "\">\n";
        out += "<h3>" + Html(info.m_strName) + "(" + Html(info.m_strArguments) + ")</h3>\n";
        out += "<table>\n";
        out += "<tr><th>说明</th><td>" + Html(info.m_strDescription) + "</td></tr>\n";
        out += "<tr><th>参数</th><td>" + (info.m_strArguments.empty() ? std::string("无") : Html(info.m_strArguments)) +
               "（" + ArgumentCount(info) + "）</td></tr>\n";
        out += "<tr><th>结果</th><td>" + Html(info.m_strResult) + "</td></tr>\n";
        out += "<tr><th>示例</th><td><code>" + Html(info.m_strExample) + "</code></td></tr>\n";
        out += "</table>\n</div>\n";
    }
    return out;
}

std::string FunctionCount() { return ToUtf8(FormatInt(static_cast<long long>(FunctionTable().size()))); }

std::string Version() { return KQ_VERSION_TEXT; }

std::string PresetTable(std::span<const CExpressionPreset> presets, const char* heading)
{
    std::string out = "<table>\n<tr><th>" + std::string(heading) + "</th><th>说明</th></tr>\n";
    for (const CExpressionPreset& preset : presets)
        out += "<tr><td><code>" + Html(preset.m_strExpression) + "</code></td><td>" + Html(preset.m_strDescription) +
               "</td></tr>\n";
    return out + "</table>\n";
}

std::string Expressions() { return PresetTable(MacroPresets(), "控制表达式"); }

std::string Formulas() { return PresetTable(FormulaPresets(), "公式"); }

// The rules exactly as the rules dialog shows them.
std::string Rules()
{
    std::u16string text = MacroRulesText();
    std::u16string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') continue;
        // A bare line feed is no line break in the dialog's edit either.
        if (text[i] == u'\n' && i > 0 && text[i - 1] != u'\r' && i + 1 < text.size() && text[i + 1] == u'\r') continue;
        shown.push_back(text[i]);
    }
    return "<pre class=\"rules\">" + Html(shown) + "</pre>\n";
}

const std::map<std::string, std::function<std::string()>, std::less<>>& Sections()
{
    static const std::map<std::string, std::function<std::string()>, std::less<>> sections = {
        {"FUNCTION-INDEX", FunctionIndex},
        {"FUNCTIONS", FunctionEntries},
        {"FUNCTION-COUNT", FunctionCount},
        {"VERSION", Version},
        {"EXPRESSIONS", Expressions},
        {"FORMULAS", Formulas},
        {"RULES", Rules},
    };
    return sections;
}

}  // namespace

std::string Html(std::u16string_view text)
{
    std::string out;
    for (char c : ToUtf8(text)) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        default: out.push_back(c);
        }
    }
    return out;
}

std::string FunctionAnchor(std::u16string_view name) { return "fn-" + ToUtf8(name); }

std::string ExpandMarkers(std::string_view source, std::string& unknown)
{
    static constexpr std::string_view kOpen = "<!-- KQ:";
    static constexpr std::string_view kClose = " -->";
    std::string out;
    size_t pos = 0;
    while (true) {
        size_t start = source.find(kOpen, pos);
        if (start == std::string_view::npos) break;
        size_t nameStart = start + kOpen.size();
        size_t end = source.find(kClose, nameStart);
        if (end == std::string_view::npos) break;
        std::string_view name = source.substr(nameStart, end - nameStart);
        auto section = Sections().find(name);
        if (section == Sections().end()) {
            if (unknown.empty()) unknown = std::string(name);
            out.append(source.substr(pos, end + kClose.size() - pos));
        } else {
            out.append(source.substr(pos, start - pos));
            out += section->second();
        }
        pos = end + kClose.size();
    }
    out.append(source.substr(pos));
    return out;
}

}  // namespace kq::help
