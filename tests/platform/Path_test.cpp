#include <gtest/gtest.h>

#include "platform/Path.h"
#include "platform/Text.h"

namespace kq {
namespace {

TEST(NamePolicy, ComparesByPolicy)
{
    struct Row {
        const char16_t* a;
        const char16_t* b;
        bool exact;
        bool insensitive;
    } rows[] = {
        {u"a.txt", u"a.txt", true, true},
        {u"a.txt", u"A.TXT", false, true},
        {u"文件.txt", u"文件.TXT", false, true},
        {u"é", u"É", false, false},  // only ASCII case folds
        {u"a", u"ab", false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(row.a) + " vs " + ToUtf8(row.b));
        EXPECT_EQ(NamesEqual(row.a, row.b, ENamePolicy::ExactCase), row.exact);
        EXPECT_EQ(NamesEqual(row.a, row.b, ENamePolicy::AsciiCaseInsensitive), row.insensitive);
        EXPECT_EQ(NameKey(row.a, ENamePolicy::AsciiCaseInsensitive) ==
                      NameKey(row.b, ENamePolicy::AsciiCaseInsensitive),
                  row.insensitive);
        EXPECT_EQ(NameKey(row.a, ENamePolicy::ExactCase) == NameKey(row.b, ENamePolicy::ExactCase), row.exact);
    }
}

TEST(Paths, SplitAndJoinAtTheLastSeparator)
{
    const std::u16string sep(1, kPathSeparator);
    struct Row {
        std::u16string path;
        std::u16string folder;
        std::u16string name;
    } rows[] = {
        {sep + u"data" + sep + u"a.txt", sep + u"data", u"a.txt"},
        {sep + u"a.txt", u"", u"a.txt"},
        {u"a.txt", u"", u"a.txt"},
        {sep + u"x" + sep, sep + u"x", u""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(row.path));
        std::u16string folder, name;
        SplitPath(row.path, folder, name);
        EXPECT_EQ(folder, row.folder);
        EXPECT_EQ(name, row.name);
        if (!row.name.empty() && row.path.find(kPathSeparator) != std::u16string::npos) {
            EXPECT_EQ(JoinPath(folder, name), row.path);
        }
    }
}

}  // namespace
}  // namespace kq
