// CTERNUpdateApp: the updater program without a main window.
#pragma once

#include <QIcon>
#include <QStringList>

#include "updater/core/UpdateTrust.h"

namespace kq {

class CTERNUpdateApp {
public:
    // Names, icon and quit rule of the program, before any window opens.
    static void SetUp();
    // Runs the update pass for the program's arguments (the first plain one
    // is the descriptor path) off the GUI thread, with the progress window
    // and message boxes on it. Returns the exit code.
    static int Run(const QStringList& arguments, const CUpdateTrust& trust = BuiltInUpdateTrust());
};

// The program's icon, on every window it opens.
QIcon UpdaterIcon();

}  // namespace kq
