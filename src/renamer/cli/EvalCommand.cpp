// kqtools-cli eval: one formula evaluated for one list row.
#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "formula/engine/FileNameStringAnalyse.h"
#include "platform/Crt.h"
#include "platform/JsonWriter.h"
#include "platform/Text.h"
#include "renamer/cli/CliSupport.h"

using namespace kq;
using namespace kq::cli;

namespace {

constexpr const char* kEvalUsage =
    "用法: kqtools-cli [--clipboard-file FILE] eval [--file NAME] [--folder DIR] [--index N] [--count N]\n"
    "            [--path-index N] [--index-on-path N] [--var NAME=INT]... [--json] FORMULA\n"
    "按公式模式的规则为一行文件计算公式 FORMULA（开头的 = 可省略）。\n"
    "  --file NAME           文件名（含后缀），默认为空\n"
    "  --folder DIR          所在目录，默认为空\n"
    "  --index N             行号 index()，默认 1\n"
    "  --count N             行数 count()，默认 1\n"
    "  --path-index N        目录序号 pathindex()，默认 1\n"
    "  --index-on-path N     目录内序号 indexonpath()，默认 1\n"
    "  --var NAME=INT        增加一个整数预置变量，可重复\n"
    "  --json                输出一行 {\"code\":C,\"output\":\"…\",\"type\":T,\"error\":\"…\"}，退出码 0\n"
    "普通输出：成功时输出结果，退出码 0；失败时在标准错误输出“错误 <代码>: <信息>”，退出码 1。";

// "NAME=INT" with a whole 32-bit number.
bool ParseVar(const std::string& text, std::u16string& name, int& value)
{
    size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    std::string number = text.substr(eq + 1);
    size_t i = (number.size() > 1 && (number[0] == '-' || number[0] == '+')) ? 1 : 0;
    if (i >= number.size()) return false;
    for (size_t j = i; j < number.size(); ++j)
        if (number[j] < '0' || number[j] > '9') return false;
    long long parsed = 0;
    for (size_t j = i; j < number.size(); ++j) {
        parsed = parsed * 10 + (number[j] - '0');
        if (parsed > 2147483648LL) return false;
    }
    if (number[0] == '-') parsed = -parsed;
    if (parsed > 2147483647LL || parsed < -2147483648LL) return false;
    name = FromUtf8(text.substr(0, eq));
    value = static_cast<int>(parsed);
    return true;
}

// The --json line: {"code":C,"output":"…","type":T,"error":"…"}.
void PrintEvalJson(int code, std::u16string_view output, int type, std::u16string_view error)
{
    CJsonWriter json;
    json.BeginObject().Field("code", code).Field("output", output).Field("type", type).Field("error", error);
    PrintOut(json.EndObject().Text());
}

int Evaluate(std::vector<std::string>& args)
{
    CArgReader reader(args);
    const bool json = reader.Flag("--json");
    std::string file;
    std::string folder;
    reader.Value("--file", file);
    reader.Value("--folder", folder);
    CFileNameStringAnalyse engine;
    engine.m_nIndex = engine.m_nCount = engine.m_nPathIndex = engine.m_nIndexOnPath = 1;
    reader.IntValue("--index", engine.m_nIndex);
    reader.IntValue("--count", engine.m_nCount);
    reader.IntValue("--path-index", engine.m_nPathIndex);
    reader.IntValue("--index-on-path", engine.m_nIndexOnPath);
    for (const std::string& var : reader.Values("--var")) {
        CTERNOperateVar preset;
        if (!ParseVar(var, preset.m_strName, preset.m_nValue))
            return UsageError("eval", "选项 --var 需要 NAME=INT：" + var);
        preset.m_nType = OVT_INT;
        engine.m_aPresetVarList.push_back(preset);
    }
    std::vector<std::string> positionals = reader.Positionals();
    if (reader.HasError()) return UsageError("eval", reader.Error());
    if (positionals.size() != 1) return UsageError("eval", "需要恰好一个公式 FORMULA");

    engine.m_strFileName = FromUtf8(file);
    engine.m_strFilePath = FromUtf8(folder);
    engine.SetInputString(FromUtf8(positionals[0]));
    const int code = engine.DoAnalyse();
    if (json) {
        PrintEvalJson(code, engine.GetOutputString(), engine.GetOutputType(), engine.GetAnalyseErrorInfo());
        return kExitOk;
    }
    if (code != kAnalyseOk) {
        PrintErr("错误 " + std::to_string(code) + ": " + ToUtf8(engine.GetAnalyseErrorInfo()));
        return kExitFailed;
    }
    PrintOut(ToUtf8(engine.GetOutputString()));
    return kExitOk;
}

// The engine turns a failed allocation into a result code itself; this
// catches one while the result is printed, so the promised output (a JSON
// line, or a message and status 1) still comes instead of an abort.
int RunEval(std::vector<std::string>& args)
{
    const bool json = std::find(args.begin(), args.end(), "--json") != args.end();
    try {
        return Evaluate(args);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    const std::string message = "内存不足，无法计算公式";
    if (json) {
        PrintEvalJson(kAnalyseOutOfMemory, u"", 0, FromUtf8(message));
        return kExitOk;
    }
    PrintErr("错误 " + std::to_string(kAnalyseOutOfMemory) + ": " + message);
    return kExitFailed;
}

}  // namespace

KQ_CLI_COMMAND(eval, "eval", 10, "为一行文件计算公式", kEvalUsage, RunEval);
