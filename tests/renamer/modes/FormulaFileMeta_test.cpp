#include <gtest/gtest.h>

#include "formula/filemeta/FileMetaCache.h"
#include "renamer/list/FileNameList.h"
#include "renamer/modes/FormulaNaming.h"
#include "renamer/modes/FormulaPresets.h"
#include "support/MediaSamples.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

// The three ready-made formulas that read inside the files, on a list of
// real files: the names come from the photos' dates, the songs' tags and
// the contents.
TEST(FormulaFileMeta, ReadyMadeFormulasNameFilesFromTheirContents)
{
    if (!test::HaveImageLibrary() || !test::HaveAudioLibrary()) GTEST_SKIP() << "built without the metadata libraries";
    test::CScopedEnv tz("TZ", "UTC0");
    test::CTempDir dir;
    dir.MakeFile(u"IMG_0001.jpg", test::MakeJpeg(64, 48));
    ASSERT_TRUE(test::WriteImageTags(ToUtf8(dir.Child(u"IMG_0001.jpg")), {{"Exif.Photo.DateTimeOriginal", "2021:07:08 09:10:11"}}));
    dir.MakeFile(u"IMG_0002.jpg", test::MakeJpeg(64, 48));  // no date
    dir.MakeFile(u"track.mp3", test::MakeMp3(1));
    ASSERT_TRUE(test::WriteAudioTags(ToUtf8(dir.Child(u"track.mp3")), {{"ARTIST", "王菲"}, {"TITLE", "红豆"}}));
    dir.MakeFile(u"abc.txt", "abc");

    CFileNameList list;
    for (const char16_t* name : {u"IMG_0001.jpg", u"IMG_0002.jpg", u"track.mp3", u"abc.txt"}) list.AddRow(dir.Path(), name);
    const std::span<const CExpressionPreset> presets = FormulaPresets();
    const struct {
        size_t m_nPreset;
        std::vector<std::u16string> m_aNames;
    } rows[] = {
        {15, {u"20210708_091011.jpg", u"IMG_0002.jpg", u"track.mp3", u"abc.txt"}},
        {16, {u" - .jpg", u" - .jpg", u"王菲 - 红豆.mp3", u" - .txt"}},
        {17, {u"", u"", u"", u"ba7816bf8f01.txt"}},  // the others: their own 12 digits
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(presets[row.m_nPreset].m_strExpression));
        CEfFields fields;
        fields.m_strFormula = presets[row.m_nPreset].m_strExpression;
        fields.FillNewNames(list, true);
        for (int r = 0; r < 4; ++r) {
            const std::u16string& name = list.GetText(r, kColNewName);
            if (row.m_aNames[size_t(r)].empty()) {
                EXPECT_EQ(name.find(u'.'), 12u) << ToUtf8(name);
            } else {
                EXPECT_EQ(ToUtf8(name), ToUtf8(row.m_aNames[size_t(r)]));
            }
        }
    }
}

TEST(FormulaFileMeta, TheListIsReadAheadAndAChangedFileAgain)
{
    if (!test::HaveAudioLibrary()) GTEST_SKIP() << "built without the metadata libraries";
    test::CTempDir dir;
    CFileNameList list;
    for (int i = 0; i < 30; ++i) {
        const std::u16string name = FromUtf8("s" + std::to_string(i) + ".mp3");
        dir.MakeFile(name, test::MakeMp3(1));
        ASSERT_TRUE(test::WriteAudioTags(ToUtf8(dir.Child(name)), {{"TITLE", "t" + std::to_string(i)}}));
        list.AddRow(dir.Path(), name);
    }
    CFileMetaCache& cache = CFileMetaCache::Shared();
    cache.Clear();
    const uint64_t before = cache.GetOpenCount();
    CEfFields fields;
    fields.m_strFormula = u"mediatag(\"title\")&\"_\"&mediaduration()";
    fields.FillNewNames(list, false);
    EXPECT_EQ(ToUtf8(list.GetText(29, kColNewName)), "t29_1");
    EXPECT_EQ(cache.GetOpenCount() - before, 30u) << "each file once, however many functions";
    fields.m_strFormula = u"mediatag(\"title\")";  // the next keystroke
    fields.FillNewNames(list, false);
    EXPECT_EQ(cache.GetOpenCount() - before, 30u);

    // A tag edited on disk shows in the next pass.
    ASSERT_TRUE(test::WriteAudioTags(ToUtf8(dir.Child(u"s0.mp3")), {{"TITLE", "new title"}}));
    fields.FillNewNames(list, false);
    EXPECT_EQ(ToUtf8(list.GetText(0, kColNewName)), "new title");
    EXPECT_EQ(cache.GetOpenCount() - before, 31u);

    // A formula without these functions reads nothing.
    fields.m_strFormula = u"Upper(Fname())";
    fields.FillNewNames(list, false);
    EXPECT_EQ(cache.GetOpenCount() - before, 31u);
}

}  // namespace
}  // namespace kq
