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
    static const unsigned char kBmp[] = {
        /* a 1x1 blue 24-bit BMP */
        'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0,
        0, 0, 0, 0, 4, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0x60, 0x20, 0};
    switch (index) {
    case 0:
        name->set(name->host, "样例命令");
        description->set(description->host, "样例插件的第一个命令");
        icon->set_image(icon->host, kBmp, sizeof kBmp);
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
