// Scripting the modal dialogs a widget test opens.
#pragma once

#include <functional>

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace kq::test {

// Runs action on the next modal dialog of type T as soon as it is shown
// (polling, as the dialog's exec() blocks the caller).
template <class T>
void WhenModal(std::function<void(T*)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(dialog);
            // A check that failed inside the action must not leave the
            // dialog, and with it the test, waiting forever.
            if (dialog->isVisible()) dialog->reject();
        }
    });
    timer->start();
}

}  // namespace kq::test
