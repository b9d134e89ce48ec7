// kqtools-cli template: one control expression expanded for given rows.
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/JsonWriter.h"
#include "platform/Path.h"
#include "platform/Text.h"
#include "renamer/cli/CliSupport.h"
#include "renamer/templates/StringOperatorMacro.h"

using namespace kq;
using namespace kq::cli;

namespace {

constexpr const char* kTemplateUsage =
    "用法: kqtools-cli template [--row PATH]... [--count N] [--json] TEMPLATE\n"
    "按高级模式的控制表达式 TEMPLATE 为每个 --row 依次生成新文件名（序号 1、2、…）。\n"
    "  --row PATH   一行文件：PATH 在最后一个路径分隔符处分为目录和文件名（文件不必存在）\n"
    "  --count N    文件个数 {C}，默认为行数；没有 --row 时按一个空目录、空文件名的行计算\n"
    "  --json       输出一行 {\"rows\":[{\"ok\":true,\"result\":\"…\"},…]}，退出码 0\n"
    "普通输出每行一个结果；失败的行输出空行，并在标准错误输出“错误: 行号”，退出码 1。";

int RunTemplate(std::vector<std::string>& args)
{
    CArgReader reader(args);
    const bool json = reader.Flag("--json");
    const std::vector<std::string> rowPaths = reader.Values("--row");
    int count = static_cast<int>(rowPaths.size());
    const bool hasCount = reader.IntValue("--count", count);
    (void)hasCount;
    std::vector<std::string> positionals = reader.Positionals();
    if (reader.HasError()) return UsageError("template", reader.Error());
    if (positionals.size() != 1) return UsageError("template", "需要恰好一个控制表达式 TEMPLATE");

    struct CRow {
        std::u16string m_strFolder;
        std::u16string m_strName;
    };
    std::vector<CRow> rows;
    for (const auto& path : rowPaths) {
        CRow row;
        SplitPath(FromUtf8(path), row.m_strFolder, row.m_strName);
        rows.push_back(std::move(row));
    }
    if (rows.empty()) rows.push_back({});

    CStringOperatorMacro macro;
    macro.BeginRun(FromUtf8(positionals[0]), count);
    int status = kExitOk;
    CJsonWriter jsonRows;
    jsonRows.BeginObject().Key("rows").BeginArray();
    for (size_t i = 0; i < rows.size(); ++i) {
        std::u16string text;
        const int index = static_cast<int>(i) + 1;
        bool ok = false;
        try {
            ok = macro.ExpandRow(rows[i].m_strName, rows[i].m_strFolder, index, text);
        } catch (const std::bad_alloc&) {
            // Out of memory fails this row like any expansion that fails.
            std::u16string().swap(text);
        } catch (const std::length_error&) {
            std::u16string().swap(text);
        }
        if (json) {
            jsonRows.BeginObject().Field("ok", ok).Field("result", text).EndObject();
            continue;
        }
        PrintOut(ToUtf8(text));
        if (!ok) {
            PrintErr("错误: " + std::to_string(index));
            status = kExitFailed;
        }
    }
    if (json) PrintOut(jsonRows.EndArray().EndObject().Text());
    return status;
}

}  // namespace

KQ_CLI_COMMAND(template, "template", 20, "按控制表达式生成新文件名", kTemplateUsage, RunTemplate);
