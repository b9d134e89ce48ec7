#include <gtest/gtest.h>

#include "renamer/supersort/RouteEditing.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

CSortRouteItem SixClauses()
{
    CSortRouteItem item;
    for (int k = 0; k < 6; ++k) {
        CSortRouteClause c;
        c.m_strWeight = std::u16string(1, char16_t(u'0' + k));
        item.m_aClauses.push_back(c);
    }
    return item;
}

std::u16string Order(const CSortRouteItem& item)
{
    std::u16string out;
    for (const auto& c : item.m_aClauses) out += c.m_strWeight;
    return out;
}

TEST(RouteEditing, MovesAndDeletesClauses)
{
    test::CScriptedPrompt prompt;
    struct Case {
        std::vector<int> selection;
        int step;
        EClauseMove result;
        std::u16string order;
        std::vector<int> after;
    } cases[] = {
        {{0, 1}, -1, EClauseMove::Nothing, u"012345", {0, 1}},
        {{2, 3}, -1, EClauseMove::Moved, u"023145", {1, 2}},
        {{5}, 1, EClauseMove::Nothing, u"012345", {5}},
        {{1, 2}, 1, EClauseMove::Moved, u"031245", {2, 3}},
        {{1, 3}, 1, EClauseMove::NotContiguous, u"012345", {1, 3}},
        {{}, -1, EClauseMove::Nothing, u"012345", {}},
    };
    for (const auto& c : cases) {
        CSortRouteItem item = SixClauses();
        std::vector<int> selection = c.selection;
        EXPECT_EQ(MoveClauses(item, selection, c.step), c.result);
        EXPECT_EQ(Order(item), c.order);
        EXPECT_EQ(selection, c.after);
    }
    ASSERT_EQ(prompt.Shown().size(), 1u);
    EXPECT_EQ(prompt.Shown()[0].m_strTitle, u"选择不连续");

    CSortRouteItem item = SixClauses();
    DeleteClauses(item, {5, 2, 9});
    EXPECT_EQ(Order(item), u"0134");
}

TEST(RouteEditing, ImportRenamesAndExportKeepsEverything)
{
    CSortRouteList store;
    store.AddRoute(u"甲", u"");
    CSortRouteList file;
    file.AddRoute(u"乙", u"b");
    file.AddRoute(u"甲", u"a");
    file[1].m_nTime = 5;
    file[1].m_nOrigin = 0;
    file[1].m_aClauses.resize(2);
    EXPECT_EQ(ExportRoutes(file, {1}).m_aRoutes, std::vector<CSortRouteItem>{file[1]});
    EXPECT_EQ(ImportRoutes(store, file, {1}), std::vector<std::u16string>{u"甲 导入"});
    EXPECT_EQ(ImportRoutes(store, file, {0, 1}), (std::vector<std::u16string>{u"乙", u"甲 导入 导入"}));
    ASSERT_EQ(store.GetCount(), 4);
    EXPECT_EQ(store[1].m_nOrigin, kOriginImported);
    EXPECT_GT(store[1].m_nTime, 5);
    EXPECT_EQ(store[1].m_aClauses.size(), 2u);
    EXPECT_EQ(store[1].m_strDescription, u"a");
}

}  // namespace
}  // namespace kq
