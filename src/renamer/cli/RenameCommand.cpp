// kqtools-cli rename: the whole renamer on real files.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Crt.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "renamer/cli/CliSupport.h"
#include "renamer/list/FileNameList.h"
#include "renamer/list/ListExport.h"
#include "renamer/modes/AdvancedNaming.h"
#include "renamer/modes/EnhancedNaming.h"
#include "renamer/modes/FormulaNaming.h"
#include "renamer/modes/ListNaming.h"
#include "renamer/modes/SimpleNaming.h"

using namespace kq;
using namespace kq::cli;

namespace {

const char* const kUsage =
    "用法: kqtools-cli [--clipboard-file FILE] rename [--mode simple|enhanced|list|advanced|formula]\n"
    "         [--no-keep-extension] [--recursive] [--sort name|name-desc|folder|folder-desc]\n"
    "         [--export FILE.csv] [--dry-run] [--yes] [--json] PATH...\n"
    "把文件和文件夹（其中的文件）加入列表，按所选模式生成新文件名并改名。\n"
    "  simple:   --name TEXT --index --start TEXT --step TEXT --repeat TEXT --digits 0..9 --index-after\n"
    "  enhanced: --pattern TEXT --kind 0..7 --enum-list TEXT --digits 1..9 --start TEXT --step TEXT --repeat TEXT\n"
    "  两者:     --find TEXT --replace TEXT（给出 --find 即启用替换）\n"
    "            --delete-position 0..3 --delete-count 0..20（给出 --delete-count 即启用删除）\n"
    "  list:     --names-file FILE（按列表页的“添加”粘贴）--repeat TEXT --cycle\n"
    "  advanced: --template TEXT          formula: --formula TEXT\n"
    "--dry-run 只显示列表（每行: 原文件名<TAB>新文件名<TAB>目录），不改名。\n"
    "改名前询问确认，--yes 跳过；改名后每行再加状态。--json 输出 {\"rows\":[...]}。\n"
    "退出码: 0 成功，1 被拒绝或有文件未处理，2 用法错误。";

enum EMode { kSimple, kEnhanced, kList, kAdvanced, kFormula };

struct COptionUse {
    const char* m_pszName;
    unsigned m_nModes;  // bit per EMode
};

constexpr unsigned Bit(EMode m) { return 1u << m; }

// Which mode-specific options belong to which modes.
const COptionUse kModeOptions[] = {
    {"--name", Bit(kSimple)},
    {"--index", Bit(kSimple)},
    {"--index-after", Bit(kSimple)},
    {"--pattern", Bit(kEnhanced)},
    {"--kind", Bit(kEnhanced)},
    {"--enum-list", Bit(kEnhanced)},
    {"--start", Bit(kSimple) | Bit(kEnhanced)},
    {"--step", Bit(kSimple) | Bit(kEnhanced)},
    {"--digits", Bit(kSimple) | Bit(kEnhanced)},
    {"--find", Bit(kSimple) | Bit(kEnhanced)},
    {"--replace", Bit(kSimple) | Bit(kEnhanced)},
    {"--delete-position", Bit(kSimple) | Bit(kEnhanced)},
    {"--delete-count", Bit(kSimple) | Bit(kEnhanced)},
    {"--repeat", Bit(kSimple) | Bit(kEnhanced) | Bit(kList)},
    {"--names-file", Bit(kList)},
    {"--cycle", Bit(kList)},
    {"--template", Bit(kAdvanced)},
    {"--formula", Bit(kFormula)},
};

bool Given(const std::vector<std::string>& args, std::string_view name)
{
    for (const auto& a : args) {
        if (a == "--") break;
        if (a == name || (a.size() > name.size() && a.compare(0, name.size(), name) == 0 && a[name.size()] == '='))
            return true;
    }
    return false;
}

// Reads an integer option within [low, high]; false (with the error set) when bad.
bool RangeValue(CArgReader& reader, const char* name, int low, int high, int& value, std::string& error)
{
    if (!reader.IntValue(name, value)) return !reader.HasError();
    if (value < low || value > high) {
        error = std::string("选项 ") + name + " 的取值应在 " + std::to_string(low) + " 到 " + std::to_string(high) + " 之间";
        return false;
    }
    return true;
}

std::u16string Text(CArgReader& reader, const char* name, const std::u16string& fallback)
{
    std::string value;
    return reader.Value(name, value) ? FromUtf8(value) : fallback;
}

// The replacing and deleting options shared by the Simple and Enhanced pages:
// each part is switched on by giving its option.
void ReplaceDeleteOptions(CArgReader& reader, const std::vector<std::string>& original,
                          naming::CReplaceDeleteFields& fields, std::string& error)
{
    fields.m_bReplaceEnabled = Given(original, "--find");
    fields.m_strFind = Text(reader, "--find", u"");
    fields.m_strReplace = Text(reader, "--replace", u"");
    fields.m_bDeleteEnabled = Given(original, "--delete-count");
    if (!RangeValue(reader, "--delete-position", 0, 3, fields.m_nDeletePosition, error)) return;
    RangeValue(reader, "--delete-count", 0, 20, fields.m_nDeleteCount, error);
}

// The old names of the rows, kept in their file-system bytes one after
// another: after the rename the list holds only the new ones.
struct COldNames {
    std::string m_strText;
    std::vector<size_t> m_aEnds;

    explicit COldNames(const CFileNameList& list)
    {
        const size_t count = static_cast<size_t>(list.GetItemCount());
        m_aEnds.reserve(count);
        m_strText.reserve(count * 16);
        for (size_t r = 0; r < count; ++r) {
            AppendNativeName(m_strText, list.GetText(static_cast<int>(r), kColOldName));
            m_aEnds.push_back(m_strText.size());
        }
    }
    std::string_view Get(size_t r) const
    {
        size_t begin = r == 0 ? 0 : m_aEnds[r - 1];
        return std::string_view(m_strText).substr(begin, m_aEnds[r] - begin);
    }
};

// The rows as the dry run prints them; oldNames, when given, replaces
// column 0 (which holds the new names once the files are renamed). Plain
// lines give names and folders in the bytes the file system knows them by,
// JSON in UTF-8 (a byte that is not UTF-8 reads U+FFFD there).
std::string RowsText(const CFileNameList& list, const COldNames* oldNames, bool withStatus, bool json)
{
    std::string out;
    out.reserve(static_cast<size_t>(list.GetItemCount()) * 64);
    if (json) out += "{\"rows\":[";
    // Rows of one folder share its text: convert it once per run of rows.
    const std::u16string* lastFolder = nullptr;
    std::string folder;
    std::string oldName;
    for (int r = 0; r < list.GetItemCount(); ++r) {
        oldName.clear();
        if (oldNames)
            oldName = oldNames->Get(static_cast<size_t>(r));
        else
            AppendNativeName(oldName, list.GetText(r, kColOldName));
        if (&list.GetText(r, kColFolder) != lastFolder) {
            lastFolder = &list.GetText(r, kColFolder);
            folder = json ? ToUtf8(*lastFolder) : ToNativeName(*lastFolder);
        }
        const std::u16string& statusText = list.GetText(r, kColStatus);
        const std::string status = statusText == kStatusDone ? "已处理" : statusText == kStatusPending ? "未处理" : ToUtf8(statusText);
        if (json) {
            const std::string newName = ToUtf8(list.GetText(r, kColNewName));
            if (r > 0) out += ',';
            out += "{\"old\":" + JsonString(ToUtf8(FromNativeName(oldName))) + ",\"new\":" + JsonString(newName) +
                   ",\"folder\":" + JsonString(folder) + ",\"status\":" + JsonString(status) + "}";
        } else {
            if (r > 0) out += '\n';
            out += oldName;
            out += '\t';
            AppendNativeName(out, list.GetText(r, kColNewName));
            out += '\t';
            out += folder;
            if (withStatus) {
                out += '\t';
                out += status;
            }
        }
    }
    if (json) out += "]}";
    return out;
}

int RunRename(std::vector<std::string>& args)
{
    const std::vector<std::string> original = args;
    CArgReader reader(args);
    std::string modeText = "simple";
    reader.Value("--mode", modeText);
    EMode mode;
    if (modeText == "simple") mode = kSimple;
    else if (modeText == "enhanced") mode = kEnhanced;
    else if (modeText == "list") mode = kList;
    else if (modeText == "advanced") mode = kAdvanced;
    else if (modeText == "formula") mode = kFormula;
    else return UsageError("rename", "未知模式：" + modeText);
    for (const auto& use : kModeOptions) {
        if (!(use.m_nModes & Bit(mode)) && Given(original, use.m_pszName))
            return UsageError("rename", std::string("选项 ") + use.m_pszName + " 不用于 " + modeText + " 模式");
    }

    const bool keepExtension = !reader.Flag("--no-keep-extension");
    const bool recursive = reader.Flag("--recursive");
    const bool dryRun = reader.Flag("--dry-run");
    const bool yes = reader.Flag("--yes");
    const bool json = reader.Flag("--json");
    std::string sort, exportFile;
    bool sorted = reader.Value("--sort", sort);
    bool exporting = reader.Value("--export", exportFile);
    if (sorted && sort != "name" && sort != "name-desc" && sort != "folder" && sort != "folder-desc")
        return UsageError("rename", "未知排序方式：" + sort);

    std::string error;
    CEaFields simple;
    CEnFields enhanced;
    CElFields listFields;
    CEeFields advanced;
    CEfFields formula;
    std::string namesFile;
    switch (mode) {
    case kSimple: {
        simple.m_strTemplate = Text(reader, "--name", simple.m_strTemplate);
        simple.m_bIndexEnabled = reader.Flag("--index");
        simple.m_nIndexPosition = reader.Flag("--index-after") ? 1 : 0;
        simple.m_strStart = Text(reader, "--start", simple.m_strStart);
        simple.m_strStep = Text(reader, "--step", simple.m_strStep);
        simple.m_strRepeat = Text(reader, "--repeat", simple.m_strRepeat);
        if (!RangeValue(reader, "--digits", 0, 9, simple.m_nDigits, error)) break;
        ReplaceDeleteOptions(reader, original, simple, error);
        break;
    }
    case kEnhanced: {
        enhanced.m_strTemplate = Text(reader, "--pattern", enhanced.m_strTemplate);
        if (!RangeValue(reader, "--kind", 0, 7, enhanced.m_nKind, error)) break;
        enhanced.m_strEnumList = Text(reader, "--enum-list", enhanced.m_strEnumList);
        if (!RangeValue(reader, "--digits", 1, 9, enhanced.m_nDigits, error)) break;
        // As on the page: the start follows the sequence unless typed.
        enhanced.RefillStartList();
        enhanced.m_strStart = Text(reader, "--start", enhanced.m_strStart);
        enhanced.m_strStep = Text(reader, "--step", enhanced.m_strStep);
        enhanced.m_strRepeat = Text(reader, "--repeat", enhanced.m_strRepeat);
        ReplaceDeleteOptions(reader, original, enhanced, error);
        break;
    }
    case kList:
        reader.Value("--names-file", namesFile);
        listFields.m_strRepeat = Text(reader, "--repeat", listFields.m_strRepeat);
        listFields.m_nCycle = reader.Flag("--cycle") ? 1 : 0;
        break;
    case kAdvanced: advanced.m_strMacro = Text(reader, "--template", u""); break;
    case kFormula: formula.m_strFormula = Text(reader, "--formula", u""); break;
    }
    if (!error.empty()) return UsageError("rename", error);
    std::vector<std::string> paths = reader.Positionals();
    if (reader.HasError()) return UsageError("rename", reader.Error());
    if (paths.empty()) return UsageError("rename", "缺少要改名的文件或文件夹");

    // Every path is checked before anything is added.
    std::vector<std::u16string> absolute;
    for (const auto& p : paths) {
        std::error_code ec;
        std::filesystem::path full = std::filesystem::absolute(std::filesystem::u8path(p), ec).lexically_normal();
#ifdef _WIN32
        std::u16string path = full.u16string();
#else
        std::u16string path = FromNativeName(full.string());  // any bytes, as the folder holds them
#endif
        if (ec || !PathExists(path)) return UsageError("rename", "找不到文件或文件夹：" + p);
        absolute.push_back(std::move(path));
    }
    std::string namesBytes;
    if (!namesFile.empty() && !ReadFileBytes(FromNativeName(namesFile), namesBytes))
        return UsageError("rename", "无法读取文件：" + namesFile);

    // The command is the last thing the process does: the list stays to the
    // end, for the system to reclaim at once instead of name by name.
    static CFileNameList* s_pList = nullptr;
    delete s_pList;
    s_pList = new CFileNameList;
    CFileNameList& list = *s_pList;
    for (const auto& path : absolute) {
        if (IsFolder(path)) {
            // Gathered compactly first, so that the list makes room once.
            std::vector<std::u16string> folders;
            std::u16string names;
            std::vector<std::pair<size_t, size_t>> files;  // folder index, end of the name
            CFileNameList::CollectFolderFiles(path, recursive, [&](std::u16string_view folder, std::u16string_view name) {
                if (folders.empty() || folders.back() != folder) folders.emplace_back(folder);
                names.append(name);
                files.emplace_back(folders.size() - 1, names.size());
            });
            list.Reserve(static_cast<size_t>(list.GetItemCount()) + files.size());
            size_t begin = 0;
            for (const auto& [folder, end] : files) {
                list.AddRow(folders[folder], std::u16string_view(names).substr(begin, end - begin));
                begin = end;
            }
        } else {
            list.AddFile(path);
        }
    }
    if (sorted) {
        if (sort == "name" || sort == "name-desc") list.SortByName(sort == "name");
        else list.SortByDirectory(sort == "folder");
    }
    if (mode == kList && !namesFile.empty()) {
        namesBytes.erase(0, namesBytes.size() - StripUtf8Bom(namesBytes).size());
        listFields.PasteText(FromUtf8(namesBytes));
    }
    switch (mode) {
    case kSimple: simple.FillNewNames(list, keepExtension); break;
    case kEnhanced: enhanced.FillNewNames(list, keepExtension); break;
    case kList: listFields.FillNewNames(list, keepExtension); break;
    case kAdvanced: advanced.FillNewNames(list, keepExtension); break;
    case kFormula: formula.FillNewNames(list, keepExtension); break;
    }

    if (exporting) {
        int result = ExportFileList(list, FromNativeName(exportFile));
        if (result == kExportWriteFailed || result == kExportBadCharset) {
            PrintErr("kqtools-cli: 无法写入文件：" + exportFile);
            return kExitFailed;
        }
    }

    if (dryRun) {
        if (list.GetItemCount() > 0 || json) PrintOut(RowsText(list, nullptr, false, json));
        return kExitOk;
    }
    const COldNames oldNames(list);

    CRenameOptions options;
    options.m_bConfirmed = yes;
    // Tests stop the process after so many moves, as if it had been killed.
    if (const char* stop = std::getenv("KQ_TEST_STOP_AFTER_MOVES")) {
        size_t limit = static_cast<size_t>(Atoi(stop));
        options.m_pfnAfterMove = [limit](size_t moves) {
            if (moves >= limit) std::_Exit(9);
        };
    }
    int result = list.ExecuteRename(options);
    if (result != kRenameDone && result != kRenamePartly) return kExitFailed;
    if (list.GetItemCount() > 0) PrintOut(RowsText(list, &oldNames, true, json));
    return result == kRenameDone ? kExitOk : kExitFailed;
}

}  // namespace

KQ_CLI_COMMAND(rename, "rename", 30, "按五种模式批量改名（可预览、导出列表）", kUsage, RunRename);
