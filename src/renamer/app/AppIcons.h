// The program's icons, painted from the same shapes as KQTools.svg and
// PageHint.svg so that no raster copy has to be kept in step.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace kq {

QIcon ProgramIcon();
// The light bulb shown beside each page's note.
QPixmap PageHintPixmap(int size);

}  // namespace kq
