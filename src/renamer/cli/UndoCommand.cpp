// kqtools-cli undo: give the files of the last completed rename their old
// names back, or list the renames that can be undone.
#include <string>
#include <vector>

#include "platform/Console.h"
#include "platform/JsonWriter.h"
#include "platform/Path.h"
#include "platform/Text.h"
#include "renamer/cli/CliSupport.h"
#include "renamer/cli/RenameOutput.h"
#include "renamer/safety/RenameUndo.h"
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

// The lines go out in pieces of whole lines. Each folder's text, with the
// separator, is escaped once for its run of lines (the lines of one folder
// share its text).
void PrintUndoLines(const CUndoReport& report)
{
    const std::string separator = ToNativeName(std::u16string(1, kPathSeparator));
    std::string out;
    std::string folder;
    std::string name;
    const std::u16string* lastFolder = nullptr;
    out.reserve(kOutputPiece + 4096);
    for (const CUndoLine& line : report.m_aLines) {
        if (&line.m_strFolder != lastFolder) {
            lastFolder = &line.m_strFolder;
            folder.clear();
            AppendEscapedName(folder, ToNativeName(line.m_strFolder) + separator);
        }
        const COutcome& o = Outcome(line.m_eOutcome);
        out += o.m_pszText;
        out += '\t';
        out += folder;
        name.clear();
        AppendNativeName(name, o.m_bShowNew ? line.m_strNew : line.m_strOld);
        AppendEscapedName(out, name);
        if (line.m_eOutcome != kUndoInPlace) {
            out += "\t(原为 ";
            name.clear();
            AppendNativeName(name, o.m_bShowNew ? line.m_strOld : line.m_strNew);
            AppendEscapedName(out, name);
            out += ')';
        }
        out += '\n';
        WriteFullPiece(out);
    }
    WriteStdText(EStdStream::Out, out);
}

std::string UndoJson(const CUndoReport& report)
{
    CJsonWriter json;
    json.BeginObject().Field("result", ResultKey(report.m_eResult));
    if (report.m_eResult == kUndoDone || report.m_eResult == kUndoPartly)
        json.Field("time", report.m_run.m_nTime)
            .Field("count", report.m_run.Count())
            .Field("restored", report.Restored());
    if (report.m_eResult == kUndoDamaged) {
        json.Field("record", report.m_damaged.m_strPath);
        if (!report.m_damaged.m_strAside.empty()) json.Field("set_aside", report.m_damaged.m_strAside);
    }
    json.Field("message", UndoSummaryText(report)).Key("files").BeginArray();
    for (const CUndoLine& line : report.m_aLines) {
        json.BeginObject().Field("folder", line.m_strFolder).Field("old", line.m_strOld).Field("new", line.m_strNew);
        json.Field("outcome", Outcome(line.m_eOutcome).m_pszKey).EndObject();
    }
    return json.EndArray().EndObject().Text();
}

int RunList(bool json)
{
    std::vector<CDamagedRecord> damaged;
    const std::vector<CHistoryRun> runs = ListRenameHistory({}, damaged);
    std::string out;
    if (json) {
        CJsonWriter writer;
        writer.BeginObject().Key("runs").BeginArray();
        for (const CHistoryRun& run : runs) {
            writer.BeginObject().Field("time", run.m_nTime).Field("time_text", FormatRouteTime(run.m_nTime));
            writer.Field("count", run.Count()).Key("folders").BeginArray();
            for (const CJournalFolder& folder : run.m_aFolders) writer.String(folder.m_strFolder);
            writer.EndArray().EndObject();
        }
        writer.EndArray().Key("damaged").BeginArray();
        for (const CDamagedRecord& d : damaged)
            writer.BeginObject().Field("record", d.m_strPath).Field("set_aside", d.m_strAside).EndObject();
        out = writer.EndArray().EndObject().Text();
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
        if (!report.m_aLines.empty()) PrintUndoLines(report);
        PrintErr(ToUtf8(UndoSummaryText(report)));
    }
    return result == kUndoDone ? kExitOk : kExitFailed;
}

}  // namespace

KQ_CLI_COMMAND(undo, "undo", 32, "撤销上次完成的改名（--list 列出可撤销的改名）", kUsage, RunUndo);
