// Speed of the real main window, offscreen: dropping a folder, keystrokes in
// the Simple, Formula and Advanced pages, each timed until every row has its
// new name and problem; for the Formula page also until the rows on screen
// show theirs. The formula is the slowest ready-made one on names alone,
// picked by timing them all; the slowest that reads every file is timed too. Also the memory of the whole process after the drop and a cycle.
// Each figure is the median of several runs, in seconds.
//
//   gui_speed_bench             100,000 rows (short and 255-byte names)
//   gui_speed_bench --million   1,000,000 rows (short names)
// KQ_BENCH_FOLDER names a folder of short-named files to time instead of
// making one (the million takes minutes to make), KQ_BENCH_RUNS the runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

#include "FileListModel.h"
#include "GuiTestSupport.h"
#include "KQToolsDlg.h"
#include "platform/SystemInfo.h"
#include "platform/Text.h"
#include "renamer/app/pages/EaPage.h"
#include "renamer/app/pages/EePage.h"
#include "formula/filemeta/FileMetaCache.h"
#include "formula/functions/FileMetaFunctions.h"
#include "renamer/modes/FormulaNaming.h"
#include "renamer/modes/FormulaPresets.h"
#include "renamer/modes/NameCycle.h"
#include "support/TestSupport.h"

using namespace kq;
using kq::test::ModeButton;

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Runs the event loop until the window's name cycle has ended.
void WaitForNames(CKQToolsDlg& dlg)
{
    while (dlg.NamesPending()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QApplication::processEvents();
}

double Seconds(CKQToolsDlg& dlg, const std::function<void()>& work)
{
    const auto start = Clock::now();
    work();
    WaitForNames(dlg);
    return Since(start);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Report(const char* what, const std::vector<double>& runs, double limit, const char* unit = "s")
{
    const double median = Median(runs);
    std::printf("%-58s median %8.3f %s  (limit %.2f %s)%s\n", what, median, unit, limit, unit,
                median <= limit ? "" : "  SLOW");
}

// Resident memory of this process, in MB.
double ResidentMB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// A folder of rows files, named photo_000000.jpg ... (long names on request).
void MakeFolder(const test::CTempDir& dir, const char16_t* sub, int rows, bool longNames)
{
    dir.MakeFolder(sub);
    for (int i = 0; i < rows; ++i) {
        char name[300];
        if (longNames) {
            // 255 bytes: the longest name the file system takes.
            std::string pad(240, 'n');
            std::snprintf(name, sizeof name, "%s%07d.jpg", pad.c_str(), i);
        } else {
            std::snprintf(name, sizeof name, "photo_%07d.jpg", i);
        }
        dir.MakeFile(std::u16string(sub) + u"/" + FromUtf8(name));
    }
}

// The ready-made formula that takes longest on the first rows of the folder,
// among those that read inside the files or among those that do not.
std::u16string SlowestPreset(const test::CTempDir& dir, const char16_t* sub, bool readsFiles)
{
    CFileNameList list;
    std::vector<std::u16string> paths;
    CFileNameList::CollectFolderFiles(dir.Child(sub), false, paths);
    for (size_t i = 0; i < paths.size() && i < 20000; ++i) list.AddFile(paths[i]);
    std::u16string slowest;
    double worst = -1;
    for (const CExpressionPreset& preset : FormulaPresets()) {
        if (FileMetaRequestOf(std::u16string(preset.m_strExpression)).IsEmpty() == readsFiles) continue;
        std::vector<double> runs;
        for (int run = 0; run < 3; ++run) {
            const auto start = Clock::now();
            CEfFields{std::u16string(preset.m_strExpression)}.FillNewNames(list, true);
            runs.push_back(Since(start));
        }
        if (Median(runs) > worst) {
            worst = Median(runs);
            slowest = preset.m_strExpression;
        }
    }
    std::printf("slowest ready-made formula %s: %s (%.1f ms on %d rows, one thread)\n",
                readsFiles ? "reading the files" : "on names alone", ToUtf8(slowest).c_str(), worst * 1000,
                list.GetItemCount());
    return slowest;
}

// The name row `row` gets from the formula, from a plan over the list as it is.
std::u16string NameOfRow(CFileNameList& list, const std::u16string& formula, int row)
{
    std::shared_ptr<const CNamePlan> plan = CEfFields{formula}.PrepareNames(list, true);
    CRowName out;
    plan->MakeNamer()->Name(row, out);
    return out.m_strName;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    bool million = argc > 1 && std::strcmp(argv[1], "--million") == 0;
    QApplication app(argc, argv);
    test::CScriptedPrompt prompt;
    test::CTempDir dir;
    int rows = million ? 1000000 : 100000;
    const int runsEach = qEnvironmentVariableIsEmpty("KQ_BENCH_RUNS") ? (million ? 3 : 5)
                                                                       : std::max(1, qEnvironmentVariableIntValue("KQ_BENCH_RUNS"));
    const std::u16string given = qEnvironmentVariable("KQ_BENCH_FOLDER").toStdU16String();
    if (!given.empty()) {
        // Only that folder, as the short names.
        std::vector<std::u16string> paths;
        CFileNameList::CollectFolderFiles(given, false, paths);
        rows = int(paths.size());
        million = true;
        std::filesystem::create_symlink(std::filesystem::path(given), std::filesystem::path(dir.Child(u"short")));
    } else {
        std::printf("creating %d files%s...\n", rows, million ? "" : " twice");
        MakeFolder(dir, u"short", rows, false);
        if (!million) MakeFolder(dir, u"long", rows, true);
    }
    // The limits are for formulas on names; one that reads every file is
    // timed too, for comparison.
    const std::u16string slowest = SlowestPreset(dir, u"short", false);
    const std::u16string slowestReading = SlowestPreset(dir, u"short", true);
    const double keystrokeLimit = million ? 1.5 : 0.15;

    for (const char16_t* sub : {u"short", u"long"}) {
        const bool longNames = std::u16string(sub) == u"long";
        if (million && longNames) break;
        std::printf("== %d rows, %s names\n", rows, longNames ? "255-byte" : "short");
        std::vector<double> drop, simple, visible, formula, readingVisible, reading, advanced, memory, dropMemory, emptyMemory,
            listMemory, idleMemory, afterIdle;
        for (int run = 0; run < runsEach; ++run) {
            // The program has one window a process: the file facts the last
            // run read and what its window freed go first, so each run's
            // memory is its own.
            CFileMetaCache::Shared().Clear();
            ReleaseFreedMemory();
            CKQToolsDlg dlg;
            dlg.show();
            QApplication::processEvents();
            emptyMemory.push_back(ResidentMB());
            prompt.Answer(EPromptAnswer::No);
            drop.push_back(
                Seconds(dlg, [&] { dlg.AddDroppedPaths({QString::fromStdU16String(dir.Child(sub))}); }));
            dropMemory.push_back(ResidentMB());
            listMemory.push_back(dropMemory.back() - emptyMemory.back());
            if (dlg.List().GetItemCount() != rows) {
                std::printf("dropped %d rows, expected %d\n", dlg.List().GetItemCount(), rows);
                return 1;
            }
            auto* ea = static_cast<CEaPage*>(dlg.Page(0));
            ea->m_pTemplate->setFocus();
            simple.push_back(Seconds(dlg, [&] { QTest::keyClick(ea->m_pTemplate, Qt::Key_X); }));

            ModeButton(dlg, 4)->click();
            auto* ef = static_cast<CEfPage*>(dlg.Page(4));
            // The formula without its last character, then the keystroke:
            // timed until row 0 (on screen) shows its name, and until all are done.
            // After idle, the window has given back the memory the cycle freed.
            auto waitIdle = [&] {
                const auto until = Clock::now() + std::chrono::milliseconds(dlg.m_nIdleReleaseMs + 300);
                while (Clock::now() < until) QApplication::processEvents(QEventLoop::AllEvents, 50);
            };
            auto formulaKeystroke = [&](const std::u16string& text, std::vector<double>* onScreen,
                                        std::vector<double>& all, bool idleFirst = false) {
                const QString formula = QString::fromStdU16String(text);
                ef->m_pFormula->setPlainText(formula.chopped(1));
                ef->m_pFormula->moveCursor(QTextCursor::End);
                WaitForNames(dlg);
                if (idleFirst) waitIdle();
                const QString firstName = QString::fromStdU16String(NameOfRow(dlg.List(), text, 0));
                const auto* model = test::Find<CFileListModel>(dlg, "FileListModel");
                const auto start = Clock::now();
                QTest::keyClick(ef->m_pFormula, formula.back().toLatin1());
                while (onScreen && model->index(0, kColNewName).data().toString() != firstName) {
                    if (!dlg.NamesPending() && model->index(0, kColNewName).data().toString() != firstName) {
                        std::printf("row 0 never showed %s\n", qPrintable(firstName));
                        std::exit(1);
                    }
                    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 1);
                }
                if (onScreen) onScreen->push_back(Since(start));
                WaitForNames(dlg);
                all.push_back(Since(start));
            };
            formulaKeystroke(slowest, &visible, formula);
            memory.push_back(ResidentMB());
            waitIdle();
            idleMemory.push_back(ResidentMB());
            formulaKeystroke(slowest, nullptr, afterIdle, true);
            formulaKeystroke(slowestReading, &readingVisible, reading);

            ModeButton(dlg, 3)->click();
            auto* ee = static_cast<CEePage*>(dlg.Page(3));
            ee->m_pMacro->setPlainText(QStringLiteral("{l=3;I}_{t=1;F"));
            ee->m_pMacro->moveCursor(QTextCursor::End);
            WaitForNames(dlg);
            advanced.push_back(Seconds(dlg, [&] { QTest::keyClick(ee->m_pMacro, Qt::Key_BraceRight); }));
        }
        Report("drop a folder (list + names + problems)", drop, million ? 20.0 : 2.0);
        Report("keystroke in the Simple page (all rows + problems)", simple, keystrokeLimit);
        Report("keystroke in the Formula page: rows on screen", visible, 0.1);
        Report("keystroke in the Formula page: all rows + problems", formula, keystrokeLimit);
        Report("keystroke in the Formula page after idle: all rows + problems", afterIdle, keystrokeLimit);
        Report("keystroke in the Advanced page (all rows + problems)", advanced, keystrokeLimit);
        Report("formula reading every file: rows on screen", readingVisible, 0.1);
        std::printf("%-58s median %8.3f s  (no limit: bound by the files)\n",
                    "formula reading every file: all rows + problems", Median(reading));
        std::printf("%-58s median %8.1f MB  (no limit)\n", "memory of the empty window", Median(emptyMemory));
        Report("memory after the drop", dropMemory, 250, "MB");
        Report("memory the drop added (the list, its names and problems)", listMemory, 250, "MB");
        Report("memory after the drop and a formula cycle", memory, 250, "MB");
        Report("memory once the window went idle after it", idleMemory, 250, "MB");
    }
    return 0;
}
