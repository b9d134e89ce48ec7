// The parallel name cycle against the sequential one: on random lists, with
// random fields of every mode, both write the same column 1, the same failed
// rows and reasons, and the same replacement message.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <random>

#include "platform/Text.h"
#include "renamer/list/FileNameList.h"
#include "renamer/modes/AdvancedNaming.h"
#include "renamer/modes/EnhancedNaming.h"
#include "renamer/modes/FormulaNaming.h"
#include "renamer/modes/FormulaPresets.h"
#include "renamer/modes/ListNaming.h"
#include "renamer/modes/NameCycle.h"
#include "renamer/modes/SimpleNaming.h"
#include "renamer/templates/MacroPresets.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using Rng = std::mt19937;

template <class T>
const T& Pick(Rng& rng, const std::vector<T>& items)
{
    return items[std::uniform_int_distribution<size_t>(0, items.size() - 1)(rng)];
}

int Between(Rng& rng, int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

std::u16string RandomName(Rng& rng)
{
    static const std::vector<std::u16string> pieces = {
        u"a", u"B", u"7", u"42", u" ", u".", u"-", u"_", u"第3集", u"IMG", u"*", u"<原文件名*2>", u"{", u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab"};
    std::u16string name;
    for (int i = Between(rng, 1, 5); i > 0; --i) name += Pick(rng, pieces);
    if (Between(rng, 0, 3) > 0) name += Pick(rng, std::vector<std::u16string>{u".txt", u".JPG", u".tar.gz", u"."});
    return name;
}

CFileNameList RandomList(Rng& rng)
{
    const std::vector<std::u16string> folders = {test::PlatformPath(u"/photos"), test::PlatformPath(u"/PHOTOS"),
                                                 test::PlatformPath(u"/d/x"), test::PlatformPath(u"/e"),
                                                 test::PlatformPath(u"/d/X")};
    CFileNameList list;
    const int rows = Between(rng, 0, 3) == 0 ? Between(rng, 0, 3) : Between(rng, 1, 1500);
    // Runs of one folder, as a folder drop gives, mixed with scattered rows.
    std::u16string folder = Pick(rng, folders);
    for (int r = 0; r < rows; ++r) {
        if (Between(rng, 0, 20) == 0) folder = Pick(rng, folders);
        list.AddRow(Between(rng, 0, 10) == 0 ? Pick(rng, folders) : folder,
                    RandomName(rng) + FromUtf8(std::to_string(r)));
    }
    for (int r = 0; r < rows; ++r)
        if (Between(rng, 0, 40) == 0) list.SetEditedName(r, u"by hand");
    return list;
}

std::u16string RandomNumberText(Rng& rng)
{
    return Pick(rng, std::vector<std::u16string>{u"0", u"1", u"-2", u"3", u"9", u"2147483647", u"-2147483648", u"",
                                                 u"x", u" 5", u"C", u"ⅲ"});
}

void RandomReplace(Rng& rng, naming::CReplaceDeleteFields& f)
{
    f.m_bReplaceEnabled = Between(rng, 0, 1) == 1;
    f.m_bRegex = Between(rng, 0, 1) == 1;
    f.m_strFind = Pick(rng, std::vector<std::u16string>{u"a", u"(\\d+)", u"(a+)+$", u"(", u"", u".", u"IMG"});
    f.m_strReplace = Pick(rng, std::vector<std::u16string>{u"", u"<$1>", u"$2", u"x"});
    f.m_bDeleteEnabled = Between(rng, 0, 1) == 1;
    f.m_nDeletePosition = Between(rng, 0, 3);
    f.m_nDeleteCount = Between(rng, 0, 4);
}

struct CModeRun {
    std::function<std::u16string(CFileNameList&, bool)> m_fnFill;  // sequential; returns the message
    std::function<std::shared_ptr<const CNamePlan>(const CFileNameList&, bool)> m_fnPlan;
    std::string m_strWhat;
};

CModeRun RandomMode(Rng& rng)
{
    switch (Between(rng, 0, 4)) {
    case 0: {
        CEaFields f;
        RandomReplace(rng, f);
        f.m_strTemplate = Pick(rng, std::vector<std::u16string>{u"<原文件名>", u"x_<原文件名>_<原文件名>", u"固定"});
        f.m_bIndexEnabled = Between(rng, 0, 3) > 0;
        f.m_strStart = RandomNumberText(rng);
        f.m_strStep = RandomNumberText(rng);
        f.m_strRepeat = RandomNumberText(rng);
        f.m_nDigits = Between(rng, 0, 9);
        f.m_nIndexPosition = Between(rng, 0, 1);
        return {[f](CFileNameList& l, bool k) { std::u16string e; f.FillNewNames(l, k, &e); return e; },
                [f](const CFileNameList& l, bool k) { return f.PrepareNames(l, k); }, "simple"};
    }
    case 1: {
        CEnFields f;
        RandomReplace(rng, f);
        f.m_strTemplate = Pick(rng, std::vector<std::u16string>{u"* <原文件名>", u"<原文件名*-1>", u"<原文件名*2", u"**"});
        f.m_nKind = Between(rng, 0, 7);
        f.m_strEnumList = Pick(rng, std::vector<std::u16string>{kEnumerationLists[0], kEnumerationLists[5], u"", u"x,,y"});
        f.m_nDigits = Between(rng, 1, 9);
        f.m_strStart = Between(rng, 0, 1) ? f.IndexText(Between(rng, 0, 30)) : RandomNumberText(rng);
        f.m_strStep = RandomNumberText(rng);
        f.m_strRepeat = RandomNumberText(rng);
        return {[f](CFileNameList& l, bool k) { std::u16string e; f.FillNewNames(l, k, &e); return e; },
                [f](const CFileNameList& l, bool k) { return f.PrepareNames(l, k); }, "enhanced"};
    }
    case 2: {
        CElFields f;
        for (int i = Between(rng, 0, 30); i > 0; --i) f.m_aNames.push_back(RandomName(rng));
        f.m_strRepeat = RandomNumberText(rng);
        f.m_nCycle = Between(rng, 0, 1);
        return {[f](CFileNameList& l, bool k) { f.FillNewNames(l, k); return std::u16string(); },
                [f](const CFileNameList& l, bool k) { return f.PrepareNames(l, k); }, "list"};
    }
    case 3: {
        CEeFields f;
        std::vector<std::u16string> macros = {u"{l=3;I}_{t=1;F}", u"{t=1;F", u"{L}-{N}-{C}", u"{I*2-1;D=4}{P}{E}",
                                              u"{{x{F;S=2;L=3}", u"{N/0}"};
        for (const CExpressionPreset& p : MacroPresets()) macros.emplace_back(p.m_strExpression);
        f.m_strMacro = Pick(rng, macros);
        return {[f](CFileNameList& l, bool k) { f.FillNewNames(l, k); return std::u16string(); },
                [f](const CFileNameList& l, bool k) { return f.PrepareNames(l, k); }, "advanced"};
    }
    default: {
        CEfFields f;
        std::vector<std::u16string> formulas = {u"pathindex()&\"-\"&indexonpath()&\"-\"&ftitle()", u"nosuch(1)",
                                                u"if(fext()=\"txt\",nosuch(),ftitle()&\"_x\")", u"ftitle()x",
                                                u"clip()&index()", u"\"\""};
        for (const CExpressionPreset& p : FormulaPresets()) formulas.emplace_back(p.m_strExpression);
        f.m_strFormula = Pick(rng, formulas);
        return {[f](CFileNameList& l, bool k) { f.FillNewNames(l, k); return std::u16string(); },
                [f](const CFileNameList& l, bool k) { return f.PrepareNames(l, k); },
                "formula " + ToUtf8(f.m_strFormula)};
    }
    }
}

void ExpectSameNames(const CFileNameList& expected, const CFileNameList& actual)
{
    ASSERT_EQ(expected.GetItemCount(), actual.GetItemCount());
    for (int r = 0; r < expected.GetItemCount(); ++r) {
        SCOPED_TRACE("row " + std::to_string(r));
        ASSERT_EQ(ToUtf8(expected.GetText(r, kColNewName)), ToUtf8(actual.GetText(r, kColNewName)));
        ASSERT_EQ(expected.IsNameFailed(r), actual.IsNameFailed(r));
        ASSERT_EQ(ToUtf8(expected.NameFailure(r)), ToUtf8(actual.NameFailure(r)));
    }
}

TEST(NameCycle, GivesTheSequentialNamesInEveryMode)
{
    test::CScopedClipboard clipboard(u"剪贴板");
    Rng rng(20261209);
    for (int trial = 0; trial < 150; ++trial) {
        const CFileNameList source = RandomList(rng);
        const CModeRun mode = RandomMode(rng);
        const bool keep = Between(rng, 0, 1) == 1;
        const int rows = source.GetItemCount();
        const int first = Between(rng, -5, rows);
        const int last = first + Between(rng, 0, 60);
        const int threads = Between(rng, 1, 4);
        SCOPED_TRACE("trial " + std::to_string(trial) + " " + mode.m_strWhat + " rows " + std::to_string(rows) +
                     " threads " + std::to_string(threads));

        CFileNameList sequential = source;
        // A previous cycle's failures must be cleared by the next one in both.
        CEfFields{u"nosuch()"}.FillNewNames(sequential, keep);
        CFileNameList parallel = sequential;
        CFileNameList inOrder = sequential;
        const std::u16string message = mode.m_fnFill(sequential, keep);

        CNameCycle cycle(mode.m_fnPlan(parallel, keep), first, last, {}, threads);
        cycle.Wait();
        ASSERT_TRUE(cycle.IsAllReady());
        EXPECT_EQ(ToUtf8(cycle.WriteTo(parallel)), ToUtf8(message));
        ExpectSameNames(sequential, parallel);

        EXPECT_EQ(ToUtf8(RunPlanInOrder(*mode.m_fnPlan(inOrder, keep), inOrder)), ToUtf8(message));
        ExpectSameNames(sequential, inOrder);
        if (HasFatalFailure()) return;
    }
}

// The rows shown are named first: when the cycle says so, they hold their
// final names while the rest may still be running; a cancelled cycle writes
// nothing and says nothing more.
TEST(NameCycle, VisibleRowsFirstAndCancel)
{
    CFileNameList list;
    for (int r = 0; r < 20000; ++r) list.AddRow(test::PlatformPath(u"/f"), u"n" + FromUtf8(std::to_string(r)) + u".txt");
    CEfFields fields{u"StrIndex(Index(),6)&\"_\"&Upper(Ftitle())"};
    CFileNameList expected = list;
    fields.FillNewNames(expected, true);

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<CNameCycle::EEvent> events;
    {
        CNameCycle cycle(fields.PrepareNames(list, true), 15000, 15040, [&](CNameCycle::EEvent e) {
            std::lock_guard lock(mutex);
            events.push_back(e);
            changed.notify_all();
        });
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return !events.empty(); });
            EXPECT_EQ(events.front(), CNameCycle::kVisibleReady);
        }
        ASSERT_TRUE(cycle.IsVisibleReady());
        for (int r = 15000; r < 15040; ++r) EXPECT_EQ(cycle.Name(r), expected.GetText(r, kColNewName));
        cycle.Wait();
        EXPECT_EQ(events, (std::vector{CNameCycle::kVisibleReady, CNameCycle::kAllReady}));
        // Every row, before, in and after the visible range, is found in its batch.
        for (int r = 0; r < list.GetItemCount(); ++r)
            ASSERT_EQ(cycle.Name(r), expected.GetText(r, kColNewName)) << r;
        cycle.WriteTo(list);
        ExpectSameNames(expected, list);
    }

    CFileNameList untouched = list;
    std::atomic<int> calls{0};
    CNameCycle cancelled(CEfFields{u"Lower(Fname())"}.PrepareNames(untouched, false), 0, 0,
                         [&](CNameCycle::EEvent) { ++calls; }, 2);
    cancelled.Cancel();
    const int seen = calls.load();
    EXPECT_LE(seen, 1);  // at most the last batch's own, when it finished first
    if (!cancelled.IsAllReady()) {
        EXPECT_EQ(cancelled.WriteTo(untouched), u"");
        ExpectSameNames(list, untouched);
    }
    EXPECT_EQ(calls.load(), seen);
}

TEST(NameCycle, FoldersNumberedByKeyInOrderOfFirstRow)
{
    CFileNameList list;
    const std::u16string a = test::PlatformPath(u"/a"), upperA = test::PlatformPath(u"/A"),
                         b = test::PlatformPath(u"/b");
    for (const auto& [folder, name] : std::vector<std::pair<std::u16string, std::u16string>>{
             {b, u"1"}, {a, u"2"}, {upperA, u"3"}, {b, u"4"}, {a, u"5"}})
        list.AddRow(folder, name);
    const CFolderNumbers upper = NumberFolders(list, [](const std::u16string& f) { return ToAsciiUpper(f); });
    EXPECT_EQ(upper.m_aFolder, (std::vector{1, 2, 2, 1, 2}));
    EXPECT_EQ(upper.m_aInFolder, (std::vector{1, 1, 2, 2, 3}));
    const CFolderNumbers exact = NumberFolders(list, [](const std::u16string& f) { return f; });
    EXPECT_EQ(exact.m_aFolder, (std::vector{1, 2, 3, 1, 2}));
    EXPECT_EQ(exact.m_aInFolder, (std::vector{1, 1, 1, 2, 2}));
}

}  // namespace
}  // namespace kq
