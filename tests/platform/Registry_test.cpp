#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/Registry.h"
#include "platform/Text.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CScopedEnv;
using test::CTempDir;

#ifndef _WIN32
// Windows reads its real registry; Registry_Windows_test.cpp writes keys
// there and checks the .reg reader on its own.
const std::u16string kProductKey = u"SOFTWARE\\远舟工作室\\远舟文件改名系统";

std::string DataFile(const char* name)
{
    const char* root = std::getenv("KQ_TEST_DATA");
    return std::string(root ? root : "tests/data") + "/" + name;
}

TEST(Registry, ReadsUtf16LittleEndianFileWithAnyCase)
{
    CScopedEnv env("KQ_REGISTRY_FILE", DataFile("registry-utf16.reg"));
    std::u16string text;
    EXPECT_EQ(CTERNRegeditBase::ReadKeyVal(kProductKey, u"Location", 2, text), 1);
    EXPECT_EQ(text, u"/opt/kqtools/share/help");
    EXPECT_EQ(CTERNRegeditBase::ReadKeyVal(u"software\\远舟工作室\\远舟文件改名系统", u"LOCATION", 2, text), 1);

    double version = 0;
    EXPECT_EQ(CTERNRegeditBase::ReadKeyVal(kProductKey, u"Version", 1, version), 1);
    EXPECT_DOUBLE_EQ(version, 2.15);

    int build = 0;
    EXPECT_EQ(CTERNRegeditBase::ReadKeyVal(kProductKey, u"Build", 4, build), 1);
    EXPECT_EQ(build, 26);
    build = 0;
    EXPECT_EQ(CTERNRegeditBase::ReadKeyVal(kProductKey, u"Build", 0, build), 1);
    EXPECT_EQ(build, 26);

    EXPECT_EQ(CTERNRegeditBase::ReadKeyVal(u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", u"CommonFilesDir", 2, text),
              1);
    EXPECT_EQ(text, u"C:\\Program Files\\Common Files");
    EXPECT_EQ(CTERNRegeditBase::ReadKeyVal(u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", u"Quoted", 2, text), 1);
    EXPECT_EQ(text, u"say \"hi\"");
}

TEST(Registry, FailuresLeaveTheDestinationUntouched)
{
    CTempDir dir;
    std::string longValue(600, 'x');  // 601 UTF-16 units with the terminator: over 1000 bytes
    dir.MakeFile(u"r.reg",
                 "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n"
                 "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n"
                 "\"Long\"=\"" + longValue + "\"\n"
                 "\"Fits\"=\"" + std::string(499, 'y') + "\"\n"
                 "\"Open\"=\"no closing quote\n"
                 "\"Trunc\n"
                 "\"Num\"=dword:zz\n"
                 "\"Big\"=dword:123456789\n"
                 "\"Text\"=\"t\"\n"
                 "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T\n"
                 "\"After\"=\"ok\"\n");
    CScopedEnv env("KQ_REGISTRY_FILE", dir.NativePath() + "/r.reg");

    struct StringRow {
        const char16_t* key;
        const char16_t* name;
        int kind;
        int result;
    } rows[] = {
        {u"SOFTWARE\\T", u"Long", 2, 0},
        {u"SOFTWARE\\T", u"Fits", 2, 1},
        {u"SOFTWARE\\T", u"Open", 2, 0},
        {u"SOFTWARE\\T", u"Trunc", 2, 0},
        {u"SOFTWARE\\T", u"Num", 2, 0},
        {u"SOFTWARE\\T", u"Missing", 2, 0},
        {u"SOFTWARE\\Missing", u"Text", 2, 0},
        {u"SOFTWARE\\T", u"Text", 0, 0},  // a string is no number
        {u"SOFTWARE\\T", u"Text", 2, 1},
        {u"SOFTWARE\\T", u"After", 2, 0},  // values under a malformed header belong to no key
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(row.name));
        std::u16string value = u"unchanged";
        EXPECT_EQ(CTERNRegeditBase::ReadKeyVal(row.key, row.name, row.kind, value), row.result);
        if (row.result == 0) {
            EXPECT_EQ(value, u"unchanged");
        }
    }
    int number = 7;
    EXPECT_EQ(CTERNRegeditBase::ReadKeyVal(u"SOFTWARE\\T", u"Big", 4, number), 0);
    EXPECT_EQ(CTERNRegeditBase::ReadKeyVal(u"SOFTWARE\\T", u"Text", 4, number), 0);
    EXPECT_EQ(number, 7);

    CScopedEnv missing("KQ_REGISTRY_FILE", dir.NativePath() + "/none.reg");
    std::u16string value = u"unchanged";
    EXPECT_EQ(CTERNRegeditBase::ReadKeyVal(u"SOFTWARE\\T", u"Text", 2, value), 0);
    EXPECT_EQ(value, u"unchanged");
}

// The registry the program reads is its own installation's: the program lies
// in <prefix>/bin, <prefix>/lib/X or <prefix>/lib/<multiarch>/X, and the
// install rules put the file under <prefix>/etc (under /etc for /usr).
TEST(Registry, FindsTheRegistryOfTheProgramsOwnInstallation)
{
    EXPECT_EQ(RegistryFileOfPrefix(u"/usr"), u"/etc/ternsoft/registry.reg");
    EXPECT_EQ(RegistryFileOfPrefix(u""), u"/etc/ternsoft/registry.reg");
    EXPECT_EQ(RegistryFileOfPrefix(u"/usr/local"), u"/usr/local/etc/ternsoft/registry.reg");

    struct Row {
        const char16_t* programFolder;
        const char16_t* registry;  // made under the temporary folder; "" for none
        const char16_t* found;     // expected, relative; "" for none
    } rows[] = {
        {u"opt/kq/bin", u"opt/kq/etc/ternsoft/registry.reg", u"opt/kq/etc/ternsoft/registry.reg"},
        {u"opt/kq/lib/kqtools", u"opt/kq/etc/ternsoft/registry.reg", u"opt/kq/etc/ternsoft/registry.reg"},
        {u"opt/kq/lib/x86_64-linux-gnu/kqtools", u"opt/kq/etc/ternsoft/registry.reg",
         u"opt/kq/etc/ternsoft/registry.reg"},
        {u"opt/kq/lib/TernSoft Share", u"opt/kq/etc/ternsoft/registry.reg", u"opt/kq/etc/ternsoft/registry.reg"},
        {u"opt/kq/lib/a/b/kqtools", u"opt/kq/etc/ternsoft/registry.reg", u""},  // too deep: not this installation
        {u"opt/kq/share/kqtools", u"opt/kq/etc/ternsoft/registry.reg", u""},    // no program folder
        {u"opt/kq/bin", u"opt/etc/ternsoft/registry.reg", u""},                  // a neighbour's
        {u"opt/kq/bin", u"", u""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(row.programFolder));
        CTempDir dir;
        dir.MakeFolder(row.programFolder);
        if (*row.registry) dir.MakeFile(row.registry, "Windows Registry Editor Version 5.00\n");
        const std::u16string expected = *row.found ? dir.Child(row.found) : std::u16string();
        EXPECT_EQ(InstalledRegistryFile(dir.Child(row.programFolder)), expected);
    }

    CTempDir dir;  // a folder of that name is no registry
    dir.MakeFolder(u"opt/kq/bin");
    dir.MakeFolder(u"opt/kq/etc/ternsoft/registry.reg");
    EXPECT_EQ(InstalledRegistryFile(dir.Child(u"opt/kq/bin")), u"");
}
#endif

}  // namespace
}  // namespace kq
