// kqtools-cli rules: list, export and import super-sort rules.
#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/JsonWriter.h"
#include "platform/Text.h"
#include "renamer/cli/CliSupport.h"
#include "renamer/cli/RuleOptions.h"
#include "renamer/supersort/RouteEditing.h"
#include "renamer/supersort/RouteFile.h"

using namespace kq;
using namespace kq::cli;

namespace {

const char* const kRulesUsage =
    "用法: kqtools-cli rules list [--rules FILE] [--json]\n"
    "      kqtools-cli rules export [--rules FILE] --to OUT NAME...\n"
    "      kqtools-cli rules import [--rules FILE] FROM [NAME...]\n"
    "超级排序规则：列出规则的全部内容；把所选规则导出为规则文件 OUT（保留创建时间和创建方式）；\n"
    "从规则文件 FROM 导入所选规则（不给 NAME 时导入全部；同名时名称后加“ 导入”，创建方式为用户导入，时间为现在）。\n"
    "  --rules FILE   规则文件，默认为规则库 supsort.cfg\n"
    "  --json         list 输出 {\"rules\":[{\"name\",\"description\",\"time\",\"origin\",\"clauses\":[…]}]}\n"
    "规则文件版本过高或已损坏时，在标准错误输出说明，仍列出已完整读出的规则，退出码 1。\n"
    "退出码: 0 成功，1 失败，2 用法错误。";

void WriteClause(CJsonWriter& json, const CSortRouteClause& c)
{
    json.BeginObject().Field("combination", c.m_nCombination).Field("loopMode", c.m_nLoopMode);
    json.Field("loopStart", c.m_nLoopStart).Field("loopEnd", c.m_nLoopEnd).Field("loopStep", c.m_nLoopStep);
    json.Field("weight", c.m_strWeight).Key("conditions").BeginArray();
    for (size_t j = 0; j < 3; ++j)
        json.BeginObject().Field("mode", c.m_aConditionMode[j]).Field("text", c.m_aConditionText[j]).EndObject();
    json.EndArray().EndObject();
}

std::string RulesJson(const CSortRouteList& list)
{
    CJsonWriter json;
    json.BeginObject().Key("rules").BeginArray();
    for (int r = 0; r < list.GetCount(); ++r) {
        const CSortRouteItem& item = list[r];
        json.BeginObject().Field("name", item.m_strName).Field("description", item.m_strDescription);
        json.Field("time", item.m_nTime).Field("origin", item.m_nOrigin).Key("clauses").BeginArray();
        for (const CSortRouteClause& clause : item.m_aClauses) WriteClause(json, clause);
        json.EndArray().EndObject();
    }
    return json.EndArray().EndObject().Text();
}

// The chooser's description, then one line per clause as the rule editor
// shows it: 序号, 模式, 循环, 权值, A, B, C.
std::string RulesText(const CSortRouteList& list)
{
    std::u16string out;
    for (int r = 0; r < list.GetCount(); ++r) {
        const CSortRouteItem& item = list[r];
        if (r > 0) out += u"\n\n";
        out += RouteDescriptionText(item);
        for (size_t k = 0; k < item.m_aClauses.size(); ++k) {
            const CSortRouteClause& c = item.m_aClauses[k];
            const int used = ConditionsInUse(c.m_nCombination);
            out += u"\n" + FromAscii(std::to_string(k + 1)) + u"\t" + c.GetModeText() + u"\t" + c.GetLoopText() + u"\t" +
                   c.m_strWeight + u"\t" + c.GetConditionText(0) + u"\t" + (used >= 2 ? c.GetConditionText(1) : u"") +
                   u"\t" + (used >= 3 ? c.GetConditionText(2) : u"");
        }
    }
    return ToUtf8(out);
}

int RunList(CArgReader& reader)
{
    const CRuleSource source = RuleSource(reader);
    const bool json = reader.Flag("--json");
    if (!reader.Positionals().empty() || reader.HasError())
        return UsageError("rules", reader.HasError() ? reader.Error() : "rules list 不接受其他参数");
    CSortRouteList list;
    const bool complete = ReadRules(source, list);
    if (json) PrintOut(RulesJson(list));
    else if (list.GetCount() > 0) PrintOut(RulesText(list));
    return complete ? kExitOk : kExitFailed;
}

// Indices of the rules named, in list order; false (with the name) when one
// is not there.
bool PickRules(const CSortRouteList& list, const std::vector<std::string>& names, std::vector<int>& picked)
{
    std::set<std::u16string> wanted;
    for (const auto& name : names) {
        const std::u16string text = FromUtf8(name);
        if (!list.HasRouteName(text)) {
            PrintErr("kqtools-cli: 找不到排序规则：" + name);
            return false;
        }
        wanted.insert(text);
    }
    for (int r = 0; r < list.GetCount(); ++r)
        if (names.empty() || wanted.count(list[r].m_strName)) picked.push_back(r);
    return true;
}

int RunExport(CArgReader& reader)
{
    const CRuleSource source = RuleSource(reader);
    std::string to;
    const bool hasTo = reader.Value("--to", to);
    std::vector<std::string> names = reader.Positionals();
    if (reader.HasError()) return UsageError("rules", reader.Error());
    if (!hasTo) return UsageError("rules", "缺少 --to OUT");
    if (names.empty()) return UsageError("rules", "至少应该选择一个排序规则进行导出");
    CSortRouteList list;
    const bool complete = ReadRules(source, list);
    std::vector<int> picked;
    if (!PickRules(list, names, picked)) return kExitFailed;
    if (!SaveRouteFile(FromNativeName(to), ExportRoutes(list, picked))) {
        PrintErr("kqtools-cli: 无法写入文件：" + to);
        return kExitFailed;
    }
    return complete ? kExitOk : kExitFailed;
}

int RunImport(CArgReader& reader)
{
    const CRuleSource source = RuleSource(reader);
    std::vector<std::string> positionals = reader.Positionals();
    if (reader.HasError()) return UsageError("rules", reader.Error());
    if (positionals.empty()) return UsageError("rules", "缺少要导入的规则文件 FROM");
    CRuleSource from{FromNativeName(positionals[0]), true};
    std::vector<std::string> names(positionals.begin() + 1, positionals.end());

    CSortRouteList incoming;
    const bool fromComplete = ReadRules(from, incoming);
    std::vector<int> picked;
    if (!PickRules(incoming, names, picked)) return kExitFailed;
    if (picked.empty()) {
        PrintErr("kqtools-cli: 至少应该选择一个排序规则进行导入，请重新选择！");
        return kExitFailed;
    }
    // The store as the chooser keeps it: a store not read completely is
    // copied aside before it is replaced.
    // Unlike the chooser, a script has no 目录 button: the configuration
    // folder of the default store is made here.
    if (!source.m_bGiven) CreateFolder(GetConfigFolder());
    CRouteStore store(source.m_strPath);
    // Held from the read to the write: an import running beside this one
    // waits, then reads the store with these rules in it.
    if (!store.Lock()) {
        PrintErr("kqtools-cli: 无法锁定规则文件：" + ToUtf8(store.Path()));
        return kExitFailed;
    }
    CSortRouteList list;
    const ERouteFileState state = store.Load(list);
    if (state == ERouteFileState::Damaged) PrintErr(ToUtf8(StoreDamagedText(store.Path(), list.GetCount())));
    for (const auto& name : ImportRoutes(list, incoming, picked)) PrintOut("已导入：" + ToUtf8(name));
    if (!store.Save(list)) {
        PrintErr("kqtools-cli: 无法写入规则文件：" + ToUtf8(store.Path()));
        return kExitFailed;
    }
    return fromComplete ? kExitOk : kExitFailed;
}

int RunRules(std::vector<std::string>& args)
{
    if (args.empty()) return UsageError("rules", "缺少操作：list、export 或 import");
    const std::string action = args[0];
    CArgReader reader(std::vector<std::string>(args.begin() + 1, args.end()));
    if (action == "list") return RunList(reader);
    if (action == "export") return RunExport(reader);
    if (action == "import") return RunImport(reader);
    return UsageError("rules", "未知操作：" + action);
}

}  // namespace

KQ_CLI_COMMAND(rules, "rules", 36, "列出、导出、导入超级排序规则", kRulesUsage, RunRules);
