/* Command plug-ins of the configuration centre TERNControlPanel.
 *
 * A plug-in is a shared library named TERNToolPanel or TERNSelectPanel
 * (libTERNToolPanel.so, TERNToolPanel.dll) placed beside the program. It
 * exports the four functions below with C linkage; a library that lacks any
 * of them is unloaded and contributes nothing. Texts cross the boundary as
 * UTF-8 through setters owned by the host; no C++ object crosses it.
 */
#ifndef TERN_PANEL_PLUGIN_H
#define TERN_PANEL_PLUGIN_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define ICPL_CALL __cdecl
#define ICPL_EXPORT __declspec(dllexport)
#else
#define ICPL_CALL
#define ICPL_EXPORT __attribute__((visibility("default")))
#endif

/* A text owned by the host: the plug-in calls set(host, utf8) to fill it.
 * A NULL text leaves it empty; invalid UTF-8 is replaced, not refused. */
typedef struct ICPL_Text {
    void* host;
    void (ICPL_CALL* set)(void* host, const char* utf8);
} ICPL_Text;

/* An icon owned by the host. set_image takes the bytes of an image file
 * (PNG, BMP, ICO, ...; copied, at most 4 MiB); set_file takes the UTF-8 path
 * of one. A command that sets neither shows the host's default icon. */
typedef struct ICPL_Icon {
    void* host;
    void (ICPL_CALL* set_image)(void* host, const void* data, size_t size);
    void (ICPL_CALL* set_file)(void* host, const char* utf8_path);
} ICPL_Icon;

/* The native handle of the configuration centre's main window: an HWND on
 * Windows, the window-system id elsewhere (may be 0). */
typedef void* ICPL_Window;

/* Must exist; the host never calls it. */
typedef int(ICPL_CALL* ICPL_GetExportVersionFn)(void);
/* Number of commands the library offers. */
typedef int(ICPL_CALL* ICPL_GetCommandCountFn)(void);
/* For index 0 .. count-1: fills name, description and icon; nonzero when
 * the command exists. Indices answering 0 are skipped; the others keep
 * their index for ICPL_ExecuteCommand. */
typedef int(ICPL_CALL* ICPL_GetCommandNameFn)(int index, ICPL_Text* name, ICPL_Text* description, ICPL_Icon* icon);
/* Runs the command with the main window as parent; the result is ignored. */
typedef int(ICPL_CALL* ICPL_ExecuteCommandFn)(int index, ICPL_Window parent);

#define ICPL_EXPORT_VERSION "ICPL_GetExportVersion"
#define ICPL_COMMAND_COUNT "ICPL_GetCommandCount"
#define ICPL_COMMAND_NAME "ICPL_GetCommandName"
#define ICPL_EXECUTE_COMMAND "ICPL_ExecuteCommand"

#ifdef __cplusplus
}
#endif

#endif /* TERN_PANEL_PLUGIN_H */
