#include "ModePage.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPushButton>

#include "AppIcons.h"

namespace kq {

QComboBox* MakeCombo(QWidget* parent, std::initializer_list<const char16_t*> items, bool editable)
{
    auto* combo = new QComboBox(parent);
    combo->setEditable(editable);
    for (const char16_t* item : items) combo->addItem(Q(item));
    // Typing must not grow the item list.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(21);
    return combo;
}

QComboBox* MakeNumberCombo(QWidget* parent, int first, int last, bool editable)
{
    auto* combo = new QComboBox(parent);
    combo->setEditable(editable);
    for (int n = first; n <= last; ++n) combo->addItem(QString::number(n));
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(21);
    return combo;
}

QLabel* AddLabeledRow(QGridLayout* grid, QWidget* page, const char16_t* caption, QWidget* control)
{
    const int row = grid->rowCount();
    auto* label = new QLabel(Q(caption), page);
    grid->addWidget(label, row, 0);
    grid->addWidget(control, row, 1);
    return label;
}

void SetComboText(QComboBox* combo, const QString& text)
{
    const int index = combo->findText(text);
    if (combo->isEditable()) {
        if (index >= 0) combo->setCurrentIndex(index);
        combo->setEditText(text);
    } else if (index >= 0) {
        combo->setCurrentIndex(index);
    }
}

QPushButton* MakeButton(QWidget* parent, const QString& text, QBoxLayout* row)
{
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    if (row) row->addWidget(button);
    return button;
}

QWidget* MakePageNote(QWidget* parent, const QString& text)
{
    auto* note = new QWidget(parent);
    auto* layout = new QHBoxLayout(note);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* icon = new QLabel(note);
    icon->setPixmap(PageHintPixmap(32));
    icon->setAlignment(Qt::AlignTop);
    auto* label = new QLabel(text, note);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addWidget(label, 1);
    return note;
}

void EnableAll(std::initializer_list<QWidget*> widgets, bool on)
{
    for (QWidget* w : widgets) w->setEnabled(on);
}

int PageWidth(const QWidget* widget)
{
    // Wide enough for "新文件名（从剪贴板添加）：" and a combo beside each label.
    return qMax(200, widget->fontMetrics().horizontalAdvance(QStringLiteral("新文件名（序号用*代替）：")) + 24);
}

}  // namespace kq
