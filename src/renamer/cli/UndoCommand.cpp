// kqtools-cli undo: give the files of the last completed rename their old
// names back, or list the renames that can be undone.
#include <string>
#include <vector>

#include "platform/Path.h"
#include "platform/Text.h"
#include "renamer/cli/CliSupport.h"
#include "renamer/cli/RenameOutput.h"
#include "renamer/list/RenameUndo.h"
#include "renamer/supersort/SortRoute.h"

using namespace kq;
using namespace kq::cli;

namespace {

const char* const kUsage = "用法: kqtools-cli undo [--list] [--json]\n"
                           "撤销上次完成的改名：仍使用新文件名且未被替换的文件恢复原文件名，\n"
                           "已改变、已移走或原文件名已被占用的文件逐个报告并保持不动，不覆盖任何文件。\n"
                           "  --list  列出可以撤销的改名（时间、文件数、文件夹），最近的在前\n"
                           "  --json  以 JSON 输出\n"
                           "退出码: 0 全部撤销（--list: 列出完毕），1 没有可撤销的改名或有文件未能恢复，2 用法错误。";

struct COutcome {
    const char* m_pszText;
    const char* m_pszKey;
    bool m_bShowNew;  // the file is (or was last seen) under its new name
};

const COutcome& Outcome(int outcome)
{
    static const COutcome kOutcomes[] = {
        {"已恢复原文件名", "restored", false},
        {"已是原文件名", "in-place", false},
        {"文件已改变，未撤销", "changed", true},
        {"找不到文件", "not-found", true},
        {"原文件名已被占用或无法改回，未撤销", "blocked", true},
        {"文件夹已改变，未撤销", "folder-changed", true},
        {"原文件名无法经由改名恢复，未撤销", "name-refused", true},
    };
    return kOutcomes[outcome >= 0 && outcome <= kUndoNameRefused ? outcome : kUndoGone];
}

const char* ResultKey(int result)
{
    switch (result) {
    case kUndoDone: return "done";
    case kUndoPartly: return "partly";
    case kUndoNothing: return "nothing";
    case kUndoBusy: return "busy";
    case kUndoDamaged: return "damaged";
    default: return "failed";
    }
}

void AppendPath(std::string& out, const std::u16string& folder, const std::u16string& name)
{
    AppendEscapedName(out, ToNativeName(JoinPath(folder, name)));
}

std::string Json(const std::u16string& text) { return JsonString(ToUtf8(text)); }

std::string UndoText(const CUndoReport& report)
{
    std::string out;
    for (const CUndoLine& line : report.m_aLines) {
        const COutcome& o = Outcome(line.m_nOutcome);
        out += o.m_pszText;
        out += '\t';
        AppendPath(out, line.m_strFolder, o.m_bShowNew ? line.m_strNew : line.m_strOld);
        if (line.m_nOutcome != kUndoInPlace) {
            out += "\t(原为 ";
            AppendEscapedName(out, ToNativeName(o.m_bShowNew ? line.m_strOld : line.m_strNew));
            out += ')';
        }
        out += '\n';
    }
    if (!out.empty()) out.pop_back();
    return out;
}

std::string UndoJson(const CUndoReport& report)
{
    std::string out = "{\"result\":" + JsonString(ResultKey(report.m_nResult));
    if (report.m_nResult == kUndoDone || report.m_nResult == kUndoPartly)
        out += ",\"time\":" + std::to_string(report.m_run.m_nTime) +
               ",\"count\":" + std::to_string(report.m_run.Count()) +
               ",\"restored\":" + std::to_string(report.Restored());
    if (report.m_nResult == kUndoDamaged) {
        out += ",\"record\":" + Json(report.m_damaged.m_strPath);
        if (!report.m_damaged.m_strAside.empty()) out += ",\"set_aside\":" + Json(report.m_damaged.m_strAside);
    }
    out += ",\"message\":" + Json(UndoSummaryText(report)) + ",\"files\":[";
    for (size_t i = 0; i < report.m_aLines.size(); ++i) {
        const CUndoLine& line = report.m_aLines[i];
        if (i > 0) out += ',';
        out += "{\"folder\":" + Json(line.m_strFolder) + ",\"old\":" + Json(line.m_strOld) +
               ",\"new\":" + Json(line.m_strNew) + ",\"outcome\":" + JsonString(Outcome(line.m_nOutcome).m_pszKey) +
               "}";
    }
    return out + "]}";
}

int RunList(bool json)
{
    std::vector<CDamagedRecord> damaged;
    const std::vector<CHistoryRun> runs = ListRenameHistory({}, damaged);
    std::string out;
    if (json) {
        out = "{\"runs\":[";
        for (size_t i = 0; i < runs.size(); ++i) {
            if (i > 0) out += ',';
            out += "{\"time\":" + std::to_string(runs[i].m_nTime) +
                   ",\"time_text\":" + Json(FormatRouteTime(runs[i].m_nTime)) +
                   ",\"count\":" + std::to_string(runs[i].Count()) + ",\"folders\":[";
            for (size_t f = 0; f < runs[i].m_aFolders.size(); ++f)
                out += (f > 0 ? "," : "") + Json(runs[i].m_aFolders[f].m_strFolder);
            out += "]}";
        }
        out += "],\"damaged\":[";
        for (size_t i = 0; i < damaged.size(); ++i)
            out += (i > 0 ? ",{\"record\":" : "{\"record\":") + Json(damaged[i].m_strPath) +
                   ",\"set_aside\":" + Json(damaged[i].m_strAside) + "}";
        out += "]}";
    } else {
        for (const CDamagedRecord& d : damaged) {
            out += "无法读取改名历史记录：" + ToNativeName(d.m_strPath);
            out += d.m_strAside.empty() ? "\n" : "，已改名为 " + ToNativeName(d.m_strAside) + "\n";
        }
        for (const CHistoryRun& run : runs) {
            out += ToUtf8(FormatRouteTime(run.m_nTime)) + "\t" + std::to_string(run.Count()) + "个文件";
            for (const CJournalFolder& folder : run.m_aFolders) {
                out += '\t';
                AppendEscapedName(out, ToNativeName(folder.m_strFolder));
            }
            out += '\n';
        }
        if (runs.empty()) out += "没有可以撤销的改名。";
        if (out.back() == '\n') out.pop_back();
    }
    PrintOut(out);
    return damaged.empty() ? kExitOk : kExitFailed;
}

int RunUndo(std::vector<std::string>& args)
{
    CArgReader reader(args);
    const bool list = reader.Flag("--list");
    const bool json = reader.Flag("--json");
    std::vector<std::string> rest = reader.Positionals();
    if (reader.HasError()) return UsageError("undo", reader.Error());
    if (!rest.empty()) return UsageError("undo", "undo 不接受参数：" + rest[0]);
    if (list) return RunList(json);

    CUndoReport report;
    const int result = UndoLastRename({}, report);
    if (json) {
        PrintOut(UndoJson(report));
    } else {
        if (!report.m_aLines.empty()) PrintOut(UndoText(report));
        PrintErr(ToUtf8(UndoSummaryText(report)));
    }
    return result == kUndoDone ? kExitOk : kExitFailed;
}

}  // namespace

KQ_CLI_COMMAND(undo, "undo", 32, "撤销上次完成的改名（--list 列出可撤销的改名）", kUsage, RunUndo);
