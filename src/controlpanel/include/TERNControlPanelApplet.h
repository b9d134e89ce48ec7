/* The Control Panel applet entry of TERNControlPanel, with the applet record
 * laid out as the Windows NEWCPLINFOW record (UTF-16 texts). */
#ifndef TERN_CONTROL_PANEL_APPLET_H
#define TERN_CONTROL_PANEL_APPLET_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define CPL_API __declspec(dllexport)
#define CPL_CALL __stdcall
#else
#define CPL_API __attribute__((visibility("default")))
#define CPL_CALL
#endif

enum {
    CPL_INIT = 1,
    CPL_GETCOUNT = 2,
    CPL_INQUIRE = 3,
    CPL_SELECT = 4,
    CPL_DBLCLK = 5,
    CPL_STOP = 6,
    CPL_EXIT = 7,
    CPL_NEWINQUIRE = 8
};

/* Icon resource of the applet. */
#define CPL_TERN_ICON 133

/* DWORD, LONG_PTR, HICON and WCHAR in the Windows layout: 468 bytes in a
 * 32-bit build, 480 in a 64-bit one. Elsewhere hIcon points at the
 * applet's icon name as UTF-8 ("terncontrolpanel"), for the desktop's icon
 * theme. */
typedef struct CPL_NEWCPLINFOW {
    uint32_t dwSize;
    uint32_t dwFlags;
    uint32_t dwHelpContext;
    intptr_t lData;
    void* hIcon;
    uint16_t szName[32];
    uint16_t szInfo[64];
    uint16_t szHelpFile[128];
} CPL_NEWCPLINFOW;

/* Answers as a Windows LONG. hwndCPl: the Control Panel's window; lParam1: the applet number;
 * lParam2: for CPL_NEWINQUIRE a CPL_NEWCPLINFOW* to fill. */
CPL_API int32_t CPL_CALL CPlApplet(void* hwndCPl, unsigned int uMsg, intptr_t lParam1, intptr_t lParam2);
typedef int32_t(CPL_CALL* CPL_APPLET_PROC)(void* hwndCPl, unsigned int uMsg, intptr_t lParam1, intptr_t lParam2);

#ifdef __cplusplus
}
#endif

#endif /* TERN_CONTROL_PANEL_APPLET_H */
