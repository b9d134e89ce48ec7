// The configuration centre's icons, painted from the same shapes as the
// SVG files in icons/ so that no raster copy has to be kept in step.
#pragma once

#include <QIcon>

#include "controlpanel/core/PanelCommands.h"

namespace kq {

enum EPanelIcon { kIconWebSite = 132, kIconPanel = 133, kIconCredits = 142, kIconSystemInfo = 143 };

QIcon PanelIcon(EPanelIcon id);
// A command's icon: the built-in one, the one a plug-in gave, else the panel's.
QIcon CommandIcon(const CPanelExecute& command);

}  // namespace kq
