/* A command plug-in without ICPL_ExecuteCommand: the host must drop it. */
#include "TERNPanelPlugin.h"

ICPL_EXPORT int ICPL_CALL ICPL_GetExportVersion(void) { return 1; }
ICPL_EXPORT int ICPL_CALL ICPL_GetCommandCount(void) { return 1; }

ICPL_EXPORT int ICPL_CALL ICPL_GetCommandName(int index, ICPL_Text* name, ICPL_Text* description, ICPL_Icon* icon)
{
    (void)icon;
    if (index != 0) return 0;
    name->set(name->host, "不应出现的命令");
    description->set(description->host, "");
    return 1;
}
