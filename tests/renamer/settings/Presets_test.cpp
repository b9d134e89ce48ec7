// Presets: the file keeps each preset's mode and page, the list merges and
// renames by its rules, and the store never loses a damaged file.
#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "renamer/settings/Presets.h"
#include "SettingsTestSupport.h"
#include "support/TestSupport.h"

namespace kq::settings {
namespace {

using test::CScriptedPrompt;
using test::CTempDir;

CPreset Preset(std::u16string name, int mode, std::u16string text = u"x")
{
    CPreset preset;
    preset.m_strName = std::move(name);
    preset.m_nMode = mode;
    preset.m_fields.m_advanced.m_strMacro = text;
    return preset;
}

std::vector<std::u16string> Names(const CPresetList& list)
{
    std::vector<std::u16string> names;
    for (const CPreset& preset : list.Items()) names.push_back(preset.m_strName);
    return names;
}

TEST(Presets, EachPresetKeepsItsModeItsPageAndKeepExtension)
{
    const CModeFields unusual = UnusualFields();
    CPresetList saved;
    for (int mode = 0; mode < kModeCount; ++mode) {
        CPreset preset;
        preset.m_strName = u"预设 [" + std::u16string(1, char16_t(u'0' + mode)) + u"]=\\";
        preset.m_nMode = mode;
        preset.m_bKeepExtension = mode % 2 == 0;
        preset.m_fields = unusual;
        saved.Put(preset);
    }
    CPresetList read;
    ASSERT_TRUE(ReadPresetBytes(PresetBytes(saved), read));
    ASSERT_EQ(Names(read), Names(saved));
    for (int mode = 0; mode < kModeCount; ++mode) {
        const CPreset& preset = read.Items()[size_t(mode)];
        EXPECT_EQ(preset.m_nMode, mode);
        EXPECT_EQ(preset.m_bKeepExtension, mode % 2 == 0);
        // The preset's own page as saved, the other pages at their defaults.
        CModeFields expected;
        switch (mode) {
        case 0: expected.m_simple = unusual.m_simple; break;
        case 1: expected.m_enhanced = unusual.m_enhanced; break;
        case 2: expected.m_list = unusual.m_list; break;
        case 3: expected.m_advanced = unusual.m_advanced; break;
        case 4: expected.m_formula = unusual.m_formula; break;
        }
        ExpectSameFields(preset.m_fields, expected);
    }
}

TEST(Presets, ReadingSkipsWhatCannotBeAppliedAndTheLaterOfTwoNamesStands)
{
    const std::string text =
        "KQTools presets 3\n"
        "stray=1\n"
        "[preset]\nname=好\nmode=advanced\nadvanced.template=a\nfuture=1\n"
        "[preset]\nmode=formula\n"                     // no name
        "[preset]\nname=坏\nmode=unknown\n"            // no such mode
        "[preset]\nname=\\x01\nmode=simple\n"          // a name no one could type
        "[other]\nname=别\nmode=simple\n"              // not a preset
        "[preset]\nname=  \nmode=list\n"               // blank name
        "[preset]\nname=好\nmode=advanced\nadvanced.template=b\n";
    CPresetList read;
    ASSERT_TRUE(ReadPresetBytes(text, read));
    ASSERT_EQ(Names(read), std::vector<std::u16string>{u"好"});
    EXPECT_EQ(read.Items()[0].m_fields.m_advanced.m_strMacro, u"b");
    EXPECT_TRUE(read.Items()[0].m_bKeepExtension);

    for (const char* bad : {"", "KQTools settings 1\n", "KQTools presets 1\n[preset\n", "KQTools presets 1\nname\n"})
        EXPECT_FALSE(ReadPresetBytes(bad, read)) << bad;
}

TEST(Presets, NamesAreTrimmedAndChecked)
{
    struct {
        std::u16string typed;
        std::u16string kept;  // "" when refused
    } cases[] = {
        {u"照片", u"照片"},
        {u"  两边有空格\t", u"两边有空格"},
        {u"", u""},
        {u" \t ", u""},
        {u"换\n行", u""},
        {std::u16string(kPresetNameLimit, u'名'), std::u16string(kPresetNameLimit, u'名')},
        {std::u16string(kPresetNameLimit + 1, u'名'), u""},
    };
    for (const auto& c : cases) {
        std::u16string name = c.typed;
        const std::u16string error = CheckPresetName(name);
        EXPECT_EQ(error.empty(), !c.kept.empty());
        if (error.empty()) {
            EXPECT_EQ(name, c.kept);
        }
    }
}

TEST(Presets, RenameRemoveAndPutFollowTheNames)
{
    CPresetList list;
    list.Put(Preset(u"a", 3, u"1"));
    list.Put(Preset(u"b", 4));
    list.Put(Preset(u"a", 3, u"2"));  // replaces in place
    EXPECT_EQ(Names(list), (std::vector<std::u16string>{u"a", u"b"}));
    EXPECT_EQ(list.Find(u"a")->m_fields.m_advanced.m_strMacro, u"2");

    using R = CPresetList::ERename;
    EXPECT_EQ(list.Rename(u"a", u"b"), R::Taken);
    EXPECT_EQ(list.Rename(u"zz", u"c"), R::Missing);
    EXPECT_EQ(list.Rename(u"a", u" "), R::BadName);
    EXPECT_EQ(list.Rename(u"a", u"a"), R::Done);
    EXPECT_EQ(list.Rename(u"a", u" c "), R::Done);
    EXPECT_EQ(Names(list), (std::vector<std::u16string>{u"c", u"b"}));
    EXPECT_TRUE(list.Remove(u"c"));
    EXPECT_FALSE(list.Remove(u"c"));
    EXPECT_EQ(Names(list), std::vector<std::u16string>{u"b"});
}

TEST(Presets, MergeReplacesOrRenamesClashes)
{
    CPresetList stored;
    stored.Put(Preset(u"a", 3, u"old"));
    stored.Put(Preset(u"a (2)", 3, u"old2"));
    CPresetList imported;
    imported.Put(Preset(u"new", 4));
    imported.Put(Preset(u"a", 3, u"imported"));
    EXPECT_EQ(stored.Clashes(imported), std::vector<std::u16string>{u"a"});

    CPresetList replaced = stored;
    EXPECT_EQ(replaced.Merge(imported, EPresetClash::Replace), 2u);
    EXPECT_EQ(Names(replaced), (std::vector<std::u16string>{u"a", u"a (2)", u"new"}));
    EXPECT_EQ(replaced.Find(u"a")->m_fields.m_advanced.m_strMacro, u"imported");

    CPresetList renamed = stored;
    EXPECT_EQ(renamed.Merge(imported, EPresetClash::Rename), 2u);
    EXPECT_EQ(Names(renamed), (std::vector<std::u16string>{u"a", u"a (2)", u"new", u"a (3)"}));
    EXPECT_EQ(renamed.Find(u"a")->m_fields.m_advanced.m_strMacro, u"old");
    EXPECT_EQ(renamed.Find(u"a (3)")->m_fields.m_advanced.m_strMacro, u"imported");
}

TEST(Presets, TheStoreAndExportedFilesReadBackAndAStuckStoreIsKept)
{
    CTempDir dir;
    const std::u16string path = dir.Child(u"KQToolsPresets.conf");
    CPresetStore store(path);
    CPresetList list;
    CScriptedPrompt prompt;
    EXPECT_EQ(store.Load(list), EStoreLoad::Missing);
    list.Put(Preset(u"one", 4));
    ASSERT_TRUE(store.Save(list));
    EXPECT_EQ(store.Load(list), EStoreLoad::Loaded);
    EXPECT_EQ(Names(list), std::vector<std::u16string>{u"one"});

    // Exported and imported whole; a file that is no presets file is left alone.
    ASSERT_TRUE(ExportPresets(dir.Child(u"out.kqpresets"), list));
    CPresetList imported;
    EXPECT_EQ(ReadPresetFile(dir.Child(u"out.kqpresets"), imported), EImportRead::Done);
    EXPECT_EQ(Names(imported), std::vector<std::u16string>{u"one"});
    dir.MakeFile(u"notes.txt", "hello");
    EXPECT_EQ(ReadPresetFile(dir.Child(u"notes.txt"), imported), EImportRead::NotPresets);
    EXPECT_EQ(ReadPresetFile(dir.Child(u"missing"), imported), EImportRead::Unreadable);
    EXPECT_EQ(dir.ReadFile(u"notes.txt"), "hello");
    EXPECT_TRUE(prompt.Shown().empty());

    // A store that could be neither read nor moved aside is never written
    // over (setting aside itself is StoreFile's, tested there).
    for (int n = 1; n < 1000; ++n)
        dir.MakeFile(u"KQToolsPresets.conf.damaged" + (n == 1 ? u"" : FromAscii(std::to_string(n))), "");
    dir.MakeFile(u"KQToolsPresets.conf", "damaged");
    EXPECT_EQ(store.Load(list), EStoreLoad::Stuck);
    EXPECT_EQ(prompt.Shown().size(), 1u);
    list.Put(Preset(u"two", 4));
    EXPECT_FALSE(store.Save(list));
    EXPECT_EQ(dir.ReadFile(u"KQToolsPresets.conf"), "damaged");
}

}  // namespace
}  // namespace kq::settings
