// What the main window sees of a mode page, and small builders the pages
// share. A page binds its controls to a core fields struct: LoadControls
// writes the fields into the controls, StoreControls reads them back, and
// FillNewNames stores and runs the core.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QWidget>

class QBoxLayout;
class QPushButton;

namespace kq {

class CFileNameList;
class CNamePlan;

class CModePage : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    // Stores the controls and writes column 1 of every row.
    virtual void FillNewNames(CFileNameList& list, bool keepExtension) = 0;
    // Stores the controls and plans the same names for a cycle that runs
    // off the window's thread (renamer/modes/NameCycle.h).
    virtual std::shared_ptr<const CNamePlan> PrepareNames(const CFileNameList& list, bool keepExtension) = 0;
    // The planned cycle was written into the list; message is its message.
    virtual void NamesDone(const CFileNameList& /*list*/, const std::u16string& /*message*/) {}
    virtual void StoreControls() = 0;
    virtual void LoadControls() = 0;

signals:
    // Any control changed: the main window asks the page for new names.
    void RefreshNames();
};

// A drop-down (or editable) combo box with the given items.
QComboBox* MakeCombo(QWidget* parent, std::initializer_list<const char16_t*> items, bool editable);
QComboBox* MakeNumberCombo(QWidget* parent, int first, int last, bool editable);
// Adds "label control" as the next row of the grid; returns the label.
QLabel* AddLabeledRow(QGridLayout* grid, QWidget* page, const char16_t* caption, QWidget* control);
// Selects the item whose text is text, else shows it as the edit text.
void SetComboText(QComboBox* combo, const QString& text);
// A push button that Enter never presses (a window's Enter belongs to its
// default button), added to row when one is given.
QPushButton* MakeButton(QWidget* parent, const QString& text, QBoxLayout* row = nullptr);
// The icon and note shown under a page's controls.
QWidget* MakePageNote(QWidget* parent, const QString& text);
// Enables each widget exactly when on.
void EnableAll(std::initializer_list<QWidget*> widgets, bool on);

inline QString Q(const std::u16string& text) { return QString::fromStdU16String(text); }
inline QString Q(const char16_t* text) { return QString::fromUtf16(text); }
inline std::u16string U(const QString& text) { return text.toStdU16String(); }

// Width of the page area, in pixels, for the current font.
int PageWidth(const QWidget* widget);

}  // namespace kq
