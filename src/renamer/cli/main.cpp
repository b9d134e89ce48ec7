// kqtools-cli: the renamer without a window, for scripts and checks.
#include <algorithm>
#include <clocale>
#include <memory>
#include <string>
#include <vector>

#include "platform/Clipboard.h"
#include "platform/Console.h"
#include "platform/FileSystem.h"
#include "platform/SystemInfo.h"
#include "platform/Text.h"
#include "renamer/cli/CliSupport.h"

using namespace kq;
using namespace kq::cli;

namespace {

void PrintGeneralHelp()
{
    std::string text =
        "远舟文件改名系统 命令行工具 " KQ_VERSION_TEXT "\n"
        "用法: kqtools-cli [--clipboard-file FILE] SUBCOMMAND [选项...]\n"
        "      kqtools-cli --version\n"
        "      kqtools-cli help [SUBCOMMAND]\n"
        "\n"
        "子命令:\n";
    for (const auto& c : Commands()) {
        std::string name = c.m_pszName;
        name.resize(std::max<size_t>(name.size(), 10), ' ');
        text += "  " + name + "  " + c.m_pszSummary + "\n";
    }
    text +=
        "\n"
        "全局选项:\n"
        "  --clipboard-file FILE  以 FILE 的 UTF-8 文本作为本次运行的剪贴板\n"
        "\n"
        "退出码: 0 成功，1 操作被拒绝或失败，2 用法错误。";
    PrintOut(text);
}

int RunHelp(std::vector<std::string>& args)
{
    if (args.empty()) {
        PrintGeneralHelp();
        return kExitOk;
    }
    if (args.size() > 1) return UsageError("help", "help 只接受一个子命令名");
    if (args[0] == "help") {
        PrintOut("用法: kqtools-cli help [SUBCOMMAND]\n列出子命令，或显示一个子命令的用法。");
        return kExitOk;
    }
    const CCliCommand* command = FindCommand(args[0]);
    if (!command) return UsageError("", "未知子命令：" + args[0]);
    PrintOut(command->m_pszUsage);
    return kExitOk;
}

}  // namespace

KQ_CLI_COMMAND(help, "help", 1000, "显示帮助", "", RunHelp);

int main(int argc, char** argv)
{
    // The locale's charset decides the encoding of list exports.
    std::setlocale(LC_CTYPE, "");
    ReturnLargeBlocks();

    std::vector<std::string> args = CommandLineArguments(argc, argv);
    std::unique_ptr<CMemoryClipboard> fileClipboard;
    size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--version") {
            PrintOut("kqtools-cli " KQ_VERSION_TEXT);
            return kExitOk;
        }
        if (a == "--help" || a == "-h") {
            PrintGeneralHelp();
            return kExitOk;
        }
        std::string file;
        if (a == "--clipboard-file") {
            if (i + 1 >= args.size()) return UsageError("", "选项 --clipboard-file 缺少取值");
            file = args[++i];
        } else if (a.rfind("--clipboard-file=", 0) == 0) {
            file = a.substr(17);
        } else if (!a.empty() && a[0] == '-') {
            return UsageError("", "未知选项：" + a);
        } else {
            break;
        }
        std::string bytes;
        if (!ReadFileBytes(FromUtf8(file), bytes)) return UsageError("", "无法读取剪贴板文件：" + file);
        bytes.erase(0, bytes.size() - StripUtf8Bom(bytes).size());
        fileClipboard = std::make_unique<CMemoryClipboard>(FromUtf8(bytes));
        SetClipboardProvider(fileClipboard.get());
    }
    if (i >= args.size()) {
        PrintGeneralHelp();
        return kExitUsage;
    }
    const CCliCommand* command = FindCommand(args[i]);
    if (!command) return UsageError("", "未知子命令：" + args[i]);
    std::vector<std::string> rest(args.begin() + static_cast<long>(i) + 1, args.end());
    if (!rest.empty() && (rest[0] == "--help" || rest[0] == "-h")) {
        std::vector<std::string> name{args[i]};
        return RunHelp(name);
    }
    int code = command->m_pfnRun(rest);
    SetClipboardProvider(nullptr);
    return code;
}
