// The main window names rows off its thread: keystrokes cancel the running
// cycle, the rows on screen come first, the list and the problems follow
// by themselves, and a rename started before the cycle ended uses the
// names of the last keystroke.
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

#include "FileListModel.h"
#include "GuiTestSupport.h"
#include "KQToolsDlg.h"
#include "renamer/app/pages/EePage.h"
#include "renamer/modes/FormulaNaming.h"
#include "support/TestSupport.h"

using namespace kq;
using namespace kq::test;

namespace {

constexpr int kRows = 3000;

void DropFolder(CKQToolsDlg& dlg, const CTempDir& dir, CScriptedPrompt& prompt)
{
    prompt.Answer(EPromptAnswer::No);  // no sub-folders
    dir.MakeFolder(u"d");
    for (int i = 0; i < kRows; ++i) dir.MakeFile(u"d/f" + QString::number(i).toStdU16String() + u".txt", "x");
    dlg.AddDroppedPaths({QString::fromStdU16String(dir.Child(u"d"))});
    QCOMPARE(dlg.List().GetItemCount(), kRows);
}

CEfPage* FormulaPage(CKQToolsDlg& dlg)
{
    ModeButton(dlg, CKQToolsDlg::kModeFormula)->click();
    return static_cast<CEfPage*>(dlg.Page(CKQToolsDlg::kModeFormula));
}

}  // namespace

class NameCycleTest : public QObject {
    Q_OBJECT
private slots:
    void Keystrokes_CancelAndTheLastOneFinishesByItself();
    void Rename_RightAfterAKeystrokeUsesItsNames();
    void HandEdit_WhileACycleRunsKeepsTheEditAndTheOtherNames();
};

void NameCycleTest::Keystrokes_CancelAndTheLastOneFinishesByItself()
{
    CScriptedPrompt prompt;
    CTempDir dir;
    CKQToolsDlg dlg;
    dlg.m_nSyncRows = 0;
    dlg.show();
    DropFolder(dlg, dir, prompt);
    CEfPage* page = FormulaPage(dlg);
    QTRY_VERIFY(!dlg.NamesPending());

    page->m_pFormula->setFocus();
    QTest::keyClicks(page->m_pFormula, QStringLiteral("nosuch(index()"));
    // Each keystroke replaced the cycle before; the last one ends without
    // anyone asking for the names.
    QTRY_VERIFY(!dlg.NamesPending());
    QCOMPARE(dlg.Problems().BlockingCount(), size_t(kRows));
    QCOMPARE(Find<QLabel>(dlg, "ProblemPane")->text(),
             QStringLiteral("将改名：%1个   有问题：%2个").arg(dlg.Problems().ChangingCount()).arg(kRows));

    page->m_pFormula->selectAll();
    QTest::keyClicks(page->m_pFormula, QStringLiteral("\"n\"&index()&\"_\"&ftitle()"));
    const auto* model = Find<CFileListModel>(dlg, "FileListModel");
    // The first row is on screen: it shows its name before the list has it.
    QTRY_COMPARE(model->index(0, kColNewName).data().toString(), QStringLiteral("n1_f0.txt"));
    QTRY_VERIFY(!dlg.NamesPending());

    CFileNameList expected = dlg.List();
    CEfFields{u"\"n\"&index()&\"_\"&ftitle()"}.FillNewNames(expected, true);
    QCOMPARE(Column(dlg.List(), kColNewName), Column(expected, kColNewName));
    QCOMPARE(dlg.Problems().BlockingCount(), size_t(0));
}

void NameCycleTest::Rename_RightAfterAKeystrokeUsesItsNames()
{
    CScriptedPrompt prompt;
    CTempDir dir;
    CKQToolsDlg dlg;
    dlg.m_nSyncRows = 0;
    dlg.show();
    DropFolder(dlg, dir, prompt);
    CEfPage* page = FormulaPage(dlg);
    page->m_pFormula->setPlainText(QStringLiteral("\"r\"&index("));
    page->m_pFormula->moveCursor(QTextCursor::End);
    // Typed without the event loop running: the cycle cannot have ended.
    page->m_pFormula->insertPlainText(QStringLiteral(")"));
    QVERIFY(dlg.NamesPending());
    prompt.Answer(EPromptAnswer::Yes);
    dlg.OnExecuteRename();
    QCOMPARE(dlg.List().LastSummary().m_nRenamed, size_t(kRows));
    const QDir folder(QString::fromStdU16String(dir.Child(u"d")));
    QVERIFY(folder.exists(QStringLiteral("r10.txt")));
    QVERIFY(folder.exists(QStringLiteral("r%10.txt").arg(kRows)));
    QCOMPARE(folder.entryList(QDir::Files).size(), kRows);
}

void NameCycleTest::HandEdit_WhileACycleRunsKeepsTheEditAndTheOtherNames()
{
    CScriptedPrompt prompt;
    CTempDir dir;
    CKQToolsDlg dlg;
    dlg.m_nSyncRows = 0;
    dlg.show();
    DropFolder(dlg, dir, prompt);
    CEfPage* page = FormulaPage(dlg);
    page->m_pFormula->setFocus();
    page->m_pFormula->insertPlainText(QStringLiteral("upper(fname())"));
    QVERIFY(dlg.NamesPending());
    auto* model = Find<CFileListModel>(dlg, "FileListModel");
    QVERIFY(model->setData(model->index(kRows - 1, kColNewName), QStringLiteral("mine.txt"), Qt::EditRole));
    QVERIFY(!dlg.NamesPending());
    QCOMPARE(QString::fromStdU16String(dlg.List().GetText(kRows - 1, kColNewName)), QStringLiteral("mine.txt"));
    QCOMPARE(QString::fromStdU16String(dlg.List().GetText(0, kColNewName)), QStringLiteral("F0.TXT.txt"));
}

QTEST_MAIN(NameCycleTest)
#include "NameCycle_test.moc"
