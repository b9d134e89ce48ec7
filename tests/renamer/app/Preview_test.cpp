// The preview in the main window: each row's problem in the status column,
// the counts in the status bar, the page's error line and the confirmation
// that names the problems first.
#include <QColor>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "FileListModel.h"
#include "GuiTestSupport.h"
#include "KQToolsDlg.h"
#include "renamer/app/pages/EePage.h"
#include "support/TestSupport.h"

using namespace kq;
using namespace kq::test;

namespace {

QString S(const std::u16string& text) { return QString::fromStdU16String(text); }

void AddFiles(CKQToolsDlg& dlg, const CTempDir& dir, const QStringList& names)
{
    QStringList paths;
    for (const QString& name : names) {
        dir.MakeFile(name.toStdU16String(), "x");
        paths << S(dir.Child(name.toStdU16String()));
    }
    dlg.m_fnOpenFiles = [paths](QWidget*, const QString&, const QStringList&) { return paths; };
    QTest::mouseClick(Find<QPushButton>(dlg, "AddButton"), Qt::LeftButton);
}

QStringList Statuses(const CKQToolsDlg& dlg)
{
    const auto* model = Find<CFileListModel>(dlg, "FileListModel");
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r) out << model->index(r, kColStatus).data().toString();
    return out;
}

void Type(QPlainTextEdit* edit, const QString& text)
{
    edit->clear();
    edit->setFocus();
    QTest::keyClicks(edit, text);
}

}  // namespace

class PreviewTest : public QObject {
    Q_OBJECT
private slots:
    void StatusColumnAndCounts_FollowEveryKeystroke();
    void PageError_ShowsTheFirstFailingRowWithoutPlaceholders_data();
    void PageError_ShowsTheFirstFailingRowWithoutPlaceholders();
    void Confirmation_NamesTheProblemsAndFailedRowsStay();
};

void PreviewTest::StatusColumnAndCounts_FollowEveryKeystroke()
{
    CScriptedPrompt prompt;
    CTempDir dir;
    dir.MakeFile(u"taken.txt");
    CKQToolsDlg dlg;
    dlg.show();
    AddFiles(dlg, dir, {"a.txt", "b.txt", "c.txt", "d.txt"});
    QTest::mouseClick(ModeButton(dlg, 4), Qt::LeftButton);
    auto* formula = static_cast<CEfPage*>(dlg.Page(4))->m_pFormula;
    Type(formula, "if(exact(ftitle(),\"a\"),\"taken\",if(exact(ftitle(),\"b\")+exact(ftitle(),\"c\"),\"same\",\"\"))");
    QCOMPARE(Statuses(dlg), (QStringList{"已有同名文件", "名称重复（第3行）", "名称重复（第2行）", "将成为隐藏文件"}));
    const auto* model = Find<CFileListModel>(dlg, "FileListModel");
    QCOMPARE(model->index(0, kColStatus).data(Qt::ForegroundRole).value<QColor>(), QColor(0xC0, 0x00, 0x00));
    QCOMPARE(model->index(3, kColStatus).data(Qt::ForegroundRole).value<QColor>(), QColor(0xB0, 0x60, 0x00));
    QCOMPARE(Find<QLabel>(dlg, "ProblemPane")->text(), QStringLiteral("将改名：1个   有问题：3个"));

    Type(formula, "ftitle()&\"_1\"");
    QCOMPARE(Statuses(dlg), (QStringList{"未处理", "未处理", "未处理", "未处理"}));
    QVERIFY(!model->index(0, kColStatus).data(Qt::ForegroundRole).isValid());
    QCOMPARE(Find<QLabel>(dlg, "ProblemPane")->text(), QStringLiteral("将改名：4个   有问题：0个"));
    Type(formula, "ftitle()");
    QCOMPARE(Statuses(dlg), (QStringList{"名称未变", "名称未变", "名称未变", "名称未变"}));
    QCOMPARE(Find<QLabel>(dlg, "ProblemPane")->text(), QStringLiteral("将改名：0个   有问题：0个"));
    QVERIFY(prompt.Shown().empty());
}

void PreviewTest::PageError_ShowsTheFirstFailingRowWithoutPlaceholders_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    QTest::newRow("formula") << 4 << "ftitle()x"
                             << "第1行：错误6：变量或常量…x错误";
    QTest::newRow("second row") << 4 << "if(exact(ftitle(),\"a\"),ftitle(),nosuch())"
                                << "第2行：错误2：函数nosuch不存在";
    QTest::newRow("formula fixed") << 4 << "ftitle()&\"x\""
                                   << "";
    QTest::newRow("template") << 3 << "{t=1;F"
                              << "第1行：'{'找不到匹配的'}'，请检查后重试！";
    QTest::newRow("template fixed") << 3 << "{t=1;F}"
                                    << "";
}

void PreviewTest::PageError_ShowsTheFirstFailingRowWithoutPlaceholders()
{
    QFETCH(int, mode);
    QFETCH(QString, text);
    QFETCH(QString, error);
    CScriptedPrompt prompt;
    CTempDir dir;
    CKQToolsDlg dlg;
    dlg.show();
    AddFiles(dlg, dir, {"a.txt", "b.txt"});
    QTest::mouseClick(ModeButton(dlg, mode), Qt::LeftButton);
    auto* page = dlg.Page(mode);
    Type(mode == 4 ? static_cast<CEfPage*>(page)->m_pFormula : static_cast<CEePage*>(page)->m_pMacro, text);
    auto* line = Find<QLabel>(*page, "PageError");
    QCOMPARE(line->text(), error);
    QCOMPARE(line->isVisible(), !error.isEmpty());
    if (!error.isEmpty()) QVERIFY(Statuses(dlg).contains(QStringLiteral("表达式出错")));
    QVERIFY(prompt.Shown().empty());  // no message box
}

void PreviewTest::Confirmation_NamesTheProblemsAndFailedRowsStay()
{
    CScriptedPrompt prompt;
    CTempDir dir;
    CKQToolsDlg dlg;
    dlg.show();
    AddFiles(dlg, dir, {"a.txt", "b.txt"});
    QTest::mouseClick(ModeButton(dlg, 4), Qt::LeftButton);
    Type(static_cast<CEfPage*>(dlg.Page(4))->m_pFormula, "if(exact(ftitle(),\"a\"),nosuch(),\"new\")");
    prompt.Answer(EPromptAnswer::No);
    QTest::mouseClick(Find<QPushButton>(dlg, "ExecuteButton"), Qt::LeftButton);
    QVERIFY(S(prompt.Shown().front().m_strText).startsWith(QStringLiteral("列表中有1行存在问题：表达式出错1行。\n")));
    QCOMPARE(dir.List(), (std::vector<std::u16string>{u"a.txt", u"b.txt"}));

    prompt.Answer(EPromptAnswer::Yes);
    QTest::mouseClick(Find<QPushButton>(dlg, "ExecuteButton"), Qt::LeftButton);
    QCOMPARE(dir.List(), (std::vector<std::u16string>{u"a.txt", u"new.txt"}));
    // After the run the statuses stand; the failed row keeps its reason.
    QCOMPARE(Statuses(dlg), (QStringList{"未处理", "已处理"}));
    QCOMPARE(Find<CFileListModel>(dlg, "FileListModel")->index(0, kColStatus).data(Qt::ToolTipRole).toString(),
             QStringLiteral("错误2：函数nosuch不存在"));
    QCOMPARE(S(prompt.Shown().back().m_strTitle), QStringLiteral("改名未全部完成"));
}

QTEST_MAIN(PreviewTest)
#include "Preview_test.moc"
