// The Control Panel applet entry: one applet, "远舟配置".
#include "TERNControlPanelApplet.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

template <size_t N>
void CopyText(uint16_t (&target)[N], const char16_t* text)
{
    size_t i = 0;
    for (; text[i] && i + 1 < N; ++i) target[i] = uint16_t(text[i]);
    target[i] = 0;
}

void* AppletIcon()
{
#ifdef _WIN32
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&AppletIcon), &self);
    return LoadIconW(self, MAKEINTRESOURCEW(CPL_TERN_ICON));
#else
    static const char kIconName[] = "terncontrolpanel";
    return const_cast<char*>(kIconName);
#endif
}

}  // namespace

extern "C" CPL_API int32_t CPL_CALL CPlApplet(void* hwndCPl, unsigned int uMsg, intptr_t lParam1, intptr_t lParam2)
{
    switch (uMsg) {
    case CPL_INIT:
        return 1;
    case CPL_GETCOUNT:
        return 1;
    case CPL_NEWINQUIRE: {
        auto* info = reinterpret_cast<CPL_NEWCPLINFOW*>(lParam2);
        if (lParam1 != 0 || !info) return 0;  // one applet; no record, nothing to fill
        std::memset(info, 0, sizeof *info);
        info->dwSize = sizeof *info;
        info->dwFlags = 0;
        info->dwHelpContext = 0;
        info->hIcon = AppletIcon();
        CopyText(info->szName, u"远舟配置");
        CopyText(info->szInfo, u"远舟软件控制设置");
        return 0;
    }
    case CPL_DBLCLK:
        static_cast<void>(hwndCPl);  // the parent is taken; the applet opens nothing yet
        return 0;
    default:
        return 0;
    }
}
