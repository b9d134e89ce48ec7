#include <gtest/gtest.h>

#include <random>

#include "platform/Text.h"
#include "renamer/list/FileNameList.h"
#include "renamer/supersort/SortWorkList.h"
#include "renamer/supersort/WeightOrder.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CScriptedPrompt;

// The exchange sort as written, for comparison.
std::vector<int> DirectOrder(std::vector<int32_t> w, bool ascending)
{
    std::vector<int> order(w.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = int(i);
    for (size_t i = 0; i + 1 < w.size(); ++i)
        for (size_t k = i + 1; k < w.size(); ++k)
            if (ascending ? w[k] < w[i] : w[k] > w[i]) {
                std::swap(w[k], w[i]);
                std::swap(order[k], order[i]);
            }
    return order;
}

TEST(WeightOrder, EqualsTheExchangeSortOnRandomArraysRichInTies)
{
    EXPECT_EQ(ExchangeSortOrder({2, 2, 1}, true), (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(ExchangeSortOrder({1, 3, 3, 5}, false), (std::vector<int>{3, 2, 1, 0}));
    std::mt19937 random(20261208);
    for (int round = 0; round < 6000; ++round) {
        const int n = int(random() % 201);
        const int distinct = 1 + int(random() % (round % 3 == 0 ? 3 : round % 3 == 1 ? 12 : 200));
        std::vector<int32_t> w(static_cast<size_t>(n));
        for (auto& x : w) {
            x = int32_t(random() % unsigned(distinct));
            if (round % 7 == 0 && x == 0) x = INT32_MIN;
            if (round % 11 == 0 && x == 1) x = INT32_MAX;
        }
        for (bool ascending : {true, false})
            ASSERT_EQ(ExchangeSortOrder(w, ascending), DirectOrder(w, ascending)) << "round " << round;
    }
}

CSortRouteClause Clause(int combination, std::array<int, 3> modes, std::array<std::u16string, 3> texts,
                        std::u16string weight = u"10")
{
    CSortRouteClause c;
    c.m_nCombination = combination;
    c.m_aConditionMode = modes;
    c.m_aConditionText = std::move(texts);
    c.m_strWeight = std::move(weight);
    return c;
}

TEST(SortRouteClause, DisplayTexts)
{
    CSortRouteClause c;
    EXPECT_EQ(c.GetModeText(), u"A");
    EXPECT_EQ(c.GetLoopText(), u"无循环");
    EXPECT_EQ(c.GetConditionText(0), u"包含{} ");
    c.m_nLoopMode = 1;
    c.m_nLoopStart = 10;
    c.m_nLoopEnd = 1;
    c.m_nLoopStep = -1;
    EXPECT_EQ(c.GetLoopText(), u"10→1/-1");
    c.m_nLoopMode = 2;
    EXPECT_EQ(c.GetLoopText(), u"10→∞/-1");
    c.m_nCombination = 6;
    c.m_aConditionMode[2] = 7;
    c.m_aConditionText[2] = u"abc";
    EXPECT_EQ(c.GetModeText(), u"A | ( B & C )");
    EXPECT_EQ(c.GetConditionText(2), u"右不等于{abc} ");
    c.m_nCombination = 9;
    EXPECT_EQ(c.GetModeText(), u"9");
    CSortRouteItem item;
    item.m_nOrigin = 2;
    EXPECT_EQ(item.GetOriginText(), u"用户导入");
}

TEST(SortWorkList, ConditionModes)
{
    struct Case {
        std::u16string s;
        int mode;
        std::u16string t;
        bool result;
    } cases[] = {
        {u"report", 0, u"por", true},   {u"report", 0, u"", true},      {u"report", 1, u"x", true},
        {u"report", 1, u"", false},     {u"report", 2, u"report", true}, {u"report", 2, u"Report", false},
        {u"", 2, u"", true},            {u"a", 2, u"", false},           {u"report", 3, u"x", true},
        {u"report", 4, u"rep", true},   {u"re", 4, u"rep", false},       {u"report", 4, u"", true},
        {u"report", 5, u"rep", false},  {u"re", 5, u"rep", true},        {u"report", 6, u"ort", true},
        {u"report", 6, u".txt", false}, {u"t", 6, u"rt", false},         {u"report", 7, u"ort", false},
        {u"t", 7, u"rt", true},         {u"report", 8, u"zz", true},     {u"report", -1, u"zz", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CSortWorkList::TestCondition(c.s, c.mode, c.t), c.result) << ToUtf8(c.s) << " " << c.mode;
}

TEST(SortWorkList, Combinations)
{
    CFileNameList list;
    list.AddFile(test::PlatformPath(u"/f/x"));
    CSortWorkList work;
    work.Build(list);
    // Texts chosen so that a, b, c take each value: "x" contains x, "y" not.
    for (int combination = 0; combination < 8; ++combination) {
        for (int bits = 0; bits < 8; ++bits) {
            const bool a = bits & 1, b = bits & 2, c = bits & 4;
            CSortRouteClause clause = Clause(combination, {0, 0, 0}, {});
            const std::u16string tA = a ? u"x" : u"y", tB = b ? u"x" : u"y", tC = c ? u"x" : u"y";
            const bool expected[] = {a, a && b, a || b, a && b && c, a || b || c, a && (b || c), a || (b && c), false};
            EXPECT_EQ(work.MatchClause(clause, 0, tA, tB, tC), expected[combination]) << combination << " " << bits;
        }
    }
}

struct CRun {
    CFileNameList list;
    CSortRouteItem rule;
    CSortWorkList work;
    int status = -1;

    explicit CRun(std::initializer_list<const char16_t*> names)
    {
        for (const char16_t* name : names) list.AddFile(test::PlatformPath(std::u16string(u"/d/") + name));
    }
    std::vector<int32_t> Weights(const CSortRouteClause& clause)
    {
        rule.m_aClauses = {clause};
        work.m_pRoute = &rule;
        work.Build(list);
        status = work.ApplyRule();
        return work.m_aWeights;
    }
};

TEST(SortWorkList, ClausesAndLoops)
{
    auto loop = [](CSortRouteClause c, int mode, int start, int end, int step) {
        c.m_nLoopMode = mode;
        c.m_nLoopStart = start;
        c.m_nLoopEnd = end;
        c.m_nLoopStep = step;
        return c;
    };
    const CSortRouteClause any = Clause(0, {0, 0, 0}, {}, u"1");
    struct Case {
        const char* what;
        CSortRouteClause clause;
        int status;
        std::vector<int32_t> weights;  // for report.txt, a.b.c, noext
    } cases[] = {
        {"plain", Clause(0, {0, 0, 0}, {u"o"}), 0, {10, 0, 10}},
        {"=10 and 10 alike", Clause(0, {0, 0, 0}, {u""}, u"=10"), 0, {10, 10, 10}},
        {"title only", Clause(0, {6, 0, 0}, {u".txt"}), 0, {0, 0, 0}},
        {"title of a.b.c is a.b", Clause(0, {2, 0, 0}, {u"a.b"}), 0, {0, 10, 0}},
        {"real weight cut", Clause(0, {0, 0, 0}, {}, u"2.5"), 0, {2, 2, 2}},
        {"text weight is 0", Clause(0, {0, 0, 0}, {}, u"\"abc\""), 0, {0, 0, 0}},
        {"1..10", loop(any, 1, 1, 10, 1), 0, {10, 10, 10}},
        {"10..1 down", loop(any, 1, 10, 1, -1), 0, {10, 10, 10}},
        {"5..1 one pass", loop(any, 1, 5, 1, 1), 0, {1, 1, 1}},
        {"1..10/4 overshoots once", loop(any, 1, 1, 10, 4), 0, {4, 4, 4}},
        {"i*2 over 1..3", loop(Clause(0, {0, 0, 0}, {}, u"=i*2"), 1, 1, 3, 1), 0, {12, 12, 12}},
        {"auto 1/2", loop(any, 2, 1, 0, 2), 0, {10001, 10001, 10001}},
        {"auto step 2^30 wraps to one pass", loop(any, 2, 1, 0, 1 << 30), 0, {1, 1, 1}},
        {"range near the top ends", loop(any, 1, 0, INT32_MAX, 1 << 30), 0, {2, 2, 2}},
        {"condition uses i", loop(Clause(0, {2, 0, 0}, {u"=\"rep\"&\"ort\""}, u"=i"), 1, 1, 2, 1), 0, {3, 0, 0}},
        {"integer condition 123 tests 2", Clause(0, {0, 0, 0}, {u"=123"}), 0, {0, 0, 0}},
        {"step 0", loop(any, 1, 1, 5, 0), 2, {0, 0, 0}},
        {"step 0 auto", loop(any, 2, 1, 5, 0), 2, {0, 0, 0}},
        {"empty weight", Clause(0, {0, 0, 0}, {}, u""), 3, {0, 0, 0}},
        {"one-character condition result", Clause(0, {0, 0, 0}, {u"=1"}), 3, {0, 0, 0}},
        {"B unused by A", Clause(0, {0, 0, 0}, {u"", u"=bad("}), 0, {10, 10, 10}},
    };
    for (const auto& c : cases) {
        CScriptedPrompt prompt;
        CRun run({u"report.txt", u"a.b.c", u"noext"});
        std::vector<int32_t> weights = run.Weights(c.clause);
        EXPECT_EQ(run.status, c.status) << c.what;
        if (c.status == 0) {
            EXPECT_EQ(weights, c.weights) << c.what;
        }
    }
}

TEST(SortWorkList, FormulaErrorsShowTheirTitleOnce)
{
    struct Case {
        CSortRouteClause clause;
        std::u16string title;
    } cases[] = {
        {Clause(0, {0, 0, 0}, {u"=nosuch()"}), u"条件文本公式错误"},
        {Clause(0, {0, 0, 0}, {u""}, u"=1+"), u"条款权值公式错误"},
    };
    for (const auto& c : cases) {
        CScriptedPrompt prompt;
        CRun run({u"a"});
        run.Weights(c.clause);
        EXPECT_EQ(run.status, kSuperSortFormula);
        ASSERT_EQ(prompt.Shown().size(), 1u);
        EXPECT_EQ(prompt.Shown()[0].m_strTitle, c.title);
        EXPECT_EQ(run.work.m_strLastError, prompt.Shown()[0].m_strText);
    }
    CScriptedPrompt prompt;
    CRun run({u"a"});
    run.Weights(Clause(0, {0, 0, 0}, {u"=1"}));
    EXPECT_TRUE(prompt.Shown().empty());
    EXPECT_TRUE(run.work.m_strLastError.empty());
}

TEST(RunSuperSort, MovesWholeRowsAndLeavesTheListOnCancelOrFailure)
{
    CScriptedPrompt prompt;
    CFileNameList list;
    list.AddRow(u"/x", u"a.txt");
    list.AddRow(u"/y", u"b");
    list.AddRow(u"/z", u"c.");
    list.SetText(1, kColStatus, kStatusDone);
    list.SetText(0, kColNewName, u"new0");
    CSortRouteItem rule;
    rule.m_aClauses = {Clause(0, {2, 0, 0}, {u"a"}, u"2"), Clause(0, {1, 0, 0}, {u"c"}, u"2"),
                       Clause(0, {2, 0, 0}, {u"c"}, u"1")};  // weights 2, 2, 1
    auto column = [&](int col) {
        std::vector<std::u16string> out;
        for (int r = 0; r < list.GetItemCount(); ++r) out.push_back(list.GetText(r, col));
        return out;
    };
    std::vector<std::u16string> previewed;
    CSuperSortSteps steps;
    steps.m_fnChoose = [&] { return &rule; };
    steps.m_fnPreview = [&](const CSortWorkList& work) {
        previewed.clear();
        for (int e = 0; e < work.GetCount(); ++e) previewed.push_back(work.RestoredName(e));
        return false;
    };
    EXPECT_EQ(RunSuperSort(list, true, steps), kSuperSortNothing);
    EXPECT_EQ(previewed, (std::vector<std::u16string>{u"c.", u"b", u"a.txt"}));
    EXPECT_EQ(column(kColOldName), (std::vector<std::u16string>{u"a.txt", u"b", u"c."}));

    steps.m_fnPreview = [](const CSortWorkList&) { return true; };
    EXPECT_EQ(RunSuperSort(list, true, steps), kSuperSortOk);
    EXPECT_EQ(column(kColOldName), (std::vector<std::u16string>{u"c.", u"b", u"a.txt"}));
    EXPECT_EQ(column(kColFolder), (std::vector<std::u16string>{u"/z", u"/y", u"/x"}));
    EXPECT_EQ(column(kColStatus), (std::vector<std::u16string>{kStatusPending, kStatusDone, kStatusPending}));
    EXPECT_EQ(column(kColNewName)[0], u"new0");

    rule.m_aClauses.push_back(Clause(0, {0, 0, 0}, {}, u""));
    EXPECT_EQ(RunSuperSort(list, false, steps), kSuperSortFormula);
    EXPECT_EQ(column(kColOldName), (std::vector<std::u16string>{u"c.", u"b", u"a.txt"}));
    steps.m_fnChoose = [] { return nullptr; };
    EXPECT_EQ(RunSuperSort(list, false, steps), kSuperSortNothing);
    CFileNameList empty;
    steps.m_fnChoose = [&] { return &rule; };
    EXPECT_EQ(RunSuperSort(empty, false, steps), kSuperSortNothing);
}

}  // namespace
}  // namespace kq
