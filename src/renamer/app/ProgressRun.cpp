#include "ProgressRun.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Prompt.h"

namespace kq {

int g_nProgressDelayMs = 500;

namespace {

// Keeps the worker's messages for the window's thread.
class CHeldPrompt : public IPromptProvider {
public:
    void Inform(const std::u16string& text, const std::u16string& title) override
    {
        std::lock_guard lock(m_mutex);
        m_aHeld.emplace_back(text, title);
    }
    EPromptAnswer AskYesNo(const std::u16string&, const std::u16string&) override { return EPromptAnswer::No; }
    EPromptAnswer AskYesNoCancel(const std::u16string&, const std::u16string&) override
    {
        return EPromptAnswer::Cancel;
    }
    std::vector<std::pair<std::u16string, std::u16string>> Take()
    {
        std::lock_guard lock(m_mutex);
        return std::move(m_aHeld);
    }

private:
    std::mutex m_mutex;
    std::vector<std::pair<std::u16string, std::u16string>> m_aHeld;
};

}  // namespace

void RunWithProgress(QWidget* parent, const QString& label, size_t total, CProgressState& state,
                     const std::function<void()>& work)
{
    IPromptProvider& shown = GetPromptProvider();
    CHeldPrompt held;
    SetPromptProvider(&held);
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        work();
        finished = true;
    });

    const int maximum = int(std::min<size_t>(std::max<size_t>(total, 1), 1u << 30));
    QProgressDialog progress(label, QStringLiteral("取消"), 0, maximum, parent);
    progress.setObjectName(QStringLiteral("ProgressDialog"));
    progress.setWindowTitle(label);
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(g_nProgressDelayMs);
    const auto cancel = [&] {
        if (state.m_bCancel.exchange(true)) return;
        progress.setLabelText(QStringLiteral("正在取消，当前的一组文件改完后停止……"));
        progress.setCancelButton(nullptr);
    };
    QObject::connect(&progress, &QProgressDialog::canceled, cancel);
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (finished) {
            loop.quit();
            return;
        }
        // The dialog may also be cancelled without its signal (its cancel()
        // slot called directly).
        if (progress.wasCanceled()) cancel();
        const size_t done = std::min<size_t>(state.m_nDone.load(), size_t(maximum));
        if (!state.m_bCancel) progress.setLabelText(QStringLiteral("%1：%2 / %3").arg(label).arg(done).arg(total));
        progress.setValue(int(done));
    });
    tick.start(30);
    loop.exec();
    worker.join();
    progress.hide();
    SetPromptProvider(&shown == &held ? nullptr : &shown);
    for (const auto& [text, title] : held.Take()) shown.Inform(text, title);
}

}  // namespace kq
