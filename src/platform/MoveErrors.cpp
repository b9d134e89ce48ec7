// The programs' moves never fail on purpose. Alone in its file so that a
// test program, linking its own definitions, leaves this one out.
#include "platform/FileSystem.h"

namespace kq {

bool MoveErrorsInjected() { return false; }

int InjectedMoveError(std::u16string_view, std::u16string_view) { return 0; }

}  // namespace kq
