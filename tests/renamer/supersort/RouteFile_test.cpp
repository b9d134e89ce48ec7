#include <gtest/gtest.h>

#include <thread>

#include "platform/FileSystem.h"
#include "renamer/supersort/RouteFile.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CScriptedPrompt;
using test::CTempDir;

std::string Hex(std::string_view bytes)
{
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string Unhex(std::string_view hex)
{
    std::string out;
    for (size_t i = 0; i + 1 < hex.size();) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        out.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
        i += 2;
    }
    return out;
}

CSortRouteItem Rule(const std::u16string& name, int64_t time)
{
    CSortRouteItem item;
    item.m_strName = name;
    item.m_nTime = time;
    return item;
}

TEST(RouteFile, StoresTheListByteForByte)
{
    CSortRouteList empty;
    EXPECT_EQ(Hex(RouteBytes(empty)), "01 00 00 00 00 00 00 00");

    CSortRouteList one;
    one.m_aRoutes.push_back(Rule(u"甲", 0x0102030405060708LL));
    EXPECT_EQ(Hex(RouteBytes(one)),
              "01 00 00 00 01 00 00 00 01 00 00 00 FF FE FF 01 32 75 FF FE FF 00 "
              "08 07 06 05 04 03 02 01 01 00 00 00 00 00 00 00");

    CSortRouteList clause;
    clause.m_aRoutes.push_back(Rule(u"", 0));
    CSortRouteClause c;
    c.m_nCombination = 5;
    c.m_nLoopMode = 1;
    c.m_nLoopStart = -1;
    c.m_aConditionMode = {1, 2, 7};
    c.m_aConditionText = {u"a", u"", u"b"};
    clause.m_aRoutes[0].m_aClauses.push_back(c);
    EXPECT_TRUE(Hex(RouteBytes(clause)).ends_with(
              "01 00 00 00 01 00 00 00 01 00 00 00 05 00 00 00 01 00 00 00 FF FF FF FF 0A 00 00 00 01 00 00 00 "
              "FF FE FF 02 31 00 30 00 01 00 00 00 FF FE FF 01 61 00 02 00 00 00 FF FE FF 00 "
              "07 00 00 00 FF FE FF 01 62 00"))
        << Hex(RouteBytes(clause));
}

TEST(RouteFile, StringLengthsTakeTheirRungOfTheLadder)
{
    struct Case {
        size_t length;
        std::string prefix;
    } cases[] = {
        {0, "FF FE FF 00"},
        {254, "FF FE FF FE"},
        {255, "FF FE FF FF FF 00"},
        {300, "FF FE FF FF 2C 01"},
        {65534, "FF FE FF FF FF FF FE FF 00 00"},
        {65535, "FF FE FF FF FF FF FF FF 00 00"},
        {70000, "FF FE FF FF FF FF 70 11 01 00"},
    };
    for (const auto& c : cases) {
        CArchive ar;
        std::u16string text(c.length, u'x');
        ar.WriteString(text);
        const std::string hex = Hex(ar.Bytes());
        EXPECT_EQ(hex.substr(0, c.prefix.size()), c.prefix) << c.length;
        EXPECT_EQ(ar.Bytes().size(), (c.prefix.size() + 1) / 3 + 2 * c.length) << c.length;
        CArchive in(ar.Bytes());
        std::u16string back;
        EXPECT_TRUE(in.ReadString(back));
        EXPECT_EQ(back, text);
        EXPECT_TRUE(in.AtEnd());
    }
}

TEST(RouteFile, ReadsTheSingleByteForm)
{
    struct Case {
        std::string hex;
        std::u16string text;
    } cases[] = {
        {"03 61 62 63", u"abc"},
        {"04 BC D7 D2 D2", u"甲乙"},  // GBK
        {"FF 03 00 61 62 63", u"abc"},
        {"FF FF FF 02 00 00 00 68 69", u"hi"},
        {"00", u""},
    };
    for (const auto& c : cases) {
        const std::string bytes = Unhex(c.hex);  // the archive reads it in place
        CArchive in(bytes);
        std::u16string text;
        EXPECT_TRUE(in.ReadString(text)) << c.hex;
        EXPECT_EQ(text, c.text) << c.hex;
        EXPECT_TRUE(in.AtEnd()) << c.hex;
    }
}

TEST(RouteFile, NewerVersionsAreRefusedWithTheMessage)
{
    CScriptedPrompt prompt;
    CSortRouteList list;
    list.m_aRoutes.push_back(Rule(u"old", 1));
    // The whole list is newer: nothing read, the list stays as it was.
    EXPECT_EQ(ReadRouteBytes(Unhex("02 00 00 00 00 00 00 00"), list), ERouteFileState::Newer);
    EXPECT_EQ(list.GetCount(), 1);
    ASSERT_EQ(prompt.Shown().size(), 1u);
    EXPECT_EQ(prompt.Shown()[0].m_strTitle, u"版本过低");
    EXPECT_EQ(prompt.Shown()[0].m_strText, u"因系统安装的程序版本太低而无法读取，请联系开发商升级！");

    // A newer second rule: the first is kept, reading stops there.
    CSortRouteList two;
    two.m_aRoutes.push_back(Rule(u"a", 5));
    two.m_aRoutes.push_back(Rule(u"b", 6));
    std::string bytes = RouteBytes(two);
    const size_t second = 8 + 30;  // header, then the first rule
    bytes[second] = 9;
    CSortRouteList read;
    EXPECT_EQ(ReadRouteBytes(bytes, read), ERouteFileState::Newer);
    ASSERT_EQ(read.GetCount(), 1);
    EXPECT_EQ(read[0].m_strName, u"a");
}

TEST(RouteFile, DamagedFilesKeepTheRulesReadCompletely)
{
    CScriptedPrompt prompt;
    CSortRouteList two;
    two.m_aRoutes.push_back(Rule(u"a", 5));
    two.m_aRoutes.push_back(Rule(u"b", 6));
    two.m_aRoutes[1].m_aClauses.resize(2);
    const std::string good = RouteBytes(two);
    const size_t firstEnd = 8 + 30;
    struct Case {
        std::string bytes;
        ERouteFileState state;
        int rules;
    } cases[] = {
        {"", ERouteFileState::Damaged, 0},
        {good.substr(0, 6), ERouteFileState::Damaged, 0},
        {good.substr(0, firstEnd), ERouteFileState::Damaged, 1},
        {good.substr(0, good.size() - 1), ERouteFileState::Damaged, 1},
        {good + "x", ERouteFileState::Damaged, 2},
        {Unhex("01 00 00 00 FF FF FF FF"), ERouteFileState::Damaged, 0},  // 2^32-1 rules
        // a rule whose name claims 2^32-1 units
        {Unhex("01 00 00 00 01 00 00 00 01 00 00 00 FF FE FF FF FF FF FF FF FF FF 41 00"), ERouteFileState::Damaged, 0},
        // rules claiming 2^31 (negative) and 2^31-1 clauses
        {Unhex("01 00 00 00 01 00 00 00 01 00 00 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00 00 00 00 80"),
         ERouteFileState::Damaged, 0},
        {Unhex("01 00 00 00 01 00 00 00 01 00 00 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00 FF FF FF 7F"),
         ERouteFileState::Damaged, 0},
        {Unhex("01 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00 00 00 00 00"), ERouteFileState::Damaged,
         0},  // version 0
        {good, ERouteFileState::Complete, 2},
    };
    for (const auto& c : cases) {
        CSortRouteList list;
        EXPECT_EQ(ReadRouteBytes(c.bytes, list), c.state) << Hex(c.bytes);
        EXPECT_EQ(list.GetCount(), c.rules) << Hex(c.bytes);
    }
    EXPECT_TRUE(prompt.Shown().empty());
}

TEST(RouteFile, SavedStoreReadsBackEqualAndLeavesNoTemporaryFile)
{
    CTempDir dir;
    CSortRouteList list;
    list.AddRoute(u"甲", u"说明\n第二行");
    CSortRouteClause clause;
    clause.m_nCombination = 6;
    clause.m_nLoopMode = 2;
    clause.m_nLoopStep = -3;
    clause.m_strWeight = u"=i*2";
    clause.m_aConditionText = {u"=\"x\"&i", std::u16string(300, u'长'), u""};
    list[0].m_aClauses.push_back(clause);
    list.AddRoute(u"", u"");
    list[1].m_nOrigin = 3;

    const std::u16string path = dir.Child(u"supsort.cfg");
    dir.MakeFile(u"supsort.cfg", "old contents that are longer than nothing");
    ASSERT_TRUE(SaveRouteFile(path, list));
    EXPECT_EQ(dir.List(), std::vector<std::u16string>{u"supsort.cfg"});
    CSortRouteList back;
    ERouteFileState state = ERouteFileState::Missing;
    ASSERT_TRUE(LoadRouteFile(path, back, &state));
    EXPECT_EQ(state, ERouteFileState::Complete);
    EXPECT_EQ(back.m_aRoutes, list.m_aRoutes);

    // A folder cannot be replaced: the save fails and leaves nothing behind.
    dir.MakeFolder(u"sub/supsort.cfg");
    EXPECT_FALSE(SaveRouteFile(dir.Child(u"sub/supsort.cfg"), list));
    EXPECT_EQ(dir.List(u"sub"), std::vector<std::u16string>{u"supsort.cfg"});
    EXPECT_FALSE(LoadRouteFile(dir.Child(u"missing.cfg"), back, &state));
    EXPECT_EQ(state, ERouteFileState::Missing);
}

TEST(RouteStore, KeepsADamagedStoreOnceBeforeOverwritingIt)
{
    CScriptedPrompt prompt;
    CTempDir dir;
    CSortRouteList two;
    two.AddRoute(u"a", u"");
    two.AddRoute(u"b", u"");
    const std::string good = RouteBytes(two);
    const std::string damaged = good.substr(0, good.size() - 3);
    dir.MakeFile(u"supsort.cfg", damaged);
    dir.MakeFile(u"supsort.cfg.bak", "an older copy");

    CRouteStore store(dir.Child(u"supsort.cfg"));
    CSortRouteList list;
    EXPECT_EQ(store.Load(list), ERouteFileState::Damaged);
    EXPECT_EQ(list.GetCount(), 1);
    ASSERT_TRUE(store.Save(list));
    ASSERT_TRUE(store.Save(list));
    EXPECT_EQ(store.BackupPath(), dir.Child(u"supsort.cfg.bak2"));
    EXPECT_EQ(dir.ReadFile(u"supsort.cfg.bak2"), damaged);
    EXPECT_EQ(dir.ReadFile(u"supsort.cfg.bak"), "an older copy");
    EXPECT_EQ(dir.ReadFile(u"supsort.cfg"), RouteBytes(list));
    ASSERT_EQ(prompt.Shown().size(), 1u);
    EXPECT_EQ(prompt.Shown()[0].m_strText, StoreBackupText(store.Path(), store.BackupPath()));

    // A complete store is simply replaced, with no copy and no message.
    prompt.Clear();
    CRouteStore again(dir.Child(u"supsort.cfg"));
    EXPECT_EQ(again.Load(list), ERouteFileState::Complete);
    ASSERT_TRUE(again.Save(list));
    EXPECT_TRUE(again.BackupPath().empty());
    EXPECT_TRUE(prompt.Shown().empty());
    EXPECT_EQ(dir.List().size(), 4u);  // the store, its lock file and the two copies
}

TEST(RouteStore, MovesAStoreThatCannotBeReadAsideInsteadOfLosingIt)
{
    CScriptedPrompt prompt;
    CTempDir dir;
    dir.MakeFolder(u"supsort.cfg");  // not a regular file
    CRouteStore store(dir.Child(u"supsort.cfg"));
    CSortRouteList list;
    EXPECT_EQ(store.Load(list), ERouteFileState::Unreadable);
    list.AddRoute(u"new", u"");
    ASSERT_TRUE(store.Save(list));
    EXPECT_TRUE(IsFolder(dir.Child(u"supsort.cfg.bak")));
    CSortRouteList back;
    EXPECT_TRUE(LoadRouteFile(dir.Child(u"supsort.cfg"), back));
    EXPECT_EQ(back.GetCount(), 1);
    EXPECT_EQ(prompt.Shown().size(), 1u);
}

// Two writers reading, changing and writing the store back under the lock:
// neither loses the other's rules.
TEST(RouteStore, LockedReadModifyWritesKeepEveryRule)
{
    CTempDir dir;
    const std::u16string path = dir.Child(u"supsort.cfg");
    constexpr int kRounds = 25;
    auto writer = [&](char16_t tag, bool* ok) {
        for (int n = 0; n < kRounds; ++n) {
            CRouteStore store(path);
            CSortRouteList list;
            if (!store.Lock()) return;
            store.Load(list);
            list.AddRoute(std::u16string(1, tag) + std::u16string(1, char16_t(u'a' + n)), u"");
            if (!store.Save(list)) return;
            store.Unlock();
        }
        *ok = true;
    };
    bool okA = false, okB = false;
    std::thread a(writer, u'A', &okA), b(writer, u'B', &okB);
    a.join();
    b.join();
    EXPECT_TRUE(okA);
    EXPECT_TRUE(okB);
    CSortRouteList list;
    ASSERT_TRUE(LoadRouteFile(path, list));
    EXPECT_EQ(list.GetCount(), 2 * kRounds);
}

TEST(RouteStore, LockWaitsForTheHolderAndGivesUp)
{
    CTempDir dir;
    CRouteStore holder(dir.Child(u"supsort.cfg")), other(dir.Child(u"supsort.cfg"));
    ASSERT_TRUE(holder.Lock());
    other.SetLockWaitMs(30);
    EXPECT_FALSE(other.Lock());
    CSortRouteList list;
    list.AddRoute(u"a", u"");
    EXPECT_FALSE(other.Save(list));  // a save waits for the lock too
    EXPECT_FALSE(PathExists(dir.Child(u"supsort.cfg")));
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        holder.Unlock();
    });
    other.SetLockWaitMs(CRouteStore::kLockWaitMs);
    EXPECT_TRUE(other.Lock());
    release.join();
    EXPECT_TRUE(other.Save(list));
    EXPECT_TRUE(other.IsLocked());  // a Save under Lock leaves it held

    // A folder that is not there cannot hold a lock file: no wait.
    CRouteStore nowhere(dir.Child(u"none/supsort.cfg"));
    EXPECT_FALSE(nowhere.Lock());
}

}  // namespace
}  // namespace kq
