// Long work off the window's thread: the window keeps repainting, and a
// progress window with a count, a bar and "取消" shows once the work has
// taken longer than half a second.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>

#include <QString>

class QWidget;

namespace kq {

struct CProgressState {
    std::atomic<size_t> m_nDone{0};
    std::atomic<bool> m_bCancel{false};
};

// Runs work on a thread of its own and returns when it has ended. label is
// the progress window's text before the count ("正在改名"); total is the
// count the bar fills to. Message boxes the work asks for through the prompt
// provider are held and shown here, in order, once it has ended (the work
// must ask no question).
void RunWithProgress(QWidget* parent, const QString& label, size_t total, CProgressState& state,
                     const std::function<void()>& work);

// Milliseconds before the progress window shows (tests shorten it).
extern int g_nProgressDelayMs;

}  // namespace kq
