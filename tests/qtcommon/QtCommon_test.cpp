// The Qt pieces the three programs share: the message boxes behind the
// prompt provider and Qt's own Chinese catalogue.
#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "qtcommon/QtPrompt.h"
#include "qtcommon/QtSetup.h"
#include "qtcommon/WhenModal.h"

using namespace kq;
using namespace kq::test;

class QtCommonTest : public QObject {
    Q_OBJECT

private slots:
    void QtPrompt_ShowsChineseButtonsAndReturnsTheAnswer();
    void QtCatalogue_StandardDialogsInChinese();
};

void QtCommonTest::QtPrompt_ShowsChineseButtonsAndReturnsTheAnswer()
{
    CQtPrompt prompt;
    struct {
        int kind;  // 0 inform, 1 yes/no, 2 yes/no/cancel
        QStringList buttons;
        QString defaultButton;
        QString click;  // empty: Escape
        EPromptAnswer answer;
        QMessageBox::Icon icon;
    } rows[] = {
        {0, {"确定"}, "确定", "确定", EPromptAnswer::No, QMessageBox::Information},
        {1, {"是(&Y)", "否(&N)"}, "否(&N)", "是(&Y)", EPromptAnswer::Yes, QMessageBox::Question},
        {1, {"是(&Y)", "否(&N)"}, "否(&N)", "", EPromptAnswer::No, QMessageBox::Question},
        {2, {"是(&Y)", "否(&N)", "取消"}, "是(&Y)", "否(&N)", EPromptAnswer::No, QMessageBox::Question},
        {2, {"是(&Y)", "否(&N)", "取消"}, "是(&Y)", "", EPromptAnswer::Cancel, QMessageBox::Question},
    };
    for (const auto& row : rows) {
        QStringList buttons;
        QString defaultButton, title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            for (QAbstractButton* b : box->buttons()) buttons << b->text();
            defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
            if (row.click.isEmpty()) {
                QTest::keyClick(box, Qt::Key_Escape);
                return;
            }
            for (QAbstractButton* b : box->buttons())
                if (b->text() == row.click) b->click();
        });
        EPromptAnswer answer = EPromptAnswer::No;
        if (row.kind == 0) prompt.Inform(u"正文", u"标题");
        else if (row.kind == 1) answer = prompt.AskYesNo(u"正文", u"标题");
        else answer = prompt.AskYesNoCancel(u"正文", u"标题");
        buttons.sort();
        QStringList expected = row.buttons;
        expected.sort();
        QCOMPARE(buttons, expected);
        QCOMPARE(defaultButton, row.defaultButton);
        QCOMPARE(title, QStringLiteral("标题"));
        QCOMPARE(text, QStringLiteral("正文"));
        QCOMPARE(icon, row.icon);
        QCOMPARE(int(answer), int(row.answer));
    }
}

// Last: the catalogue stays installed for the rest of the program.
void QtCommonTest::QtCatalogue_StandardDialogsInChinese()
{
    QVERIFY2(InstallQtChineseCatalogue(), "Qt's Chinese catalogue is missing (Debian: qt6-translations-l10n)");
    QDialogButtonBox box(QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Ok |
                         QDialogButtonBox::Cancel);
    QVERIFY(box.button(QDialogButtonBox::Yes)->text().startsWith(QStringLiteral("是")));
    QVERIFY(box.button(QDialogButtonBox::No)->text().startsWith(QStringLiteral("否")));
    QVERIFY(box.button(QDialogButtonBox::Ok)->text().startsWith(QStringLiteral("确定")));
    QVERIFY(box.button(QDialogButtonBox::Cancel)->text().startsWith(QStringLiteral("取消")));
    // The widgets' own file dialog, as "添加" and "输出列表" open it.
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    auto* lookIn = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
    QVERIFY(lookIn);
    QVERIFY2(lookIn->text() != QStringLiteral("Look in:"), qPrintable(lookIn->text()));
    QCOMPARE(QFileDialog::tr("Save As"), QStringLiteral("另存为"));
}

QTEST_MAIN(QtCommonTest)
#include "QtCommon_test.moc"
