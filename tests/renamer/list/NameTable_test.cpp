#include <gtest/gtest.h>

#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "renamer/list/NameTable.h"

namespace kq {
namespace {

// Random names from a tiny alphabet collide in hash slots and in case-folded
// form often: the table must agree with a plain map keyed by the folded name.
TEST(NameTable, AgreesWithAMapUnderBothPolicies)
{
    for (ENamePolicy policy : {ENamePolicy::ExactCase, ENamePolicy::AsciiCaseInsensitive}) {
        std::mt19937 random(7);
        std::vector<std::u16string> names;
        CNameTable table(policy, [&](size_t i) { return std::u16string_view(names[i]); });
        std::unordered_map<std::u16string, size_t> expected;
        for (int n = 0; n < 3000; ++n) {
            std::u16string name;
            for (size_t k = 1 + random() % 4; k > 0; --k) name += u"aAbB."[random() % 5];
            names.push_back(name);
            const bool fresh = expected.emplace(NameKey(name, policy), names.size() - 1).second;
            EXPECT_EQ(table.Insert(names.size() - 1), fresh) << ToUtf8(name);
        }
        for (const auto& [key, index] : expected) EXPECT_EQ(table.Find(key), index);
        EXPECT_EQ(table.Find(u"zzz"), kNoName);
        EXPECT_FALSE(table.Contains(u""));
    }
}

// The hash takes four units at a time: names that differ only in the case
// of ASCII letters, at any position and length, hash alike under the
// case-insensitive policy, and every other pair (the letters' neighbours
// '@', '[', '`' and '{', other scripts, trailing NULs) apart.
TEST(NameTable, HashFoldsExactlyTheAsciiLetters)
{
    const std::u16string alphabet = u"aAzZ@[`{0é文\0";
    std::mt19937 random(11);
    for (int n = 0; n < 20000; ++n) {
        std::u16string a;
        for (size_t k = random() % 10; k > 0; --k) a += alphabet[random() % alphabet.size()];
        std::u16string b = a;
        if (!b.empty() && random() % 2) {
            const size_t at = random() % b.size();
            b[at] = alphabet[random() % alphabet.size()];
        } else if (random() % 2) {
            b += char16_t(0);
        }
        for (ENamePolicy policy : {ENamePolicy::ExactCase, ENamePolicy::AsciiCaseInsensitive}) {
            const bool equal = NamesEqual(a, b, policy);
            EXPECT_EQ(HashName(a, policy) == HashName(b, policy), equal)
                << ToUtf8(a) << " / " << ToUtf8(b) << " policy " << int(policy);
            EXPECT_EQ(HashName(a, policy, 3) == HashName(b, policy, 3), equal);
        }
        EXPECT_NE(HashName(a, ENamePolicy::ExactCase, 1), HashName(a, ENamePolicy::ExactCase, 2));
    }
}

TEST(NameTable, CaseFoldingFollowsThePolicy)
{
    std::vector<std::u16string> names = {u"Read.ME", u"文件.txt"};
    CNameTable exact(ENamePolicy::ExactCase, [&](size_t i) { return std::u16string_view(names[i]); });
    CNameTable folded(ENamePolicy::AsciiCaseInsensitive, [&](size_t i) { return std::u16string_view(names[i]); });
    for (size_t i = 0; i < names.size(); ++i) {
        exact.Insert(i);
        folded.Insert(i);
    }
    EXPECT_EQ(exact.Find(u"read.me"), kNoName);
    EXPECT_EQ(folded.Find(u"read.me"), 0u);
    EXPECT_EQ(folded.Find(u"文件.TXT"), 1u);
    EXPECT_EQ(exact.Find(u"文件.txt"), 1u);
}

// The index form with a composite key, as the list's row index uses it.
TEST(NameTable, IndexTakesAnyKeyAndSurvivesGrowth)
{
    struct CKey {
        std::u16string_view m_strName;
        int m_nGroup;
    };
    struct CHasher {
        using Key = CKey;
        uint64_t Hash(const CKey& k) const { return HashName(k.m_strName, ENamePolicy::ExactCase, k.m_nGroup); }
        bool Equal(const CKey& a, const CKey& b) const
        {
            return a.m_nGroup == b.m_nGroup && a.m_strName == b.m_strName;
        }
    };
    std::vector<std::pair<std::u16string, int>> keys;
    auto keyOf = [&](size_t i) { return CKey{keys[i].first, keys[i].second}; };
    CNameIndex<CHasher> index(CHasher{});
    for (int i = 0; i < 1000; ++i) {
        keys.emplace_back(u"n" + std::u16string(1, char16_t(u'a' + i % 26)), i % 3);
        index.Insert(keys.size() - 1, keyOf);
    }
    EXPECT_EQ(index.Size(), 78u);  // 26 names in 3 groups
    EXPECT_EQ(index.Find(CKey{u"nb", 1}, keyOf), 1u);
    EXPECT_EQ(index.Find(CKey{u"nb", 2}, keyOf), 53u);  // first i with i % 26 == 1, i % 3 == 2
    index.Clear();
    EXPECT_EQ(index.Find(CKey{u"nb", 1}, keyOf), kNoName);
}

}  // namespace
}  // namespace kq
