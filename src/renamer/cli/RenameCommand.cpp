// kqtools-cli rename: the whole renamer on real files. The run reads its
// options, collects the files, orders the list, fills the names, exports,
// and then previews or renames.
#include <algorithm>
#include <filesystem>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Prompt.h"
#include "platform/Text.h"
#include "renamer/cli/CliSupport.h"
#include "renamer/cli/ListOptions.h"
#include "renamer/cli/RenameModes.h"
#include "renamer/cli/RenameOutput.h"
#include "renamer/cli/SuperSortOption.h"
#include "renamer/list/FileNameList.h"
#include "renamer/list/ListExport.h"
#include "renamer/safety/FolderListings.h"
#include "renamer/safety/RowProblems.h"
#include "renamer/settings/Presets.h"

using namespace kq;
using namespace kq::cli;

namespace {

const char* const kUsage =
    "用法: kqtools-cli [--clipboard-file FILE] rename [--mode simple|enhanced|list|advanced|formula] [--preset NAME]\n"
    "         [--keep-extension|--no-keep-extension] [--recursive] [--sort name|name-desc|natural|natural-desc|folder|folder-desc]\n"
    "         [--export FILE.csv] [--dry-run [--check]] [--yes] [--json] PATH...\n"
    "         [--super-sort NAME[:desc] [--rules FILE]]（按超级排序规则排序，:desc 为降序）\n"
    "把文件和文件夹（其中的文件）加入列表，按所选模式生成新文件名并改名。\n"
    "  simple:   --name TEXT --index --start TEXT --step TEXT --repeat TEXT --digits 0..9 --index-after\n"
    "  enhanced: --pattern TEXT --kind 0..7 --enum-list TEXT --digits 1..9 --start TEXT --step TEXT --repeat TEXT\n"
    "  两者:     --find TEXT --replace TEXT（给出 --find 即启用替换）\n"
    "            --regex（查找文本是正则表达式，替换文本中 $1…$99、${名称} 代表分组，$$ 代表 $）\n"
    "            --delete-position 0..3 --delete-count 0..20（给出 --delete-count 即启用删除）\n"
    "  list:     --names-file FILE（按列表页的“添加”粘贴）--repeat TEXT --cycle\n"
    "  advanced: --template TEXT          formula: --formula TEXT\n"
    "--preset 从窗口保存的预设开始：其模式、该模式的设置和“保持文件后缀不变”；命令行上另给的选项\n"
    "  优先（开关类选项只能打开）。--mode 须与预设的模式相同；没有该预设时为用法错误。\n"
    "--dry-run 只显示列表（每行: 原文件名<TAB>新文件名<TAB>目录），不改名；有问题的行再加一列问题：\n"
    "  failed（无法计算新文件名）、invalid、empty、too-long、collision、exists、hidden（将成为隐藏文件）。\n"
    "  --json 的每行另有 \"problem\"（以上之一、unchanged 或 null），collision 另有 \"problem_row\"（另一行，从 0 起）。\n"
    "--check 与 --dry-run 同用：有 hidden 以外的问题时退出码为 1。\n"
    "名称中的反斜杠和控制字符按 C 转义显示（\\t、\\n、\\\\、\\ooo）。\n"
    "--export 要替换已有文件时先询问（--yes 不问）；不替换列表中的文件。\n"
    "改名前询问确认，--yes 跳过；改名后每行再加状态。--json 输出 {\"rows\":[...]}，\n"
    "不是 UTF-8 的名称另有 old_hex/new_hex/folder_hex 字段给出原始字节。\n"
    "退出码: 0 成功，1 被拒绝或有文件未处理，2 用法错误。";

struct CRenameRequest {
    std::string m_strModeName = "simple";
    std::unique_ptr<IRenameMode> m_pMode;
    bool m_bKeepExtension = true;
    bool m_bRecursive = false;
    bool m_bDryRun = false;
    bool m_bYes = false;
    bool m_bJson = false;
    bool m_bCheck = false;
    std::string m_strSort;  // empty: the order the files were collected in
    std::string m_strSuperSort;  // a super-sort rule instead, NAME[:desc]
    CRuleSource m_rules;
    std::string m_strExport;
    std::vector<std::string> m_aPaths;
};

// The preset of that name from the window's store. A store that cannot be
// read is set aside and reported (through the prompt provider) by the load.
bool FindPreset(const std::string& name, settings::CPreset& preset, std::string& error)
{
    settings::CPresetStore store;
    settings::CPresetList presets;
    store.Load(presets);
    const settings::CPreset* found = presets.Find(FromUtf8(name));
    if (!found) {
        error = "没有名为“" + name + "”的预设";
        return false;
    }
    preset = *found;
    return true;
}

// Reads every option; false with error set on a usage error.
bool ParseRenameOptions(std::vector<std::string>& args, CRenameRequest& request, std::string& error)
{
    const std::vector<std::string> original = args;
    CArgReader reader(args);
    const bool modeGiven = reader.Value("--mode", request.m_strModeName);
    std::string presetName;
    settings::CPreset preset;
    const bool presetGiven = reader.Value("--preset", presetName);
    if (presetGiven) {
        if (!FindPreset(presetName, preset, error)) return false;
        const std::string presetMode = settings::ModeName(preset.m_nMode);
        if (modeGiven && request.m_strModeName != presetMode) {
            error = "预设“" + presetName + "”是 " + presetMode + " 模式，不能与 --mode " + request.m_strModeName +
                    " 同用";
            return false;
        }
        request.m_strModeName = presetMode;
    }
    request.m_pMode = MakeRenameMode(request.m_strModeName);
    if (!request.m_pMode) {
        error = "未知模式：" + request.m_strModeName;
        return false;
    }
    if (presetGiven) request.m_pMode->UsePreset(preset.m_fields);
    std::string foreign = ForeignModeOption(request.m_strModeName, original);
    if (!foreign.empty()) {
        error = "选项 " + foreign + " 不用于 " + request.m_strModeName + " 模式";
        return false;
    }
    const bool keep = reader.Flag("--keep-extension");
    const bool noKeep = reader.Flag("--no-keep-extension");
    if (keep && noKeep) {
        error = "--keep-extension 与 --no-keep-extension 只能选一个";
        return false;
    }
    request.m_bKeepExtension = keep || (!noKeep && (!presetGiven || preset.m_bKeepExtension));
    request.m_bRecursive = reader.Flag("--recursive");
    request.m_bDryRun = reader.Flag("--dry-run");
    request.m_bYes = reader.Flag("--yes");
    request.m_bJson = reader.Flag("--json");
    request.m_bCheck = reader.Flag("--check");
    if (request.m_bCheck && !request.m_bDryRun) {
        error = "选项 --check 要与 --dry-run 一起使用";
        return false;
    }
    static const std::string kSorts[] = {"name", "name-desc", "natural", "natural-desc", "folder", "folder-desc"};
    if (reader.Value("--sort", request.m_strSort) &&
        std::find(std::begin(kSorts), std::end(kSorts), request.m_strSort) == std::end(kSorts)) {
        error = "未知排序方式：" + request.m_strSort;
        return false;
    }
    const bool superSorted = reader.Value("--super-sort", request.m_strSuperSort);
    request.m_rules = RuleSource(reader);
    if (superSorted && !request.m_strSort.empty()) {
        error = "--sort 与 --super-sort 只能选一个";
        return false;
    }
    reader.Value("--export", request.m_strExport);
    if (!request.m_pMode->ReadOptions(reader, original, error)) return false;
    request.m_aPaths = reader.Positionals();
    if (reader.HasError()) {
        error = reader.Error();
        return false;
    }
    if (request.m_aPaths.empty()) {
        error = "缺少要改名的文件或文件夹";
        return false;
    }
    return true;
}

// The order of the list before the names are filled. Every ordering option
// of the command is applied here.
// Returns an exit code when a super-sort rule could not be applied, else -1.
int OrderRows(const CRenameRequest& request, CFileNameList& list)
{
    const std::string& sort = request.m_strSort;
    if (sort == "name" || sort == "name-desc")
        list.SortByName(sort == "name");
    else if (sort == "natural" || sort == "natural-desc")
        list.SortNatural(sort == "natural");
    else if (sort == "folder" || sort == "folder-desc")
        list.SortByDirectory(sort == "folder");
    else if (!request.m_strSuperSort.empty())
        if (int code = ApplySuperSortOption(request.m_strSuperSort, request.m_rules, list)) return code;
    return -1;
}

// --export: asks before replacing a file (unless --yes) and never replaces
// one of the listed files. Returns an exit code, or -1 to go on.
int ExportRows(const CRenameRequest& request, const CFileNameList& list)
{
    const std::u16string path = FromNativeName(request.m_strExport);
    CFileId target;
    if (GetFileId(path, false, target)) {
        // Replacing a link, a FIFO or a device with a plain file is never
        // what was meant.
        if (!IsPlainFile(path)) {
            PrintErr("kqtools-cli: 导出文件已存在但不是普通文件，没有导出列表：" + request.m_strExport);
            return kExitFailed;
        }
        for (int r = 0; r < list.GetItemCount(); ++r) {
            CFileId listed;
            if (GetFileId(JoinPath(list.GetText(r, kColFolder), list.GetText(r, kColOldName)), false, listed) &&
                listed == target) {
                PrintErr("kqtools-cli: 列表中的文件不能用作导出文件：" + request.m_strExport);
                return kExitFailed;
            }
        }
        if (!request.m_bYes && GetPromptProvider().AskYesNo(u"文件“" + path + u"”已存在，是否替换？", u"确认替换") !=
                                   EPromptAnswer::Yes) {
            PrintErr("kqtools-cli: 没有导出列表：" + request.m_strExport);
            return kExitFailed;
        }
    }
    const EExportResult result = ExportFileList(list, path);
    if (result == EExportResult::WriteFailed || result == EExportResult::BadCharset) {
        PrintErr("kqtools-cli: 无法写入文件：" + request.m_strExport);
        return kExitFailed;
    }
    return -1;
}

int RunRenameRequest(CRenameRequest& request)
{
    CFileNameList list;
    std::string error;
    size_t unreadable = 0;
    // A run that asks nothing locks each folder before reading it and moves
    // on what it read: the folder is not read a second time.
    std::optional<CFolderListings> listings;
    if (request.m_bYes && !request.m_bDryRun) listings.emplace(std::u16string());
    if (!BuildFileList(request.m_aPaths, request.m_bRecursive, list, error, &unreadable,
                       listings ? &*listings : nullptr) ||
        !request.m_pMode->Load(error))
        return UsageError("rename", error);
    // Folders that could not be read make the run fail, after the rest.
    const int okCode = unreadable > 0 ? kExitFailed : kExitOk;
    if (int code = OrderRows(request, list); code >= 0) return code;
    const std::u16string fillError = request.m_pMode->FillNewNames(list, request.m_bKeepExtension);
    if (!fillError.empty()) {
        PrintErr("kqtools-cli: " + ToUtf8(fillError) + "；没有改名");
        return kExitFailed;
    }

    if (!request.m_strExport.empty()) {
        int code = ExportRows(request, list);
        if (code >= 0) return code;
    }
    if (request.m_bDryRun) {
        CRowProblems problems(list.Policy());
        problems.Update(list);
        if (list.GetItemCount() > 0 || request.m_bJson)
            PrintOut(RowsText(list, nullptr, false, request.m_bJson, &problems));
        return request.m_bCheck && problems.BlockingCount() > 0 ? kExitFailed : okCode;
    }
    const COldNames oldNames(list);
    CRenameOptions options;
    options.m_bConfirmed = request.m_bYes;
    options.m_pListings = listings ? &*listings : nullptr;
    int result = list.ExecuteRename(options);
    if (result != kRenameDone && result != kRenamePartly) return kExitFailed;
    if (list.GetItemCount() > 0) PrintOut(RowsText(list, &oldNames, true, request.m_bJson));
    return result == kRenameDone ? okCode : kExitFailed;
}

int RunRename(std::vector<std::string>& args)
{
    CRenameRequest request;
    std::string error;
    if (!ParseRenameOptions(args, request, error)) return UsageError("rename", error);
    return RunRenameRequest(request);
}

}  // namespace

KQ_CLI_COMMAND(rename, "rename", 30, "按五种模式批量改名（可预览、导出列表）", kUsage, RunRename);
