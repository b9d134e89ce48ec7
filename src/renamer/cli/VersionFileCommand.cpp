// kqtools-cli version-file: reads a version file as the updater does.
#include <string>
#include <vector>

#include "platform/Crt.h"
#include "platform/JsonWriter.h"
#include "platform/Text.h"
#include "renamer/cli/CliSupport.h"
#include "renamer/cli/UpdaterCliSupport.h"
#include "updater/core/PRKFileVersion.h"
#include "updater/core/UpdateFlow.h"

using namespace kq;
using namespace kq::cli;

namespace {

const char* const kUsage =
    "用法: kqtools-cli version-file FILE --installed VERSION [--json]\n"
    "按在线升级程序的规则读取版本信息文件 FILE（GBK），以已安装版本 VERSION 为基准，\n"
    "列出最新版本和升级内容；出错时在标准错误输出升级程序会显示的提示。\n"
    "  --installed VERSION  已安装的版本，如 5.5\n"
    "  --json               输出一行 {\"ok\":…,\"formatVersion\":…,\"latest\":\"…\",\"len\":N,\"not\":\"…\",\n"
    "                       \"can\":\"…\",\"changes\":[…],\"changeText\":\"…\",\"messages\":[…]}\n"
    "退出码: 0 读取成功，1 读取失败，2 用法错误。";

int RunVersionFile(std::vector<std::string>& args)
{
    CArgReader reader(args);
    const bool json = reader.Flag("--json");
    std::string installed;
    const bool haveInstalled = reader.Value("--installed", installed);
    std::vector<std::string> rest = reader.Positionals();
    if (reader.HasError()) return UsageError("version-file", reader.Error());
    if (rest.size() != 1) return UsageError("version-file", "version-file 需要一个文件参数");
    if (!haveInstalled || installed.empty()) return UsageError("version-file", "缺少 --installed VERSION");

    CConsolePrompt console;
    CRecordingPrompt prompt(json ? nullptr : &console);
    CPRKFileVersion file(Atof(installed));
    file.SetFilePath(FromNativeName(rest[0]));
    const bool ok = file.ReadVersionFile();
    const std::u16string changeText = BuildChangeText(file.m_aChangeList);

    if (json) {
        CJsonWriter writer;
        writer.BeginObject().Field("ok", ok).Field("formatVersion", file.m_dFormatVersion);
        writer.Field("latest", file.m_strLatestVersion).Field("len", file.m_nLen);
        writer.Field("not", file.m_strNot).Field("can", file.m_strCan).Key("changes").BeginArray();
        for (const std::u16string& change : file.m_aChangeList) writer.String(change);
        writer.EndArray().Field("changeText", changeText).Key("messages").BeginArray();
        for (const auto& message : prompt.Messages()) writer.String(message.m_strText);
        PrintOut(writer.EndArray().EndObject().Text());
    } else if (ok) {
        PrintOut("格式版本: " + FormatFixedA(file.m_dFormatVersion, 1) + "\n最新版本: " + ToUtf8(file.m_strLatestVersion) +
                 "\nLen: " + std::to_string(file.m_nLen) + "\nNot: " + ToUtf8(file.m_strNot) +
                 "\nCan: " + ToUtf8(file.m_strCan) + "\n升级内容:" + ToUtf8(changeText));
    }
    return ok ? kExitOk : kExitFailed;
}

}  // namespace

KQ_CLI_COMMAND(version_file, "version-file", 40, "按升级程序的规则读取版本信息文件", kUsage, RunVersionFile);
