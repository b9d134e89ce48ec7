// Program-wide set-up of the renamer's window program, shared by main() and
// the tests that check it.
#pragma once

namespace kq {

// Names, version and icon of the program. No application display name is
// set: on Linux the platform would append it to every window title
// ("确认改名 — …"), and the titles must read exactly as written.
void ConfigureApplication();

}  // namespace kq
