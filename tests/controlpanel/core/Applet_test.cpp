#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "TERNControlPanelApplet.h"
#include "platform/DynamicLibrary.h"
#include "platform/Text.h"

namespace kq {
namespace {

std::u16string Text(const uint16_t* text)
{
    std::u16string out;
    while (*text) out.push_back(char16_t(*text++));
    return out;
}

// The record keeps the Windows layout whatever the platform's wchar_t.
static_assert(offsetof(CPL_NEWCPLINFOW, szName) == (sizeof(void*) == 8 ? 32 : 20));
static_assert(sizeof(CPL_NEWCPLINFOW) == (sizeof(void*) == 8 ? 480 : 468));

TEST(Applet, AnswersTheControlPanelMessagesFromTheSharedLibrary)
{
    void* library = LoadSharedLibrary(FromUtf8(KQ_APPLET_LIBRARY));
    ASSERT_NE(library, nullptr);
    auto entry = reinterpret_cast<CPL_APPLET_PROC>(FindLibraryExport(library, "CPlApplet"));
    ASSERT_NE(entry, nullptr);

    struct {
        unsigned message;
        intptr_t applet;
        int32_t result;
    } simple[] = {{CPL_INIT, 0, 1}, {CPL_GETCOUNT, 0, 1}, {CPL_DBLCLK, 0, 0}, {CPL_STOP, 0, 0},
                  {CPL_EXIT, 0, 0}, {CPL_INQUIRE, 0, 0}, {CPL_SELECT, 0, 0}, {99, 0, 0}};
    for (const auto& m : simple) EXPECT_EQ(entry(nullptr, m.message, m.applet, 0), m.result) << m.message;

    CPL_NEWCPLINFOW info;
    std::memset(&info, 0xAB, sizeof info);
    EXPECT_EQ(entry(nullptr, CPL_NEWINQUIRE, 0, reinterpret_cast<intptr_t>(&info)), 0);
    EXPECT_EQ(info.dwSize, sizeof info);
    EXPECT_EQ(info.dwFlags, 0u);
    EXPECT_EQ(info.dwHelpContext, 0u);
    EXPECT_EQ(Text(info.szName), u"远舟配置");
    EXPECT_EQ(Text(info.szInfo), u"远舟软件控制设置");
    EXPECT_EQ(Text(info.szHelpFile), u"");
#ifndef _WIN32
    ASSERT_NE(info.hIcon, nullptr);
    EXPECT_STREQ(static_cast<const char*>(info.hIcon), "terncontrolpanel");
#endif

    // Another applet number, or no record: nothing is written, nothing breaks.
    CPL_NEWCPLINFOW untouched;
    std::memset(&untouched, 0xAB, sizeof untouched);
    EXPECT_EQ(entry(nullptr, CPL_NEWINQUIRE, 1, reinterpret_cast<intptr_t>(&untouched)), 0);
    EXPECT_EQ(untouched.dwSize, 0xABABABABu);
    EXPECT_EQ(entry(nullptr, CPL_NEWINQUIRE, 0, 0), 0);
    UnloadSharedLibrary(library);
}

}  // namespace
}  // namespace kq
