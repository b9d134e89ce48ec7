// The update pass runs on a thread of its own so that the window answers at
// once; whatever it shows is done on the GUI thread.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <functional>

#include "platform/Prompt.h"

namespace kq {

// Runs f on context's thread and waits for it (at once when already there).
template <class F>
void RunOnThreadOf(QObject* context, F f)
{
    if (QThread::currentThread() == context->thread())
        f();
    else
        QMetaObject::invokeMethod(context, std::move(f), Qt::BlockingQueuedConnection);
}

// Runs work on a new thread while this (the GUI) thread handles its events;
// returns when work has ended.
void RunOffGuiThread(const std::function<void()>& work);

// The message boxes of a provider that must run on the GUI thread, asked
// for from any thread.
class CGuiThreadPrompt : public IPromptProvider {
public:
    CGuiThreadPrompt(IPromptProvider& inner, QObject* guiContext) : m_inner(inner), m_pContext(guiContext) {}
    void Inform(const std::u16string& text, const std::u16string& title) override;
    EPromptAnswer AskYesNo(const std::u16string& text, const std::u16string& title) override;
    EPromptAnswer AskYesNoCancel(const std::u16string& text, const std::u16string& title) override;

private:
    IPromptProvider& m_inner;
    QObject* m_pContext;
};

}  // namespace kq
