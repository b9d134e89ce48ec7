// Helpers for the widget tests.
#pragma once

#include <functional>
#include <string>

#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include "renamer/list/FileNameList.h"

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

// One column of every row.
QStringList Column(const CFileNameList& list, int column);

// A registry file with the product's "Location" and "CommonFilesDir".
std::u16string WriteRegistryFile(const std::u16string& folder, const std::u16string& location,
                                 const std::u16string& commonFiles);

}  // namespace kq::test
