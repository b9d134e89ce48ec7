// The settings text: every field of every page survives a round trip, the
// reader tolerates what it does not know, and the file helpers never hang
// on, nor lose, a file they cannot use.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>

#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/Text.h"
#include "renamer/settings/KeyValueText.h"
#include "renamer/settings/RenamerSettings.h"
#include "renamer/supersort/RouteFile.h"
#include "SettingsTestSupport.h"
#include "support/TestSupport.h"

namespace kq::settings {

void ExpectSameFields(const CModeFields& a, const CModeFields& b)
{
    const auto sameReplaceDelete = [](const naming::CReplaceDeleteFields& x, const naming::CReplaceDeleteFields& y) {
        EXPECT_EQ(x.m_bReplaceEnabled, y.m_bReplaceEnabled);
        EXPECT_EQ(x.m_strFind, y.m_strFind);
        EXPECT_EQ(x.m_strReplace, y.m_strReplace);
        EXPECT_EQ(x.m_bRegex, y.m_bRegex);
        EXPECT_EQ(x.m_bDeleteEnabled, y.m_bDeleteEnabled);
        EXPECT_EQ(x.m_nDeletePosition, y.m_nDeletePosition);
        EXPECT_EQ(x.m_nDeleteCount, y.m_nDeleteCount);
    };
    EXPECT_EQ(a.m_simple.m_strTemplate, b.m_simple.m_strTemplate);
    EXPECT_EQ(a.m_simple.m_bIndexEnabled, b.m_simple.m_bIndexEnabled);
    EXPECT_EQ(a.m_simple.m_strStart, b.m_simple.m_strStart);
    EXPECT_EQ(a.m_simple.m_strStep, b.m_simple.m_strStep);
    EXPECT_EQ(a.m_simple.m_strRepeat, b.m_simple.m_strRepeat);
    EXPECT_EQ(a.m_simple.m_nDigits, b.m_simple.m_nDigits);
    EXPECT_EQ(a.m_simple.m_nIndexPosition, b.m_simple.m_nIndexPosition);
    sameReplaceDelete(a.m_simple, b.m_simple);
    EXPECT_EQ(a.m_enhanced.m_strTemplate, b.m_enhanced.m_strTemplate);
    EXPECT_EQ(a.m_enhanced.m_nKind, b.m_enhanced.m_nKind);
    EXPECT_EQ(a.m_enhanced.m_strEnumList, b.m_enhanced.m_strEnumList);
    EXPECT_EQ(a.m_enhanced.m_nDigits, b.m_enhanced.m_nDigits);
    EXPECT_EQ(a.m_enhanced.m_strStart, b.m_enhanced.m_strStart);
    EXPECT_EQ(a.m_enhanced.m_strStep, b.m_enhanced.m_strStep);
    EXPECT_EQ(a.m_enhanced.m_strRepeat, b.m_enhanced.m_strRepeat);
    sameReplaceDelete(a.m_enhanced, b.m_enhanced);
    EXPECT_EQ(a.m_list.m_aNames, b.m_list.m_aNames);
    EXPECT_EQ(a.m_list.m_strRepeat, b.m_list.m_strRepeat);
    EXPECT_EQ(a.m_list.m_nCycle, b.m_list.m_nCycle);
    EXPECT_EQ(a.m_advanced.m_strMacro, b.m_advanced.m_strMacro);
    EXPECT_EQ(a.m_formula.m_strFormula, b.m_formula.m_strFormula);
}

CModeFields UnusualFields()
{
    const std::u16string odd = u"a=b [c] \\n\\\\ \t\r\n\x01\x7f末尾 ";
    CModeFields f;
    f.m_simple.m_strTemplate = u"照片-" + odd;
    f.m_simple.m_bIndexEnabled = true;
    f.m_simple.m_strStart = u"7";
    f.m_simple.m_strStep = u"-2";
    f.m_simple.m_strRepeat = u"3";
    f.m_simple.m_nDigits = 9;
    f.m_simple.m_nIndexPosition = 1;
    f.m_simple.m_bReplaceEnabled = true;
    f.m_simple.m_strFind = u"(\\d+)";
    f.m_simple.m_strReplace = u"$1\n";
    f.m_simple.m_bRegex = true;
    f.m_simple.m_bDeleteEnabled = true;
    f.m_simple.m_nDeletePosition = 3;
    f.m_simple.m_nDeleteCount = 20;
    f.m_enhanced.m_strTemplate = u"*#" + odd;
    f.m_enhanced.m_nKind = 7;
    f.m_enhanced.m_strEnumList = kEnumerationLists[5];
    f.m_enhanced.m_nDigits = 4;
    f.m_enhanced.m_strStart = u"丑";
    f.m_enhanced.m_strStep = u"2";
    f.m_enhanced.m_strRepeat = u"9";
    f.m_enhanced.m_bReplaceEnabled = true;
    f.m_enhanced.m_strFind = u"=";
    f.m_enhanced.m_strReplace = u"\\";
    f.m_enhanced.m_bRegex = true;
    f.m_enhanced.m_bDeleteEnabled = true;
    f.m_enhanced.m_nDeletePosition = 2;
    f.m_enhanced.m_nDeleteCount = 1;
    f.m_list.m_aNames = {u"一", u"", u" 两边 ", odd, u"[preset]"};
    f.m_list.m_strRepeat = u"2";
    f.m_list.m_nCycle = 1;
    f.m_advanced.m_strMacro = u"{t=1;F}\n{t=2;E}\\";
    f.m_formula.m_strFormula = u"Upper(Ftitle())&\"\\n\"\r\n# not a comment";
    return f;
}

namespace {

using test::CScopedEnv;
using test::CScriptedPrompt;
using test::CTempDir;

TEST(KeyValueText, EscapesRoundTripAndBadOnesAreRefused)
{
    const std::u16string texts[] = {u"", u"plain", u"\\", u"\\n", u"\n\r\t", std::u16string(1, u'\0') + u"x",
                                    u"\x1f\x7f", u"trailing ", u" ", u"中文=值", u"😀"};
    for (const std::u16string& text : texts) {
        const std::string escaped = EscapeValue(text);
        EXPECT_EQ(escaped.find('\n'), std::string::npos);
        EXPECT_EQ(escaped.find('\r'), std::string::npos);
        EXPECT_TRUE(escaped.empty() || escaped.back() != ' ');
        std::u16string back;
        ASSERT_TRUE(UnescapeValue(escaped, back)) << escaped;
        EXPECT_EQ(back, text) << escaped;
    }
    for (const char* bad : {"\\", "a\\", "\\q", "\\x", "\\x4", "\\xG0", "\\x4\\"}) {
        std::u16string value;
        EXPECT_FALSE(UnescapeValue(bad, value)) << bad;
    }
}

TEST(RenamerSettings, EveryFieldOfEveryPageSurvivesARoundTrip)
{
    CRenamerSettings saved;
    saved.m_nMode = 4;
    saved.m_bKeepExtension = false;
    saved.m_bFilterEnabled = true;
    saved.m_strFilter = u"*.jpg;*.png\\";
    saved.m_fields = UnusualFields();
    saved.m_bHasGeometry = true;
    saved.m_geometry = {-30, 40, 1200, 800};
    saved.m_bMaximized = true;
    saved.m_aColumnWidths = {10, 300, 1, 4000};

    CRenamerSettings read;
    ASSERT_TRUE(ReadSettingsBytes(SettingsBytes(saved), read));
    EXPECT_EQ(read.m_nMode, 4);
    EXPECT_FALSE(read.m_bKeepExtension);
    EXPECT_TRUE(read.m_bFilterEnabled);
    EXPECT_EQ(read.m_strFilter, saved.m_strFilter);
    EXPECT_TRUE(read.m_bHasGeometry);
    EXPECT_EQ(read.m_geometry, saved.m_geometry);
    EXPECT_TRUE(read.m_bMaximized);
    EXPECT_EQ(read.m_aColumnWidths, saved.m_aColumnWidths);
    ExpectSameFields(read.m_fields, saved.m_fields);

    // Every mode, and the defaults themselves.
    for (int mode = 0; mode < kModeCount; ++mode) {
        CRenamerSettings one;
        one.m_nMode = mode;
        ASSERT_TRUE(ReadSettingsBytes(SettingsBytes(one), read));
        EXPECT_EQ(read.m_nMode, mode);
        EXPECT_FALSE(read.m_bHasGeometry);
        EXPECT_TRUE(read.m_aColumnWidths.empty());
        ExpectSameFields(read.m_fields, CModeFields{});
    }
}

TEST(RenamerSettings, UnknownKeysAreHarmlessAndMissingOrBadValuesKeepDefaults)
{
    struct {
        const char* name;
        std::string text;
        int mode;
        std::u16string filter;
        int digits;  // simple.digits
        bool geometry;
        size_t columns;
    } cases[] = {
        {"header only", "KQTools settings 1\n", 0, u"*.*", 0, false, 0},
        {"unknown keys and sections",
         "KQTools settings 1\nfuture.key=x\nmode=list\n[elsewhere]\nmode=formula\n", 2, u"*.*", 0, false, 0},
        {"a newer version", "KQTools settings 7\nmode=advanced\nsimple.digits=5\nnew.thing=\\x41\n", 3, u"*.*", 5,
         false, 0},
        {"CRLF, a BOM, comments and blank lines",
         "\xEF\xBB\xBFKQTools settings 1\r\n# note\r\n\r\nfilter.text=*.txt\r\n", 0, u"*.txt", 0, false, 0},
        {"values out of range", "KQTools settings 1\nmode=loud\nsimple.digits=10\nsimple.index=yes\n", 0, u"*.*", 0,
         false, 0},
        {"the last of a repeated key", "KQTools settings 1\nsimple.digits=3\nsimple.digits=4\n", 0, u"*.*", 4, false,
         0},
        {"a partial place", "KQTools settings 1\nwindow.x=1\nwindow.y=2\nwindow.width=3\n", 0, u"*.*", 0, false, 0},
        {"a zero-sized place", "KQTools settings 1\nwindow.x=1\nwindow.y=2\nwindow.width=0\nwindow.height=5\n", 0,
         u"*.*", 0, false, 0},
        {"a whole place", "KQTools settings 1\nwindow.x=-1\nwindow.y=2\nwindow.width=3\nwindow.height=4\n", 0, u"*.*",
         0, true, 0},
        {"bad column widths", "KQTools settings 1\nlist.columns=100,,200\n", 0, u"*.*", 0, false, 0},
        {"huge column widths", "KQTools settings 1\nlist.columns=100,99999999999\n", 0, u"*.*", 0, false, 0},
        {"column widths", "KQTools settings 1\nlist.columns=100,200\n", 0, u"*.*", 0, false, 2},
    };
    for (const auto& c : cases) {
        CRenamerSettings read;
        ASSERT_TRUE(ReadSettingsBytes(c.text, read)) << c.name;
        EXPECT_EQ(read.m_nMode, c.mode) << c.name;
        EXPECT_EQ(read.m_strFilter, c.filter) << c.name;
        EXPECT_EQ(read.m_fields.m_simple.m_nDigits, c.digits) << c.name;
        EXPECT_FALSE(read.m_fields.m_simple.m_bIndexEnabled) << c.name;
        EXPECT_EQ(read.m_bHasGeometry, c.geometry) << c.name;
        EXPECT_EQ(read.m_aColumnWidths.size(), c.columns) << c.name;
    }
    // An enumeration list the page does not offer keeps the default.
    CRenamerSettings read;
    ASSERT_TRUE(ReadSettingsBytes("KQTools settings 1\nenhanced.enum_list=x,y\nenhanced.kind=8\n", read));
    EXPECT_EQ(read.m_fields.m_enhanced.m_strEnumList, CEnFields{}.m_strEnumList);
    EXPECT_EQ(read.m_fields.m_enhanced.m_nKind, 2);
}

TEST(RenamerSettings, TextsThatAreNoSettingsAreRefused)
{
    const std::string texts[] = {
        "",
        "KQTools presets 1\n",
        "KQTools settings\n",
        "KQTools settings 0\n",
        "KQTools settings one\n",
        "mode=simple\n",
        "KQTools settings 1\nmode simple\n",
        "KQTools settings 1\n=simple\n",
        "KQTools settings 1\nmo de=simple\n",
        "KQTools settings 1\nmode=sim\\ple\n",
        "KQTools settings 1\n[open\n",
        std::string("\0\0\0\0", 4),
    };
    for (const std::string& text : texts) {
        CRenamerSettings read;
        read.m_nMode = 3;
        EXPECT_FALSE(ReadSettingsBytes(text, read)) << text;
        EXPECT_EQ(read.m_nMode, 0) << text;
    }
}

TEST(RenamerSettings, LivesInTheProgramsConfigurationFolder)
{
    CTempDir config;
    CScopedEnv env("KQ_CONFIG_HOME", config.NativePath());
    EXPECT_EQ(ProgramConfigFolder(), GetConfigFolder());
    EXPECT_EQ(SettingsPath(), JoinPath(GetConfigFolder(), u"KQTools.conf"));

    // Saved into a folder that does not exist yet, and read back.
    CRenamerSettings saved;
    saved.m_nMode = 1;
    saved.m_fields.m_enhanced.m_strTemplate = u"新*";
    ASSERT_TRUE(SaveSettings(saved));
    CRenamerSettings read;
    CScriptedPrompt prompt;
    EXPECT_EQ(LoadSettings(read), EStoreLoad::Loaded);
    EXPECT_EQ(read.m_nMode, 1);
    EXPECT_EQ(read.m_fields.m_enhanced.m_strTemplate, u"新*");
    EXPECT_TRUE(prompt.Shown().empty());
    // Only the file itself is there: the write left no temporary behind.
    EXPECT_EQ(config.List(u"TernSoft/KQTool"), std::vector<std::u16string>{u"KQTools.conf"});
}

TEST(StoreFile, AFileThatCannotBeUsedIsSetAsideOnceAndReported)
{
    struct {
        const char* name;
        std::function<void(const CTempDir&)> make;
    } cases[] = {
        {"garbage", [](const CTempDir& dir) { dir.MakeFile(u"KQTools.conf", "\x89PNG\r\n\x1a\n"); }},
        {"a presets file", [](const CTempDir& dir) { dir.MakeFile(u"KQTools.conf", "KQTools presets 1\n"); }},
        {"over the limit",
         [](const CTempDir& dir) {
             dir.MakeFile(u"KQTools.conf", "KQTools settings 1\n# " + std::string(kStoreFileLimit, 'x') + "\n");
         }},
        {"a folder", [](const CTempDir& dir) { dir.MakeFolder(u"KQTools.conf"); }},
#ifndef _WIN32
        {"a FIFO",
         [](const CTempDir& dir) { ASSERT_EQ(mkfifo(dir.NativePath().append("/KQTools.conf").c_str(), 0600), 0); }},
#endif
    };
    for (const auto& c : cases) {
        CTempDir dir;
        c.make(dir);
        const std::u16string path = dir.Child(u"KQTools.conf");
        std::string before;
        const bool plain = IsRegularFile(path);
        if (plain) before = dir.ReadFile(u"KQTools.conf");
        CScriptedPrompt prompt;
        CRenamerSettings read;
        read.m_nMode = 2;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(LoadSettings(read, path), EStoreLoad::SetAside) << c.name;
        // A FIFO with no writer must not be waited on.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.name;
        EXPECT_EQ(read.m_nMode, 0) << c.name;
        ASSERT_EQ(prompt.Shown().size(), 1u) << c.name;
        EXPECT_EQ(prompt.Shown()[0].m_strText, SetAsideText(kSettingsTexts, path, path + u".damaged")) << c.name;
        EXPECT_EQ(prompt.Shown()[0].m_strTitle, u"设置") << c.name;
        EXPECT_EQ(dir.List(), std::vector<std::u16string>{u"KQTools.conf.damaged"}) << c.name;
        if (plain) {
            EXPECT_EQ(dir.ReadFile(u"KQTools.conf.damaged"), before) << c.name;
        }
        // Once: the next start finds no file, the defaults and no message.
        EXPECT_EQ(LoadSettings(read, path), EStoreLoad::Missing) << c.name;
        EXPECT_EQ(prompt.Shown().size(), 1u) << c.name;
    }
}

TEST(StoreFile, EarlierBackupsAreKeptAndAFileThatCannotMoveIsNeverOverwritten)
{
    CTempDir dir;
    const std::u16string path = dir.Child(u"KQTools.conf");
    dir.MakeFile(u"KQTools.conf.damaged", "first");
    dir.MakeFile(u"KQTools.conf", "second");
    CScriptedPrompt prompt;
    CRenamerSettings read;
    EXPECT_EQ(LoadSettings(read, path), EStoreLoad::SetAside);
    EXPECT_EQ(dir.ReadFile(u"KQTools.conf.damaged"), "first");
    EXPECT_EQ(dir.ReadFile(u"KQTools.conf.damaged2"), "second");

    // Every backup name taken: the file stays where it is, untouched.
    for (int n = 3; n < 1000; ++n) dir.MakeFile(u"KQTools.conf.damaged" + FromAscii(std::to_string(n)), "");
    dir.MakeFile(u"KQTools.conf", "third");
    prompt.Clear();
    EXPECT_EQ(LoadSettings(read, path), EStoreLoad::Stuck);
    ASSERT_EQ(prompt.Shown().size(), 1u);
    EXPECT_EQ(prompt.Shown()[0].m_strText, StuckText(kSettingsTexts, path));
    EXPECT_EQ(dir.ReadFile(u"KQTools.conf"), "third");
}

TEST(RenamerSettings, FitWindowKeepsTheWindowOnAScreen)
{
    const std::vector<CWindowRect> two = {{0, 0, 1920, 1040}, {1920, 0, 1280, 1000}};
    struct {
        const char* name;
        CWindowRect saved;
        std::vector<CWindowRect> screens;
        CWindowRect expected;
    } cases[] = {
        {"inside", {100, 100, 800, 600}, two, {100, 100, 800, 600}},
        {"on the second screen", {2000, 50, 800, 600}, two, {2000, 50, 800, 600}},
        {"hanging off the right edge", {3000, 100, 800, 600}, two, {2400, 100, 800, 600}},
        {"above the top", {100, -50, 800, 600}, two, {100, 0, 800, 600}},
        {"larger than its screen", {1950, 10, 2000, 1200}, two, {1920, 0, 1280, 1000}},
        {"on a screen that is gone", {5000, 5000, 800, 600}, two, {560, 220, 800, 600}},
        {"no screens known", {5000, 5000, 800, 600}, {}, {5000, 5000, 800, 600}},
    };
    for (const auto& c : cases) {
        const CWindowRect fitted = FitWindow(c.saved, c.screens);
        EXPECT_EQ(fitted, c.expected) << c.name << ": " << fitted.m_nX << "," << fitted.m_nY << " " << fitted.m_nWidth
                                      << "x" << fitted.m_nHeight;
    }
}

}  // namespace
}  // namespace kq::settings
