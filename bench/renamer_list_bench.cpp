// Speed and memory of the renamer core on 100,000 rows: adding files,
// FillNewNames of every mode, and ExecuteRename inside one process.
// Medians of several runs; memory is the growth of the resident set.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "platform/Prompt.h"
#include "platform/Text.h"
#include "renamer/list/FileNameList.h"
#include "renamer/modes/AdvancedNaming.h"
#include "renamer/modes/EnhancedNaming.h"
#include "renamer/modes/FormulaNaming.h"
#include "renamer/modes/FormulaPresets.h"
#include "renamer/modes/ListNaming.h"
#include "renamer/modes/SimpleNaming.h"

using namespace kq;
using kq::bench::Median;
using kq::bench::Seconds;
namespace fs = std::filesystem;

namespace {

constexpr int kRows = 100000;

long ResidentKb()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void Line(const char* what, double seconds, double limit)
{
    std::printf("%-46s %8.3f s  (limit %.2f s) %s\n", what, seconds, limit, seconds <= limit ? "ok" : "SLOW");
}

class CQuietPrompt : public IPromptProvider {
public:
    void Inform(const std::u16string&, const std::u16string&) override {}
    EPromptAnswer AskYesNo(const std::u16string&, const std::u16string&) override { return EPromptAnswer::Yes; }
    EPromptAnswer AskYesNoCancel(const std::u16string&, const std::u16string&) override { return EPromptAnswer::Yes; }
};

void MakeFiles(const fs::path& dir, int count)
{
    fs::remove_all(dir);
    fs::create_directories(dir);
    char name[64];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "photo_%06d.jpg", i);
        int fd = open((dir / name).c_str(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0) close(fd);
    }
}

void FillList(CFileNameList& list, int folders)
{
    char path[96];
    for (int i = 0; i < kRows; ++i) {
        std::snprintf(path, sizeof path, "/data/projects/archive/folder_%04d/photo_%06d.jpg", i % folders, i);
        list.AddFile(FromAscii(path));
    }
}

}  // namespace

int main()
{
    CQuietPrompt quiet;
    SetPromptProvider(&quiet);
    const fs::path base = fs::temp_directory_path() / ("kq_list_bench_" + std::to_string(getpid()));

    // Adding.
    {
        std::vector<double> oneFolder, manyFolders, collected;
        long memory = 0;
        for (int run = 0; run < 5; ++run) {
            long before = ResidentKb();
            CFileNameList list;
            oneFolder.push_back(Seconds([&] { FillList(list, 1); }));
            memory = std::max(memory, ResidentKb() - before);
            CFileNameList many;
            manyFolders.push_back(Seconds([&] { FillList(many, 1000); }));
        }
        MakeFiles(base, kRows);
        for (int run = 0; run < 5; ++run) {
            CFileNameList list;
            collected.push_back(Seconds([&] {
                std::vector<std::u16string> paths;
                CFileNameList::CollectFolderFiles(FromUtf8(base.string()), false, paths);
                for (const auto& p : paths) list.AddFile(p);
            }));
        }
        Line("AddFile 100,000 files, one folder", Median(oneFolder), 0.5);
        Line("AddFile 100,000 files, 1,000 folders", Median(manyFolders), 0.5);
        Line("CollectFolderFiles + AddFile, one real folder", Median(collected), 0.5);
        std::printf("%-46s %8.1f MB (limit 100 MB)\n", "memory of the list (100,000 rows)", memory / 1024.0);
    }

    // Naming.
    {
        CFileNameList list;
        FillList(list, 1000);
        auto time = [&](const char* what, double limit, const std::function<void()>& fill) {
            std::vector<double> runs;
            for (int run = 0; run < 5; ++run) runs.push_back(Seconds(fill));
            Line(what, Median(runs), limit);
        };
        CEaFields simple;
        simple.m_strTemplate = u"img_<原文件名>";
        simple.m_bIndexEnabled = true;
        simple.m_nDigits = 5;
        simple.m_bReplaceEnabled = true;
        simple.m_strFind = u"photo";
        simple.m_strReplace = u"p";
        time("FillNewNames Simple", 0.3, [&] { simple.FillNewNames(list, true); });
        CEnFields enhanced;
        enhanced.m_strTemplate = u"<原文件名*3>-*";
        enhanced.m_nKind = 0;
        enhanced.RefillStartList();
        time("FillNewNames Enhanced", 0.3, [&] { enhanced.FillNewNames(list, true); });
        CElFields names;
        for (int i = 0; i < 5000; ++i) names.m_aNames.push_back(u"name" + FromAscii(std::to_string(i)));
        names.m_nCycle = 1;
        time("FillNewNames List", 0.3, [&] { names.FillNewNames(list, true); });
        CEeFields advanced;
        advanced.m_strMacro = u"{l=2;F}[{l=3;I}]{s=2;F}_{L}-{N}";
        time("FillNewNames Advanced", 0.3, [&] { advanced.FillNewNames(list, true); });
        double slowest = 0;
        int slowestIndex = 0;
        for (int p = 0; p < kFormulaPresetCount; ++p) {
            CEfFields formula;
            formula.m_strFormula = FormulaPresets()[p].m_strExpression;
            double t = Seconds([&] { formula.FillNewNames(list, true); });
            if (t > slowest) {
                slowest = t;
                slowestIndex = p;
            }
        }
        CEfFields formula;
        formula.m_strFormula = FormulaPresets()[slowestIndex].m_strExpression;
        std::string label = "FillNewNames Formula, slowest preset #" + std::to_string(slowestIndex + 1);
        time(label.c_str(), 1.0, [&] { formula.FillNewNames(list, true); });
    }

    // Renaming inside one process (the whole-process figure is rename_floor.sh's).
    {
        std::vector<double> runs;
        for (int run = 0; run < 3; ++run) {
            MakeFiles(base, kRows);
            std::system("sync");
            CFileNameList list;
            std::vector<std::u16string> paths;
            CFileNameList::CollectFolderFiles(FromUtf8(base.string()), false, paths);
            for (const auto& p : paths) list.AddFile(p);
            CEaFields fields;
            fields.m_bReplaceEnabled = true;
            fields.m_strFind = u"photo_";
            fields.m_strReplace = u"img_";
            fields.FillNewNames(list, true);
            CRenameOptions options;
            options.m_bConfirmed = true;
            options.m_strJournalFolder = FromUtf8((base.string() + "_journal"));
            runs.push_back(Seconds([&] { list.ExecuteRename(options); }));
            fs::remove_all(base.string() + "_journal");
        }
        std::printf("%-46s %8.3f s\n", "ExecuteRename 100,000 files (in process)", Median(runs));
    }
    fs::remove_all(base);
    SetPromptProvider(nullptr);
    return 0;
}
