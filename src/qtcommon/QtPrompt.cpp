#include "qtcommon/QtPrompt.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>

namespace kq {

namespace {

QString ToQ(const std::u16string& text) { return QString::fromStdU16String(text); }

EPromptAnswer Ask(const std::u16string& text, const std::u16string& title, bool withCancel)
{
    QMessageBox box(QMessageBox::Question, ToQ(title), ToQ(text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    QPushButton* yes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
    QPushButton* cancel = withCancel ? box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole) : nullptr;
    // The only two-way question confirms a rename, which cannot be undone:
    // "No" is its default. The three-way one keeps the usual first default.
    box.setDefaultButton(withCancel ? yes : no);
    box.setEscapeButton(withCancel ? static_cast<QAbstractButton*>(cancel) : no);
    box.exec();
    if (box.clickedButton() == yes) return EPromptAnswer::Yes;
    if (withCancel && box.clickedButton() != no) return EPromptAnswer::Cancel;
    return EPromptAnswer::No;
}

}  // namespace

void CQtPrompt::Inform(const std::u16string& text, const std::u16string& title)
{
    QMessageBox box(QMessageBox::Information, ToQ(title), ToQ(text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    QPushButton* ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}

EPromptAnswer CQtPrompt::AskYesNo(const std::u16string& text, const std::u16string& title)
{
    return Ask(text, title, false);
}

EPromptAnswer CQtPrompt::AskYesNoCancel(const std::u16string& text, const std::u16string& title)
{
    return Ask(text, title, true);
}

bool CQtClipboard::GetText(std::u16string& text)
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText()) return false;
    text = data->text().toStdU16String();
    return true;
}

bool CQtClipboard::SetText(const std::u16string& text)
{
    QGuiApplication::clipboard()->setText(QString::fromStdU16String(text));
    return true;
}

}  // namespace kq
