#include <gtest/gtest.h>

#include <string>

#include "FormulaRows.h"
#include "formula/engine/FileNameStringAnalyse.h"
#include "formula/filemeta/FileMetaCache.h"
#include "formula/functions/FileMetaFunctions.h"
#include "formula/functions/FunctionTable.h"
#include "support/MediaSamples.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

// The files the help's examples describe, each under the name its function
// reads.
class FileMetaRow : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::HaveImageLibrary() || !test::HaveAudioLibrary()) GTEST_SKIP() << "built without the metadata libraries";
        m_dir.MakeFile(u"photo.jpg", test::MakeJpeg(4000, 3000));
        ASSERT_TRUE(test::WriteImageTags(ToUtf8(m_dir.Child(u"photo.jpg")),
                                         {{"Exif.Photo.DateTimeOriginal", "2023:05:01 14:25:30"},
                                          {"Exif.Image.Model", "KQ-100"},
                                          {"Exif.Image.Orientation", "6"}}));
        m_dir.MakeFile(u"song.mp3", test::MakeMp3(3.2));
        ASSERT_TRUE(test::WriteAudioTags(ToUtf8(m_dir.Child(u"song.mp3")), {{"ARTIST", "Alice"}, {"TITLE", "Song"}}));
        m_dir.MakeFile(u"report.pdf", test::MakePdf(2, {{"Title", "Report"}}));
        m_dir.MakeFile(u"abc.txt", "abc");
    }

    test::CEvalResult Row(std::u16string_view file, const std::u16string& formula)
    {
        CFileNameStringAnalyse engine;
        engine.m_strFilePath = m_dir.Path();
        engine.m_strFileName = file;
        engine.SetInputString(formula);
        test::CEvalResult r;
        r.m_nCode = engine.DoAnalyse();
        r.m_strOutput = engine.GetOutputString();
        r.m_strError = engine.GetAnalyseErrorInfo();
        return r;
    }

    test::CTempDir m_dir;
    test::CScopedEnv m_tz{"TZ", "UTC0"};
};

// The help reference shows each entry's example with the file it describes.
TEST_F(FileMetaRow, EveryExampleGivesItsStatedResult)
{
    const struct {
        const char16_t* m_szFunction;
        const char16_t* m_szFile;
    } files[] = {{u"exifdate", u"photo.jpg"},     {u"exiftag", u"photo.jpg"}, {u"imagewidth", u"photo.jpg"},
                 {u"imageheight", u"photo.jpg"},  {u"mediatag", u"song.mp3"}, {u"mediaduration", u"song.mp3"},
                 {u"doctag", u"report.pdf"},      {u"filehash", u"abc.txt"}};
    ASSERT_EQ(kq::FileMetaFunctions().size(), std::size(files));
    for (size_t i = 0; i < std::size(files); ++i) {
        const CFunctionInfo& f = kq::FileMetaFunctions()[i];
        ASSERT_EQ(f.m_strName, files[i].m_szFunction);
        const std::u16string_view example = f.m_strExample;
        const size_t arrow = example.find(u" → ");
        ASSERT_NE(arrow, std::u16string_view::npos);
        SCOPED_TRACE(ToUtf8(example));
        test::CEvalResult r = Row(files[i].m_szFile, std::u16string(example.substr(0, arrow)));
        EXPECT_EQ(r.m_nCode, kAnalyseOk) << ToUtf8(r.m_strError);
        EXPECT_EQ(ToUtf8(r.m_strOutput), ToUtf8(example.substr(arrow + 3)));
    }
}

TEST_F(FileMetaRow, AbsentValuesLetAFormulaFallBack)
{
    const struct {
        const char16_t* m_szFile;
        const char16_t* m_szFormula;
        const char16_t* m_szOutput;
    } rows[] = {
        {u"photo.jpg", u"if(exifdate()>0,timeformat(exifdate(),\"%Y-%m-%d\"),ftitle())", u"\"2023-05-01\""},
        {u"song.mp3", u"if(exifdate()>0,timeformat(exifdate(),\"%Y-%m-%d\"),ftitle())", u"\"song\""},
        {u"missing.jpg", u"exifdate()&\",\"&imagewidth()&\",\"&mediaduration()", u"\"0,0,0\""},
        {u"song.mp3", u"MediaTag(\"ARTIST\")", u"\"Alice\""},  // names and keys in any case
        {u"song.mp3", u"mediatag(\"singer\")", u"\"\""},        // an unknown key is only absent
        {u"report.pdf", u"doctag(\"TITLE\")&doctag(\"colour\")", u"\"Report\""},
        {u"photo.jpg", u"exiftag(\"Exif.Image.NoSuchTag\")", u"\"\""},
        {u"abc.txt", u"len(filehash(\"SHA256\"))&\" \"&len(filehash(\"xxh64\"))", u"\"64 16\""},
        {u"missing.txt", u"filehash(\"md5\")", u"\"\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(row.m_szFormula));
        test::CEvalResult r = Row(row.m_szFile, row.m_szFormula);
        EXPECT_EQ(r.m_nCode, kAnalyseOk) << ToUtf8(r.m_strError);
        EXPECT_EQ(ToUtf8(r.m_strOutput), ToUtf8(row.m_szOutput));
    }
}

TEST_F(FileMetaRow, UnknownHashAlgorithmIsRefused)
{
    for (std::u16string_view file : {u"abc.txt", u"missing.txt", u""}) {
        test::CEvalResult r = Row(file, u"filehash(\"sha3\")");
        EXPECT_EQ(r.m_nCode, kAnalyseBadArgument);
        EXPECT_EQ(ToUtf8(r.m_strError), "函数filehash的算法“sha3”未知，可用的算法为md5、sha1、sha256、sha512、crc32、xxh64");
    }
}

TEST(FileMetaFunctionsWithoutRow, AnEngineWithoutAFileGivesAbsentValues)
{
    // Super-sort weights and nested formulas have no row: nothing is read.
    const test::CFormulaRow rows[] = {
        {u"exifdate()+imagewidth()+imageheight()+mediaduration()", u"0"},
        {u"exiftag(\"Exif.Image.Model\")&mediatag(\"title\")&doctag(\"title\")&filehash(\"md5\")", u"\"\""},
        {u"strcal(\"exifdate()\")", u"\"0\""},
    };
    test::CheckRows(rows);
}

TEST(FileMetaFunctionsRequest, AFormulaNamesWhatItReads)
{
    const struct {
        const char16_t* m_szFormula;
        bool m_bImage, m_bMedia, m_bDocument;
        uint8_t m_nHashes;
        std::vector<std::string> m_aKeys;
    } rows[] = {
        {u"Upper(Fname())", false, false, false, 0, {}},
        {u"=timeformat(exifdate(),\"%Y\")", true, false, false, 0, {}},
        {u"ImageWidth()&\"x\"&imageheight()", true, false, false, 0, {}},
        {u"mediatag(\"artist\")&\" - \"&mediatag(\"title\")", false, true, false, 0, {}},
        {u"mediaduration()", false, true, false, 0, {}},
        {u"doctag(\"pages\")", false, false, true, 0, {}},
        {u"filehash(\"md5\")&filehash(\"crc32\")&filehash(\"bogus\")", false, false, false,
         uint8_t(1u << int(EHashAlgorithm::Md5) | 1u << int(EHashAlgorithm::Crc32)), {}},
        {u"filehash(fext())", false, false, false, 0, {}},  // known only per row
        {u"exiftag(\"Exif.Image.Model\")&exiftag(\"Exif.Image.Model\")&exiftag(\"Bad.Key\")", false, false, false, 0,
#ifdef _WIN32
         {}},  // no photo reader here, so no key is known
#else
         {"Exif.Image.Model"}},
#endif
        {u"exifdate(", false, false, false, 0, {}},  // a formula that does not parse reads nothing
        {u"\"exifdate()\"", false, false, false, 0, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(row.m_szFormula));
        const CFileMetaRequest need = FileMetaRequestOf(row.m_szFormula);
        EXPECT_EQ(need.m_bImage, row.m_bImage);
        EXPECT_EQ(need.m_bMedia, row.m_bMedia);
        EXPECT_EQ(need.m_bDocument, row.m_bDocument);
        EXPECT_EQ(need.m_nHashes, row.m_nHashes);
        EXPECT_EQ(need.m_aExifKeys, row.m_aKeys);
    }
}

}  // namespace
}  // namespace kq
