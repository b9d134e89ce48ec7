#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "FormulaRows.h"
#include "formula/functions/FileBase.h"
#include "platform/Clock.h"
#include "platform/Crt.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CFormulaRow;
using test::CheckRows;

std::u16string Quoted(const std::u16string& text) { return u"\"" + text + u"\""; }

TEST(FileTimeFunctions, PathPartsOfTypedPaths)
{
    const CFormulaRow rows[] = {
        {u"filename(\"/a/b.c.txt\")", u"\"b.c.txt\""},
        {u"filepath(\"/a/b.c.txt\")", u"\"/a/\""},
        {u"pathname(\"/a/b.c.txt\")", u"\"/a/b.c.txt\""},
        {u"filetitle(\"/a/b.c.txt\")", u"\"b\""},
        {u"fileext(\"/a/b.c.txt\")", u"\"c.txt\""},
        {u"fileext(\"/a/readme\")", u"\"\""},
        {u"filetitle(\"/a/readme\")", u"\"readme\""},
        {u"filename(\"readme.txt\")", u"\"readme.txt\""},
        {u"filepath(\"readme.txt\")", u"\"readme.txt\""},
        {u"fileroot(\"C:\\a\\b.c.txt\")", u"\"C\""},
        {u"fileroot(\"//server/share\")", u"\"\""},
        {u"fileroot(\"C:\")", u"\"\""},
        {u"FileName(\"/x/y\")", u"\"y\""},
    };
    CheckRows(rows);
}

TEST(FileTimeFunctions, FileFactsOfRealFiles)
{
    test::CTempDir dir;
    dir.MakeFile(u"lines.txt", "x\ny\nz\n");
    dir.MakeFile(u"empty.txt", "");
    const std::u16string lines = Quoted(dir.Child(u"lines.txt"));
    const std::u16string empty = Quoted(dir.Child(u"empty.txt"));
    const std::u16string missing = Quoted(dir.Child(u"missing.txt"));
    const std::u16string mtime = FormatInt(CFileBase::Base_GetFileTimeM(dir.Child(u"lines.txt")));
    const CFormulaRow rows[] = {
        {u"filesize(" + lines + u")", u"6"},
        {u"filesize(" + missing + u")", u"-1"},
        {u"filesize(" + Quoted(dir.Path()) + u")", u"-1"},
        {u"filelinecount(" + lines + u")", u"3"},
        {u"filelinecount(" + empty + u")", u"0"},
        {u"filelinecount(" + missing + u")", u"-1"},
        {u"filelineindex(" + lines + u",1)", u"\"x\""},
        {u"filelineindex(" + lines + u",3)", u"\"z\""},
        {u"filelineindex(" + lines + u",4)", u"\"x\""},
        {u"filelineindex(" + lines + u",0)", u"\"\""},
        {u"filelineindex(" + lines + u",-4)", u"\"\""},
        {u"filelineindex(" + empty + u",1)", u"\"\""},   // no lines to wrap around
        {u"filelineindex(" + missing + u",1)", u"\"\""},
        {u"filetimem(" + lines + u")", mtime},
        {u"filetimem(" + Quoted(test::PlatformPath(dir.Child(u"l*.txt"))) + u")", mtime},  // a real path: kept as it is
        {u"filetimem(" + missing + u")", u"0"},
        {u"filetimec(" + missing + u")", u"0"},
        {u"filetimea(" + missing + u")", u"0"},
        {u"filetimea(" + lines + u")>1500000000", u"TRUE"},
        {u"filetimec(" + lines + u")>1500000000", u"TRUE"},
    };
    CheckRows(rows);
}

TEST(FileTimeFunctions, SizesBeyondTheIntegerRangeAreExactRealNumbers)
{
    test::CTempDir dir;
    // Sparse files: the sizes cost no disk.
    const struct {
        const char16_t* name;
        long long size;
        const char16_t* output;
    } rows[] = {
        {u"max.bin", 2147483647LL, u"2147483647"},
        {u"two.bin", 2147483648LL, u"2147483648"},
        {u"five.bin", 5368709121LL, u"5368709121"},
    };
    for (const auto& row : rows) {
        dir.MakeFile(row.name, "");
        std::filesystem::resize_file(std::filesystem::path(dir.Child(row.name)), uint64_t(row.size));
        const test::CEvalResult r = test::Evaluate(u"filesize(" + Quoted(dir.Child(row.name)) + u")");
        EXPECT_EQ(r.m_nCode, kAnalyseOk);
        EXPECT_EQ(ToUtf8(r.m_strOutput), ToUtf8(row.output));
    }
}

TEST(FileTimeFunctions, CalendarFieldsInTheLocalTimeZone)
{
    test::CScopedEnv tz("TZ", "UTC0");
    const CFormulaRow rows[] = {
        {u"year(0)", u"1970"},
        {u"month(86400*40)", u"2"},
        {u"day(86400*40)", u"10"},
        {u"hour(3600*5+60*7+9)", u"5"},
        {u"minute(3600*5+60*7+9)", u"7"},
        {u"second(3600*5+60*7+9)", u"9"},
        {u"week(0)", u"5"},
        {u"week(86400*3)", u"1"},
        {u"year(2147483647)", u"2038"},
        {u"year(-1)", u"0"},
        {u"month(-1)", u"0"},
        {u"day(-1)", u"0"},
        {u"week(-1)", u"0"},
        {u"hour(-1)", u"-1"},
        {u"minute(-1)", u"-1"},
        {u"second(-1)", u"-1"},
    };
    CheckRows(rows);

    test::CScopedEnv east("TZ", "CST-8");
    const CFormulaRow eastRows[] = {{u"hour(0)", u"8"}, {u"year(0)", u"1970"}};
    CheckRows(eastRows);
    test::CScopedEnv west("TZ", "EST5");
    const CFormulaRow westRows[] = {{u"hour(0)", u"19"}, {u"year(0)", u"1969"}, {u"day(0)", u"31"}};
    CheckRows(westRows);
}

TEST(FileTimeFunctions, TimeFormatAndItsRefusedFormats)
{
    test::CScopedEnv tz("TZ", "UTC0");
    const CFormulaRow rows[] = {
        {u"timeformat(86400*40,\"%Y-%m-%d\")", u"\"1970-02-10\""},
        {u"timeformat(3600*5+60*7+9,\"%H:%M:%S\")", u"\"05:07:09\""},
        {u"timeformat(0,\"%Y年%m月%d日\")", u"\"1970年01月01日\""},
        {u"timeformat(0,\"%A %B %%\")", u"\"Thursday January %\""},
        {u"timeformat(0,\"%Ey\")", u"\"70\""},
        {u"timeformat(0,rept(\"x\",127))", Quoted(std::u16string(127, u'x'))},
        {u"timeformat(0,rept(\"x\",128))", u"\"\""},
        {u"timeformat(0,\"\")", u"\"\""},
        {u"timeformat(-1,\"%Y\")", u"\"\""},
        // Formats the formatter refuses give the empty text.
        {u"timeformat(0,\"%Q\")", u"\"\""},
        {u"timeformat(0,\"abc%\")", u"\"\""},
        {u"timeformat(0,\"%Ez\")", u"\"\""},
        {u"timeformat(0,\"%#d\")", u"\"\""},
    };
    CheckRows(rows);
}

TEST(FileTimeFunctions, CurrentTimeIsNow)
{
    test::CEvalResult r = test::Evaluate(u"curtime()");
    ASSERT_EQ(r.m_nCode, kAnalyseOk);
    EXPECT_LE(std::llabs(Wtoi(r.m_strOutput) - CurrentTime()), 5);
}

TEST(FileTimeFunctions, ClipboardItems)
{
    {
        test::CScopedClipboard clip(u"a\r\nb\r\n");
        const CFormulaRow rows[] = {
            {u"clip()", u"\"a\r\nb\r\n\""}, {u"clipcount()", u"3"},    {u"clipindex(1)", u"\"a\""},
            {u"clipindex(2)", u"\"b\""},    {u"clipindex(3)", u"\"\""}, {u"clipindex(4)", u"\"a\""},
            {u"clipindex(0)", u"\"\""},     {u"clipindex(-1)", u"\"\""},
        };
        CheckRows(rows);
    }
    test::CScopedClipboard none;
    const CFormulaRow rows[] = {{u"clip()", u"\"\""}, {u"clipcount()", u"1"}, {u"clipindex(1)", u"\"\""}};
    CheckRows(rows);
}

TEST(FileTimeFunctions, IndexTexts)
{
    const CFormulaRow rows[] = {
        {u"china(1,0)", u"\"一\""},
        {u"china(12,1)", u"\"拾贰\""},
        {u"china(121,\"1\")", u"\"壹佰贰拾壹\""},
        {u"china(0,0)", u"\"\""},
        {u"china(-2147483647,0)", u"\"\""},
        {u"alpha(1,0)", u"\"a\""},
        {u"alpha(26,0)", u"\"z\""},
        {u"alpha(27,1)", u"\"AA\""},
        {u"alpha(0,1)", u"\"\""},
        {u"strindex(7,3)", u"\"007\""},
        {u"strindex(1234,2)", u"\"1234\""},
        {u"strindex(-5,4)", u"\"00-5\""},
        {u"strindex(0,-3)", u"\"0\""},
        {u"len(strindex(1,2147483647))", u"32767"},
    };
    CheckRows(rows);
}

}  // namespace
}  // namespace kq
