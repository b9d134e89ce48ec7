// kqtools-cli update: the online updater's pass in a terminal.
#include <memory>
#include <string>
#include <vector>

#include "platform/JsonWriter.h"
#include "platform/Text.h"
#include "renamer/cli/CliSupport.h"
#include "renamer/cli/UpdaterCliSupport.h"
#include "updater/core/UpdateFlow.h"
#include "updater/core/UpdateTrust.h"

using namespace kq;
using namespace kq::cli;

namespace {

const char* const kUsage =
    "用法: kqtools-cli update DESCRIPTOR [--yes|--no] [--no-start] [--json]\n"
    "按升级描述文件 DESCRIPTOR 检查新版本，询问后下载安装程序并启动，与在线升级程序相同。\n"
    "安装程序须有与本程序内置公钥相符的数字签名（地址加 .sig），否则删除、不启动。\n"
    "提示信息输出到标准错误；下载超过 10240 字节时在标准错误显示进度条。\n"
    "  --yes          对“是否需要从网络更新”回答是\n"
    "  --no           回答否（两者都不给时在终端询问）\n"
    "  --no-start     不启动安装程序，输出它的路径\n"
    "  --json         输出一行 {\"messages\":[{\"title\":\"…\",\"text\":\"…\"}],\"setup\":\"…\",\"started\":…}\n"
    "退出码: 0 已下载安装程序（未给 --no-start 时并已启动），1 其他情况，2 用法错误。";

int RunUpdateCommand(std::vector<std::string>& args)
{
    CArgReader reader(args);
    const bool yes = reader.Flag("--yes");
    const bool no = reader.Flag("--no");
    const bool noStart = reader.Flag("--no-start");
    const bool json = reader.Flag("--json");
    std::vector<std::string> rest = reader.Positionals();
    if (reader.HasError()) return UsageError("update", reader.Error());
    if (yes && no) return UsageError("update", "--yes 与 --no 不能同时使用");
    if (rest.size() != 1) return UsageError("update", "update 需要一个升级描述文件参数");

    CConsolePrompt console;
    CRecordingPrompt prompt(&console);
    if (yes || no) prompt.SetFixedAnswer(yes ? EPromptAnswer::Yes : EPromptAnswer::No);
    const CUpdateTrust trust = BuiltInUpdateTrust();
    std::unique_ptr<IDownloader> downloader = CreateSystemDownloader({trust.m_strCaFile});
    CTerminalProgress progress;
    CUpdateServices services;
    services.m_pDownloader = downloader.get();
    services.m_pProgress = &progress;
    services.m_bStartSetup = !noStart;
    services.m_strPublicKey = trust.m_strPublicKey;
    CUpdateOutcome outcome;
    const bool downloaded = RunUpdate(FromNativeName(rest[0]), services, outcome);

    if (json) {
        CJsonWriter writer;
        writer.BeginObject().Key("messages").BeginArray();
        for (const auto& message : prompt.Messages())
            writer.BeginObject().Field("title", message.m_strTitle).Field("text", message.m_strText).EndObject();
        writer.EndArray().Field("setup", ToNativeName(outcome.m_strSetupPath)).Field("started", outcome.m_bStarted);
        PrintOut(writer.EndObject().Text());
    } else if (downloaded && noStart) {
        PrintOut(ToNativeName(outcome.m_strSetupPath));
    }
    return downloaded && (noStart || outcome.m_bStarted) ? kExitOk : kExitFailed;
}

}  // namespace

KQ_CLI_COMMAND(update, "update", 41, "在终端中运行在线升级", kUsage, RunUpdateCommand);
