#include <gtest/gtest.h>

#include <set>
#include <string>

#include "FormulaRows.h"
#include "formula/functions/FunctionTable.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

struct CFamily {
    const char* m_szName;
    std::span<const CFunctionInfo> m_aEntries;
    size_t m_nCount;
};

std::u16string ArgumentList(int count)
{
    std::u16string args;
    for (int i = 0; i < count; ++i) args += i ? u",1" : u"1";
    return args;
}

TEST(FunctionFamilies, EveryEntryIsCompleteAndCallable)
{
    const CFamily families[] = {
        {"text", TextFunctions(), 35},
        {"file/time", FileTimeFunctions(), 27},
        {"steel", SteelFunctions(), 10},
        {"file metadata", FileMetaFunctions(), 8},
        {"regex", RegexFunctions(), 4},
    };
    std::set<std::u16string_view> names;
    for (const CFamily& family : families) {
        SCOPED_TRACE(family.m_szName);
        EXPECT_EQ(family.m_aEntries.size(), family.m_nCount);
        for (const CFunctionInfo& f : family.m_aEntries) {
            SCOPED_TRACE(ToUtf8(f.m_strName));
            EXPECT_TRUE(names.insert(f.m_strName).second) << "duplicate name";
            EXPECT_EQ(ToAsciiLower(f.m_strName), f.m_strName);
            EXPECT_NE(f.m_pfnFunction, nullptr);
            EXPECT_GE(f.m_nArgCount, 0);
            EXPECT_FALSE(f.m_strCategory.empty());
            EXPECT_EQ(f.m_strArguments.empty(), f.m_nArgCount == 0);
            EXPECT_FALSE(f.m_strResult.empty());
            EXPECT_FALSE(f.m_strDescription.empty());
            EXPECT_NE(f.m_strExample.find(u" → "), std::u16string_view::npos);
            const CFunctionInfo* found = FindFunction(f.m_strName);
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(found->m_pfnFunction, f.m_pfnFunction) << "the dispatch reaches this entry";
            EXPECT_EQ(found->m_nArgCount, f.m_nArgCount);

            // One argument too many is refused by the count check with this entry's count.
            test::CEvalResult r = test::Evaluate(std::u16string(f.m_strName) + u"(" + ArgumentList(f.m_nArgCount + 1) + u")");
            EXPECT_EQ(r.m_nCode, kAnalyseArgumentCount);
            EXPECT_EQ(ToUtf8(r.m_strError), ToUtf8(u"函数" + std::u16string(f.m_strName) + u"的形参个数应该为" +
                                                  FromAscii(std::to_string(f.m_nArgCount)) + u"个,当前指定的个数是" +
                                                  FromAscii(std::to_string(f.m_nArgCount + 1))));
        }
    }
}

// The help reference shows each entry's example; it must be what the formula gives.
TEST(FunctionFamilies, EveryExampleGivesItsStatedResult)
{
    test::CScopedEnv tz("TZ", "UTC0");
    test::CScopedClipboard clip(u"a\nb");
    for (auto family : {TextFunctions(), FileTimeFunctions(), SteelFunctions(), RegexFunctions()}) {
        // The backslashes of a regular expression are no path separators.
        const bool paths = family.data() != RegexFunctions().data();
        auto platform = [paths](std::u16string_view text) {
            return paths ? test::PlatformQuotedPaths(text) : std::u16string(text);
        };
        for (const CFunctionInfo& f : family) {
            const std::u16string_view example = f.m_strExample;
            const size_t arrow = example.find(u" → ");
            ASSERT_NE(arrow, std::u16string_view::npos);
            SCOPED_TRACE(ToUtf8(example));
            test::CEvalResult r = test::Evaluate(platform(example.substr(0, arrow)));
            EXPECT_EQ(r.m_nCode, kAnalyseOk) << ToUtf8(r.m_strError);
            EXPECT_EQ(ToUtf8(platform(r.m_strOutput)), ToUtf8(example.substr(arrow + 3)));
        }
    }
}

// Extreme values anywhere give a result or a refusal (code 4), never a crash.
TEST(FunctionFamilies, HostileArgumentsGiveAResultOrARefusal)
{
    test::CScopedClipboard clip(u"a\nb");
    const std::u16string values[] = {
        u"\"\"", u"0", u"-1", u"2147483647", u"0-2147483647-1", u"pow(10,400)", u"0-pow(10,400)", u"pow(-8,1/3)",
        u"\"%\"", u"\"[]\"", u"rept(\"[ab]\",8000)", u"\"文件\"",
    };
    for (auto family : {TextFunctions(), FileTimeFunctions(), SteelFunctions(), FileMetaFunctions(), RegexFunctions()}) {
        for (const CFunctionInfo& f : family) {
            for (const std::u16string& v : values) {
                for (const std::u16string& first : {v, std::u16string(u"\"a[1]b[2]\"")}) {
                    std::u16string args = first;
                    for (int i = 1; i < f.m_nArgCount; ++i) args += u"," + v;
                    const std::u16string formula = std::u16string(f.m_strName) + u"(" + (f.m_nArgCount ? args : u"") + u")";
                    SCOPED_TRACE(ToUtf8(formula));
                    test::CEvalResult r = test::Evaluate(formula);
                    EXPECT_TRUE(r.m_nCode == kAnalyseOk || r.m_nCode == kAnalyseBadArgument) << r.m_nCode << " " << ToUtf8(r.m_strError);
                }
            }
        }
    }
}

}  // namespace
}  // namespace kq
