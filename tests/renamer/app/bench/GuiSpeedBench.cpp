// Speed of the real main window, offscreen, with 100,000 rows: a keystroke
// in the Simple page, a keystroke in the Formula page with a typical
// formula, and dropping a folder of 100,000 files (list and names filled).
// Each figure is the median of several runs, in seconds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

#include "GuiTestSupport.h"
#include "KQToolsDlg.h"
#include "platform/Text.h"
#include "renamer/app/pages/EaPage.h"
#include "renamer/app/pages/EePage.h"
#include "support/TestSupport.h"

using namespace kq;
using kq::test::ModeButton;

namespace {

constexpr int kRows = 100000;

double Seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    QApplication::processEvents();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Report(const char* what, const std::vector<double>& runs, double limit)
{
    const double median = Median(runs);
    std::printf("%-52s median %.3f s  (limit %.1f s)%s\n", what, median, limit, median <= limit ? "" : "  SLOW");
}

// A folder of kRows files, named photo_000000.jpg ... (long names on request).
void MakeFolder(const test::CTempDir& dir, const char16_t* sub, bool longNames)
{
    dir.MakeFolder(sub);
    for (int i = 0; i < kRows; ++i) {
        char name[300];
        if (longNames) {
            // 255 bytes: the longest name the file system takes.
            std::string pad(240, 'n');
            std::snprintf(name, sizeof name, "%s%06d.jpg", pad.c_str(), i);
        } else {
            std::snprintf(name, sizeof name, "photo_%06d.jpg", i);
        }
        dir.MakeFile(std::u16string(sub) + u"/" + FromUtf8(name));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    test::CScriptedPrompt prompt;
    test::CTempDir dir;
    std::printf("creating %d files twice...\n", kRows);
    MakeFolder(dir, u"short", false);
    MakeFolder(dir, u"long", true);

    for (const char16_t* sub : {u"short", u"long"}) {
        const bool longNames = std::u16string(sub) == u"long";
        std::printf("== %s names\n", longNames ? "255-byte" : "short");
        std::vector<double> drop, simple, formula, advanced;
        for (int run = 0; run < 5; ++run) {
            CKQToolsDlg dlg;
            dlg.show();
            QApplication::processEvents();
            prompt.Answer(EPromptAnswer::No);
            drop.push_back(Seconds([&] { dlg.AddDroppedPaths({QString::fromStdU16String(dir.Child(sub))}); }));
            if (dlg.List().GetItemCount() != kRows) {
                std::printf("dropped %d rows, expected %d\n", dlg.List().GetItemCount(), kRows);
                return 1;
            }
            auto* ea = static_cast<CEaPage*>(dlg.Page(0));
            ea->m_pTemplate->setFocus();
            simple.push_back(Seconds([&] { QTest::keyClick(ea->m_pTemplate, Qt::Key_X); }));

            ModeButton(dlg, 4)->click();
            auto* ef = static_cast<CEfPage*>(dlg.Page(4));
            ef->m_pFormula->setPlainText(QStringLiteral("StrIndex(Index(),3)&\" \"&Upper(Ftitle()"));
            ef->m_pFormula->moveCursor(QTextCursor::End);
            formula.push_back(Seconds([&] { QTest::keyClick(ef->m_pFormula, Qt::Key_ParenRight); }));

            ModeButton(dlg, 3)->click();
            auto* ee = static_cast<CEePage*>(dlg.Page(3));
            ee->m_pMacro->setPlainText(QStringLiteral("{l=3;I}_{t=1;F"));
            ee->m_pMacro->moveCursor(QTextCursor::End);
            advanced.push_back(Seconds([&] { QTest::keyClick(ee->m_pMacro, Qt::Key_BraceRight); }));
        }
        Report("drop a folder of 100,000 files (list + names)", drop, 2.0);
        Report("keystroke in the Simple page", simple, 0.3);
        Report("keystroke in the Formula page (index & upper title)", formula, 1.0);
        Report("keystroke in the Advanced page", advanced, 1.0);
    }
    return 0;
}
