// kqtools-cli recover: undo (or finish) renames that were cut short.
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/JsonWriter.h"
#include "platform/Path.h"
#include "platform/Text.h"
#include "renamer/cli/CliSupport.h"
#include "renamer/cli/RenameOutput.h"
#include "renamer/safety/RenameJournal.h"
#include "renamer/safety/RenameRecover.h"

using namespace kq;
using namespace kq::cli;

namespace {

const char* const kUsage =
    "用法: kqtools-cli recover [--finish] [--json]\n"
    "处理中途中断的改名：按改名记录把每个文件恢复为原文件名，\n"
    "或用 --finish 改为新文件名；逐个报告结果，不覆盖任何文件。\n"
    "退出码: 0 全部处理完毕（或没有记录），1 有文件无法处理，2 用法错误。";

// A name for the plain output: tabs, line feeds and backslashes escaped, as
// rename and undo print them.
std::string EscapedText(const std::u16string& name)
{
    std::string out;
    AppendEscapedName(out, ToNativeName(name));
    return out;
}

const char* OutcomeText(int outcome, bool finish)
{
    switch (outcome) {
    case kRecoverMoved: return finish ? "已改为新文件名" : "已恢复原文件名";
    case kRecoverInPlace: return finish ? "已是新文件名" : "已是原文件名";
    case kRecoverNotFound: return "找不到文件";
    default: return "目标名称被占用或无法移动";
    }
}

const char* OutcomeKey(int outcome)
{
    switch (outcome) {
    case kRecoverMoved: return "moved";
    case kRecoverInPlace: return "in-place";
    case kRecoverNotFound: return "not-found";
    default: return "blocked";
    }
}

int RunRecover(std::vector<std::string>& args)
{
    CArgReader reader(args);
    const bool finish = reader.Flag("--finish");
    const bool json = reader.Flag("--json");
    std::vector<std::string> rest = reader.Positionals();
    if (reader.HasError()) return UsageError("recover", reader.Error());
    if (!rest.empty()) return UsageError("recover", "recover 不接受参数：" + rest[0]);

    std::vector<std::u16string> journals = FindJournals(DefaultJournalFolder());
    std::string out;
    bool written = false;  // pieces of out already went out
    CJsonWriter writer;
    writer.BeginObject().Key("journals").BeginArray();
    bool complete = true;
    for (size_t j = 0; j < journals.size(); ++j) {
        std::vector<CRecoverLine> report;
        int result = RecoverJournal(journals[j], finish, report);
        if (result != 0) complete = false;
        std::u16string aside;
        // Only a journal whose bytes are no journal goes out of the way; one
        // that could not be read or written now stays in force.
        if (result == kRecoverDamaged) aside = SetAsideJournal(journals[j]);
        if (json) {
            writer.BeginObject()
                .Field("journal", journals[j])
                .Field("readable", result != kRecoverDamaged && result != kRecoverUnreadable)
                .Field("busy", result == kRecoverBusy);
            if (result == kRecoverUnrecorded) writer.Field("unrecorded", true);
            if (!aside.empty()) writer.Field("set_aside", aside);
            writer.Key("files").BeginArray();
            for (const CRecoverLine& line : report) {
                writer.BeginObject().Field("folder", line.m_strFolder).Field("from", line.m_strFrom);
                writer.Field("to", line.m_strTo).Field("outcome", OutcomeKey(line.m_eOutcome)).EndObject();
            }
            writer.EndArray().EndObject();
            continue;
        }
        if (result == kRecoverDamaged) {
            out += "无法读取改名记录：" + EscapedText(journals[j]);
            out += aside.empty() ? "\n" : "，已改名为 " + EscapedText(aside) + "\n";
            continue;
        }
        if (result == kRecoverUnreadable) {
            out += "暂时无法读取改名记录，记录保留，请稍后再试：" + EscapedText(journals[j]) + "\n";
            continue;
        }
        if (result == kRecoverUnrecorded) {
            out +=
                "无法更新改名记录（磁盘空间不足？），没有移动任何文件，记录保留；请释放空间后再次运行 kqtools-cli recover：" +
                EscapedText(journals[j]) + "\n";
            continue;
        }
        if (result == kRecoverBusy) {
            out += "改名记录正被运行中的改名使用，已跳过：" + EscapedText(journals[j]) + "\n";
            continue;
        }
        for (const CRecoverLine& line : report) {
            out += OutcomeText(line.m_eOutcome, finish);
            out += '\t';
            out += EscapedText(JoinPath(line.m_strFolder, line.m_strTo));
            if (!line.m_strFrom.empty() && line.m_strFrom != line.m_strTo) {
                out += "\t(原为 ";
                out += EscapedText(line.m_strFrom);
                out += ')';
            }
            out += '\n';
            written = WriteFullPiece(out) || written;
        }
    }
    if (json) {
        out = writer.EndArray().EndObject().Text();
    } else if (journals.empty()) {
        out = "没有需要处理的改名记录。";
    } else if (written && out.empty()) {
        return complete ? kExitOk : kExitFailed;  // the last piece ended the text
    } else if (!out.empty() && out.back() == '\n') {
        out.pop_back();
    }
    PrintOut(out);
    return complete ? kExitOk : kExitFailed;
}

}  // namespace

KQ_CLI_COMMAND(recover, "recover", 31, "撤销或完成中途中断的改名", kUsage, RunRecover);
