// Failing chosen moves in tests. The test programs link this in place of the
// programs' version of InjectedMoveError, which never fails a move.
#pragma once

#include <functional>
#include <string_view>

namespace kq {

// When set, every move first asks it: a non-zero errno makes that move fail
// with it, untouched. nullptr takes it away.
using MoveFailureHook = std::function<int(std::u16string_view from, std::u16string_view to)>;
void SetMoveFailureHook(MoveFailureHook hook);

}  // namespace kq
