// CTERNUpdateApp: the updater program without a main window.
#pragma once

#include <QStringList>

namespace kq {

class CTERNUpdateApp {
public:
    // Runs the update pass for the program's arguments (the first plain one
    // is the descriptor path). Returns the exit code.
    static int Run(const QStringList& arguments);
};

}  // namespace kq
