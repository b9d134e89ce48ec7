#include "support/MoveFailureHook.h"

#include <atomic>
#include <mutex>

#include "platform/FileSystem.h"

namespace kq {

namespace {

std::mutex g_hookMutex;
MoveFailureHook g_moveHook;
std::atomic<bool> g_hookSet{false};

}  // namespace

void SetMoveFailureHook(MoveFailureHook hook)
{
    std::lock_guard lock(g_hookMutex);
    g_moveHook = std::move(hook);
    g_hookSet = static_cast<bool>(g_moveHook);
}

bool MoveErrorsInjected() { return g_hookSet; }

int InjectedMoveError(std::u16string_view from, std::u16string_view to)
{
    std::lock_guard lock(g_hookMutex);
    return g_moveHook ? g_moveHook(from, to) : 0;
}

}  // namespace kq
