#include "GuiThread.h"

#include <QEventLoop>
#include <thread>

namespace kq {

void RunOffGuiThread(const std::function<void()>& work)
{
    QEventLoop loop;
    std::thread worker([&] {
        work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
}

void CGuiThreadPrompt::Inform(const std::u16string& text, const std::u16string& title)
{
    RunOnThreadOf(m_pContext, [&] { m_inner.Inform(text, title); });
}

EPromptAnswer CGuiThreadPrompt::AskYesNo(const std::u16string& text, const std::u16string& title)
{
    EPromptAnswer answer = EPromptAnswer::No;
    RunOnThreadOf(m_pContext, [&] { answer = m_inner.AskYesNo(text, title); });
    return answer;
}

EPromptAnswer CGuiThreadPrompt::AskYesNoCancel(const std::u16string& text, const std::u16string& title)
{
    EPromptAnswer answer = EPromptAnswer::Cancel;
    RunOnThreadOf(m_pContext, [&] { answer = m_inner.AskYesNoCancel(text, title); });
    return answer;
}

}  // namespace kq
