/* A command plug-in with three command indices of which index 1 does not
 * exist. It records the last command run for the tests to read. */
#include <stdint.h>

#include "TERNPanelPlugin.h"

static int g_lastExecuted = -1;
static intptr_t g_lastParent = 0;

ICPL_EXPORT int ICPL_CALL ICPL_GetExportVersion(void) { return 1; }

ICPL_EXPORT int ICPL_CALL ICPL_GetCommandCount(void) { return 3; }

ICPL_EXPORT int ICPL_CALL ICPL_GetCommandName(int index, ICPL_Text* name, ICPL_Text* description, ICPL_Icon* icon)
{
    /* a 32x32 24-bit BMP: an orange square with a white cross */
    static unsigned char bmp[54 + 32 * 32 * 3];
    static const unsigned char header[54] = {'B', 'M', 0x36, 0x0C, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 32, 0, 0, 0,
                                             32, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 0, 0x0C, 0, 0};
    int x, y;
    for (x = 0; x < 54; ++x) bmp[x] = header[x];
    for (y = 0; y < 32; ++y) {
        for (x = 0; x < 32; ++x) {
            unsigned char* p = bmp + 54 + (y * 32 + x) * 3;
            int cross = (x >= 13 && x < 19 && y >= 6 && y < 26) || (y >= 13 && y < 19 && x >= 6 && x < 26);
            p[0] = cross ? 0xFF : 0x12; /* blue, green, red */
            p[1] = cross ? 0xFF : 0x9C;
            p[2] = cross ? 0xFF : 0xF3;
        }
    }
    switch (index) {
    case 0:
        name->set(name->host, "样例命令");
        description->set(description->host, "样例插件的第一个命令");
        icon->set_image(icon->host, bmp, sizeof bmp);
        return 1;
    case 2:
        name->set(name->host, "样例命令三");
        description->set(description->host, "样例插件的第三个命令");
        return 1;
    default:
        return 0;
    }
}

ICPL_EXPORT int ICPL_CALL ICPL_ExecuteCommand(int index, ICPL_Window parent)
{
    g_lastExecuted = index;
    g_lastParent = (intptr_t)parent;
    return 1;
}

/* Not part of the interface: lets a test see what ran. */
ICPL_EXPORT int Sample_LastExecuted(void) { return g_lastExecuted; }
ICPL_EXPORT intptr_t Sample_LastParent(void) { return g_lastParent; }
