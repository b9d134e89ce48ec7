// Helpers for the widget tests.
#pragma once

#include <functional>
#include <string>

#include <QApplication>
#include <QRadioButton>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include "qtcommon/WhenModal.h"
#include "renamer/list/FileNameList.h"

namespace kq::test {

// The child of parent with the given object name, as the tests find the
// window's controls; the test program stops when there is none.
template <class T>
T* Find(const QObject& parent, const char* name)
{
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (!child) qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return child;
}

// The radio button of mode 0..4 in the main window.
inline QRadioButton* ModeButton(const QObject& window, int mode)
{
    return Find<QRadioButton>(window, qPrintable(QStringLiteral("ModeButton%1").arg(mode)));
}

// One column of every row.
QStringList Column(const CFileNameList& list, int column);

// A registry file with the product's "Location" and "CommonFilesDir".
std::u16string WriteRegistryFile(const std::u16string& folder, const std::u16string& location,
                                 const std::u16string& commonFiles);

}  // namespace kq::test
