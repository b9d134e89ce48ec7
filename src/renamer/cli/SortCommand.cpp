// kqtools-cli sort: a super-sort rule applied to the list rename builds.
#include <string>
#include <vector>

#include "platform/Crt.h"
#include "platform/JsonWriter.h"
#include "platform/Text.h"
#include "renamer/cli/CliSupport.h"
#include "renamer/cli/ListOptions.h"
#include "renamer/cli/RuleOptions.h"
#include "renamer/list/FileNameList.h"
#include "renamer/supersort/SortWorkList.h"

using namespace kq;
using namespace kq::cli;

namespace {

const char* const kSortUsage =
    "用法: kqtools-cli sort [--rules FILE] --rule NAME [--descending] [--json] [--recursive] PATH...\n"
    "按 rename 的规则把文件和文件夹（其中的文件）加入列表，用超级排序规则 NAME 计算每个文件的权值并排序（默认增序），\n"
    "输出排序预览，每行: 序号<TAB>文件名称<TAB>文件目录<TAB>权值。\n"
    "  --rules FILE   规则文件，默认为规则库 supsort.cfg\n"
    "  --json         输出 {\"code\":0,\"rows\":[{\"number\":1,\"name\":\"…\",\"folder\":\"…\",\"weight\":N},…]}\n"
    "规则中断（循环步长为 0、公式错误、条件公式结果不足 2 个字符）时输出 {\"code\":2|3,\"error\":\"…\",\"rows\":[]}，退出码 1。\n"
    "退出码: 0 成功，1 规则中断或找不到规则，2 用法错误。";

std::string PreviewText(const CSortWorkList& work, bool json)
{
    std::string out;
    out.reserve(size_t(work.GetCount()) * 64 + 32);
    CJsonWriter writer;
    if (json) writer.BeginObject().Field("code", 0).Key("rows").BeginArray();
    // Rows of one folder share its text: convert it once per run of rows.
    const std::u16string* lastFolder = nullptr;
    std::string folder;
    for (int e = 0; e < work.GetCount(); ++e) {
        const std::u16string& folderText = work.m_aFolders[size_t(e)];
        if (!lastFolder || *lastFolder != folderText) {
            lastFolder = &folderText;
            if (!json) folder = ToNativeName(folderText);
        }
        const std::string number = std::to_string(e + 1);
        const std::string weight = std::to_string(work.m_aWeights[size_t(e)]);
        if (json) {
            writer.BeginObject().Field("number", e + 1).Field("name", work.RestoredName(e));
            writer.Field("folder", folderText).Key("weight").Raw(weight).EndObject();
        } else {
            if (e > 0) out += '\n';
            out += number;
            out += '\t';
            AppendNativeName(out, work.RestoredName(e));
            out += '\t';
            out += folder;
            out += '\t';
            out += weight;
        }
    }
    if (json) return writer.EndArray().EndObject().Text();
    return out;
}

int RunSort(std::vector<std::string>& args)
{
    CArgReader reader(args);
    const CRuleSource source = RuleSource(reader);
    std::string ruleName;
    const bool hasRule = reader.Value("--rule", ruleName);
    const bool descending = reader.Flag("--descending");
    const bool json = reader.Flag("--json");
    const bool recursive = reader.Flag("--recursive");
    std::vector<std::string> paths = reader.Positionals();
    if (reader.HasError()) return UsageError("sort", reader.Error());
    if (!hasRule) return UsageError("sort", "缺少 --rule NAME");
    if (paths.empty()) return UsageError("sort", "缺少要排序的文件或文件夹");

    CSortRouteList rules;
    ReadRules(source, rules);  // a damaged file still offers the rules read
    const int index = rules.FindRoute(FromUtf8(ruleName));
    if (index < 0) {
        PrintErr("kqtools-cli: 找不到排序规则：" + ruleName);
        return kExitFailed;
    }
    CFileNameList list;
    std::string error;
    size_t unreadable = 0;
    if (!BuildFileList(paths, recursive, list, error, &unreadable)) return UsageError("sort", error);

    CSortWorkList work;
    const ESuperSortResult status = PrepareSuperSort(work, list, rules[index], !descending);
    if (status == kSuperSortZeroStep || status == kSuperSortFormula) {
        if (json) {
            CJsonWriter writer;
            writer.BeginObject().Field("code", status).Field("error", work.m_strLastError);
            PrintOut(writer.Key("rows").BeginArray().EndArray().EndObject().Text());
        } else if (status == kSuperSortZeroStep)
            PrintErr("kqtools-cli: 排序已中断：循环条款的步长为 0");
        return kExitFailed;
    }
    if (work.GetCount() > 0 || json) PrintOut(PreviewText(work, json));
    return unreadable > 0 ? kExitFailed : kExitOk;
}

}  // namespace

KQ_CLI_COMMAND(sort, "sort", 35, "按超级排序规则计算权值并排序预览", kSortUsage, RunSort);
