// The Qt pieces the three programs share: the message boxes behind the
// prompt provider, the Chinese locale, glyphs and catalogues.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractProxyModel>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRawFont>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>
#include <QTreeView>
#include <QHeaderView>

#include "qtcommon/QtPrompt.h"
#include "qtcommon/QtSetup.h"
#include "qtcommon/WhenModal.h"

using namespace kq;
using namespace kq::test;

class QtCommonTest : public QObject {
    Q_OBJECT

private slots:
    void QtPrompt_ShowsChineseButtonsAndReturnsTheAnswer();
    void ChineseLocale_DatesReadInChinese();
    void SimplifiedChineseFont_DrawsHanInSimplifiedForms();
    void QtCatalogue_StandardDialogsInChinese();
    void FileDialog_TypesSizesAndDatesInChinese();
};

namespace {

// The families whose glyphs draw text in font.
QStringList DrawingFamilies(const QString& text, const QFont& font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QStringList families;
    for (const QGlyphRun& run : layout.glyphRuns()) families << run.rawFont().familyName();
    return families;
}

}  // namespace

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

void QtCommonTest::ChineseLocale_DatesReadInChinese()
{
    UseChineseLocale();
    QCOMPARE(QLocale().name(), QStringLiteral("zh_CN"));
    QCOMPARE(QLocale().toString(QDate(2026, 12, 9), QLocale::LongFormat), QStringLiteral("2026年12月9日星期三"));
}

void QtCommonTest::SimplifiedChineseFont_DrawsHanInSimplifiedForms()
{
    if (!QFontDatabase::families().contains(QStringLiteral("Noto Sans CJK SC")))
        QSKIP("Noto Sans CJK SC is not installed (Debian: fonts-noto-cjk)");
    const QFont before = QApplication::font();
    QVERIFY(PreferSimplifiedChineseFont());
    QCOMPARE(DrawingFamilies(QStringLiteral("文件夹直角"), QApplication::font()),
             QStringList{QStringLiteral("Noto Sans CJK SC")});
    // Latin text keeps the family it had.
    QCOMPARE(DrawingFamilies(QStringLiteral("Folder"), QApplication::font()), DrawingFamilies("Folder", before));
    // Widgets made afterwards inherit it.
    QLabel label(QStringLiteral("确定"));
    QCOMPARE(DrawingFamilies(label.text(), label.font()), QStringList{QStringLiteral("Noto Sans CJK SC")});
    QApplication::setFont(before);
}

// The catalogue stays installed for the rest of the program.
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

void QtCommonTest::FileDialog_TypesSizesAndDatesInChinese()
{
    UseChineseLocale();
    InstallQtChineseCatalogue();
    LocaliseFileDialogs();
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("照片")));
    QFile file(dir.filePath(QStringLiteral("说明.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(3000, 'a'));
    file.close();

    QFileDialog dialog(nullptr, QString(), dir.path());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setViewMode(QFileDialog::Detail);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QAbstractProxyModel* model = dialog.proxyModel();
    QVERIFY(model);
    auto* view = dialog.findChild<QAbstractItemView*>(QStringLiteral("treeView"));
    QVERIFY(view);
    auto cell = [&](const QString& name, int column) {
        const QModelIndex root = view->rootIndex();
        for (int r = 0; r < model->rowCount(root); ++r) {
            const QModelIndex index = model->index(r, 0, root);
            if (index.data().toString() == name) return index.siblingAtColumn(column).data().toString();
        }
        return QString();
    };
    QTRY_COMPARE(cell(QStringLiteral("照片"), 2), QStringLiteral("文件夹"));
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    const QFileInfo info(file.fileName());
    QCOMPARE(cell(QStringLiteral("说明.txt"), 1), chinese.formattedDataSize(3000));
    QCOMPARE(cell(QStringLiteral("说明.txt"), 3), chinese.toString(info.lastModified(), QLocale::ShortFormat));
    // The columns are wide enough for the texts, and the last in sight.
    auto* tree = qobject_cast<QTreeView*>(view);
    QVERIFY(tree);
    for (int c = 1; c <= 3; ++c)
        QVERIFY(tree->header()->sectionSize(c) > tree->fontMetrics().horizontalAdvance(cell(QStringLiteral("说明.txt"), c)));
    QTRY_VERIFY(tree->header()->sectionPosition(3) + tree->header()->sectionSize(3) <= tree->viewport()->width());
}

QTEST_MAIN(QtCommonTest)
#include "QtCommon_test.moc"
