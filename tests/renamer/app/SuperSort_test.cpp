// The super-sort dialogs driven as a user would, on a real rule store in a
// temporary configuration folder, with message boxes answered by a script.
#include <QComboBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include "FileListModel.h"
#include "GuiTestSupport.h"
#include "KQToolsDlg.h"
#include "platform/Crt.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "renamer/list/LaunchCommands.h"
#include "platform/Text.h"
#include "renamer/app/supersort/MdySortRouteDlg.h"
#include "renamer/app/supersort/NewClauseDlg.h"
#include "renamer/app/supersort/RouteDlgs.h"
#include "renamer/app/supersort/SuperSortDlg.h"
#include "renamer/supersort/SortWorkList.h"
#include "support/TestSupport.h"

using namespace kq;
using namespace kq::test;

namespace {

QStringList Items(const QComboBox* combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i) out << combo->itemText(i);
    return out;
}

// Answers the next name dialog with name and description.
void NameDialogAnswers(const QString& name, const QString& description = {})
{
    WhenModal<CNewSortRouteDlg>([name, description](CNewSortRouteDlg* d) {
        d->m_pName->setText(name);
        d->m_pDescription->setPlainText(description);
        d->OnOK();
    });
}

QStringList Row(const QTableWidget* table, int row)
{
    QStringList out;
    for (int c = 0; c < table->columnCount(); ++c) out << table->item(row, c)->text();
    return out;
}

}  // namespace

class SuperSortTest : public QObject {
    Q_OBJECT

private slots:
    void Chooser_NewRenameDeleteAndCancelStillSaves();
    void Chooser_ExportThenImportTwice();
    void RuleEditor_EditsDeletesAndMovesClauses();
    void ClauseEditor_EnableRulesAndIntegerCheck();
    void MainWindow_SuperSortReordersRowsAfterPreview();
    void Preview_ShowsAHundredThousandRows();
    void Tables_ColumnsAndConditionsFitTheDefaultSize();
    void NameDialog_TabLeavesTheDescription();
};

void SuperSortTest::Chooser_NewRenameDeleteAndCancelStillSaves()
{
    CTempDir config;
    CScopedEnv env("KQ_CONFIG_HOME", config.NativePath());
    CreateFolder(GetConfigFolder());
    CScriptedPrompt prompt;
    {
        CSuperSortDlg dlg;
        QCOMPARE(dlg.m_pRoutes->count(), 0);
        QVERIFY(dlg.m_pDescription->text().isEmpty());
        dlg.OnOK();  // nothing chosen: stays open
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(dlg.m_nChosen, -1);

        NameDialogAnswers(QStringLiteral("  甲  "), QStringLiteral("第一条"));
        dlg.OnAdd();
        NameDialogAnswers(QStringLiteral("Abc"));
        dlg.OnAdd();
        NameDialogAnswers(QStringLiteral("abc"));
        dlg.OnAdd();
        QCOMPARE(Items(dlg.m_pRoutes), (QStringList{QStringLiteral("甲"), QStringLiteral("Abc"), QStringLiteral("abc")}));
        QCOMPARE(dlg.m_pRoutes->currentIndex(), 0);
        QVERIFY(dlg.m_pDescription->text().startsWith(QStringLiteral("规则名称：甲\n创建时间：")));
        QVERIFY(dlg.m_pDescription->text().endsWith(QStringLiteral("\n创建方式：用户创建\n规则说明：第一条")));

        // A name typed with spaces collides with the same name without them.
        WhenModal<CNewSortRouteDlg>([](CNewSortRouteDlg* d) {
            d->m_pName->setText(QStringLiteral(" Abc"));
            d->OnOK();
            QVERIFY(d->isVisible());
            d->reject();
        });
        dlg.OnAdd();
        QCOMPARE(prompt.Shown().back().m_strTitle, std::u16string(u"名称存在"));
        QCOMPARE(dlg.m_list.GetCount(), 3);

        dlg.m_pRoutes->setCurrentIndex(1);
        NameDialogAnswers(QStringLiteral("Abc"), QStringLiteral("自己的名字"));  // its own name
        dlg.OnRename();
        QCOMPARE(dlg.m_list[1].m_strDescription, std::u16string(u"自己的名字"));
        prompt.Clear();
        WhenModal<CNewSortRouteDlg>([](CNewSortRouteDlg* d) {
            d->m_pName->setText(QStringLiteral("abc"));
            d->OnOK();
            QVERIFY(d->isVisible());
            d->reject();
        });
        dlg.OnRename();
        QCOMPARE(prompt.Shown().size(), size_t(1));
        QCOMPARE(dlg.m_list[1].m_strName, std::u16string(u"Abc"));

        // Deleting the last entry selects the one before it.
        dlg.m_pRoutes->setCurrentIndex(2);
        prompt.Answer(EPromptAnswer::Yes);
        dlg.OnDelete();
        QCOMPARE(prompt.Shown().back().m_strText, std::u16string(u"删除的规则无法恢复，确实需要删除规则“abc”吗？"));
        QCOMPARE(Items(dlg.m_pRoutes), (QStringList{QStringLiteral("甲"), QStringLiteral("Abc")}));
        QCOMPARE(dlg.m_pRoutes->currentIndex(), 1);
        QVERIFY(dlg.m_pDescription->text().startsWith(QStringLiteral("规则名称：Abc")));
        prompt.Answer(EPromptAnswer::No);
        dlg.OnDelete();
        QCOMPARE(dlg.m_list.GetCount(), 2);
        dlg.reject();
    }
    CSortRouteList saved;
    QVERIFY(LoadRouteFile(RouteStorePath(), saved));
    QCOMPARE(saved.GetCount(), 2);
    QCOMPARE(saved[0].m_strName, std::u16string(u"甲"));

    CSuperSortDlg again;
    QCOMPARE(Items(again.m_pRoutes), (QStringList{QStringLiteral("甲"), QStringLiteral("Abc")}));
    again.m_pRoutes->setCurrentIndex(1);
    again.OnOK();
    QCOMPARE(again.result(), int(QDialog::Accepted));
    QCOMPARE(again.m_nChosen, 1);
}

void SuperSortTest::Chooser_ExportThenImportTwice()
{
    CTempDir config;
    CScopedEnv env("KQ_CONFIG_HOME", config.NativePath());
    CreateFolder(GetConfigFolder());
    CScriptedPrompt prompt;
    CSuperSortDlg dlg;
    NameDialogAnswers(QStringLiteral("甲"));
    dlg.OnAdd();
    dlg.m_list[0].m_nTime = 1234;
    dlg.m_list[0].m_aClauses.resize(2);
    const QString file = QString::fromStdU16String(config.Child(u"rules.cfg"));
    dlg.m_fnSaveFile = [file](QWidget*, const QString&) { return file; };
    dlg.m_fnOpenFile = [file](QWidget*, const QString&) { return file; };

    // Nothing checked: refused, the dialog stays.
    WhenModal<CPortListDlg>([](CPortListDlg* d) {
        d->OnOK();
        QVERIFY(d->isVisible());
        d->m_pList->item(0)->setCheckState(Qt::Checked);
        d->OnOK();
    });
    dlg.OnExport();
    QCOMPARE(prompt.Shown().back().m_strTitle, std::u16string(u"没有选择"));
    CSortRouteList exported;
    QVERIFY(LoadRouteFile(file.toStdU16String(), exported));
    QCOMPARE(exported.GetCount(), 1);
    QCOMPARE(exported[0].m_nTime, int64_t(1234));

    for (int round = 0; round < 2; ++round) {
        WhenModal<CPortListDlg>([](CPortListDlg* d) {
            d->m_pList->item(0)->setCheckState(Qt::Checked);
            d->OnOK();
        });
        dlg.OnImport();
    }
    QCOMPARE(Items(dlg.m_pRoutes),
             (QStringList{QStringLiteral("甲"), QStringLiteral("甲 导入"), QStringLiteral("甲 导入 导入")}));
    QCOMPARE(dlg.m_list[2].m_nOrigin, int(kOriginImported));
    QCOMPARE(dlg.m_list[2].m_aClauses.size(), size_t(2));
    QVERIFY(dlg.m_list[2].m_nTime > 1234);
}

void SuperSortTest::RuleEditor_EditsDeletesAndMovesClauses()
{
    CScriptedPrompt prompt;
    CSortRouteItem rule;
    CMdySortRouteDlg dlg(rule);
    // A new clause with its defaults.
    WhenModal<CNewClauseDlg>([](CNewClauseDlg* d) { d->OnOK(); });
    dlg.OnAdd();
    QCOMPARE(Row(dlg.m_pTable, 0), (QStringList{QStringLiteral("1"), QStringLiteral("A"), QStringLiteral("无循环"),
                                                QStringLiteral("10"), QStringLiteral("包含{} "), QString(), QString()}));
    for (int k = 1; k < 6; ++k) {
        WhenModal<CNewClauseDlg>([k](CNewClauseDlg* d) {
            d->m_pWeight->setText(QString::number(k));
            d->m_pCombination->setCurrentIndex(3);
            d->m_aText[2]->setText(QStringLiteral("c"));
            d->OnOK();
        });
        dlg.OnAdd();
    }
    QCOMPARE(rule.m_aClauses.size(), size_t(6));
    QCOMPARE(Row(dlg.m_pTable, 5).mid(3), (QStringList{QStringLiteral("5"), QStringLiteral("包含{} "),
                                                      QStringLiteral("包含{} "), QStringLiteral("包含{c} ")}));

    // Edit: none or several selected are refused; one is edited in place.
    dlg.m_pTable->clearSelection();
    dlg.OnEdit();
    QCOMPARE(prompt.Shown().back().m_strTitle, std::u16string(u"没有选择"));
    dlg.SelectRows({1, 2});
    dlg.OnEdit();
    QCOMPARE(prompt.Shown().back().m_strTitle, std::u16string(u"选择过多"));
    dlg.SelectRows({5});
    WhenModal<CNewClauseDlg>([](CNewClauseDlg* d) {
        d->m_pCombination->setCurrentIndex(0);
        d->OnOK();
    });
    dlg.OnEdit();
    QCOMPARE(Row(dlg.m_pTable, 5).mid(4), (QStringList{QStringLiteral("包含{} "), QString(), QString()}));
    QCOMPARE(rule.m_aClauses[5].m_aConditionText[2], std::u16string(u"c"));  // kept in the clause

    // Gaps refuse to move; a block moves and stays selected.
    prompt.Clear();
    dlg.SelectRows({1, 3});
    dlg.OnMove(-1);
    QCOMPARE(prompt.Shown().size(), size_t(1));
    QCOMPARE(prompt.Shown()[0].m_strText, std::u16string(u"条款上下移操作时，只能连续选择条款！"));
    dlg.SelectRows({2, 3});
    dlg.OnMove(-1);
    QCOMPARE(dlg.SelectedRows(), (std::vector<int>{1, 2}));
    QCOMPARE(dlg.m_pTable->item(3, 3)->text(), QStringLiteral("1"));
    QCOMPARE(dlg.m_pTable->item(3, 0)->text(), QStringLiteral("4"));
    dlg.SelectRows({5});
    dlg.OnMove(1);
    QCOMPARE(dlg.SelectedRows(), (std::vector<int>{5}));

    // Delete rows 2 and 5: clauses 0, 1, 3, 4 remain, renumbered.
    dlg.SelectRows({2, 5});
    prompt.Answer(EPromptAnswer::Yes);
    dlg.OnDelete();
    QCOMPARE(dlg.m_pTable->rowCount(), 4);
    QStringList weights, numbers;
    for (int r = 0; r < 4; ++r) {
        weights << dlg.m_pTable->item(r, 3)->text();
        numbers << dlg.m_pTable->item(r, 0)->text();
    }
    QCOMPARE(weights, (QStringList{QStringLiteral("10"), QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("4")}));
    QCOMPARE(numbers, (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}));

    prompt.Answer(EPromptAnswer::No);
    dlg.OnClear();
    QCOMPARE(rule.m_aClauses.size(), size_t(4));
    prompt.Answer(EPromptAnswer::Yes);
    dlg.OnClear();
    QCOMPARE(rule.m_aClauses.size(), size_t(0));
    QCOMPARE(dlg.m_pTable->rowCount(), 0);
}

void SuperSortTest::ClauseEditor_EnableRulesAndIntegerCheck()
{
    CScriptedPrompt prompt;
    CSortRouteClause clause;
    CNewClauseDlg dlg(clause);
    QVERIFY(!dlg.m_pLoopStart->isEnabled());
    QVERIFY(!dlg.m_pLoopEnd->isEnabled());
    QVERIFY(!dlg.m_aText[1]->isEnabled());
    QCOMPARE(dlg.m_aHint[0]->text(), QStringLiteral("可使用公式，使用公式时=开头"));
    struct Case {
        int loop, combination;
        bool start, end, b, c;
    } cases[] = {{1, 1, true, true, true, false}, {2, 2, true, false, true, false}, {0, 3, false, false, true, true},
                 {1, 6, true, true, true, true}, {0, 0, false, false, false, false}};
    for (const auto& c : cases) {
        dlg.m_pLoopMode->setCurrentIndex(c.loop);
        dlg.m_pCombination->setCurrentIndex(c.combination);
        QCOMPARE(dlg.m_pLoopStart->isEnabled(), c.start);
        QCOMPARE(dlg.m_pLoopStep->isEnabled(), c.start);
        QCOMPARE(dlg.m_pLoopEnd->isEnabled(), c.end);
        QCOMPARE(dlg.m_aMode[1]->isEnabled(), c.b);
        QCOMPARE(dlg.m_aHint[1]->isEnabled(), c.b);
        QCOMPARE(dlg.m_aText[2]->isEnabled(), c.c);
        QCOMPARE(dlg.m_aHint[2]->text(), c.start ? QStringLiteral("可使用公式及变量i，使用公式时=开头")
                                                 : QStringLiteral("可使用公式，使用公式时=开头"));
    }
    dlg.m_pLoopMode->setCurrentIndex(2);
    dlg.m_pLoopStep->setText(QStringLiteral("x"));
    dlg.m_pWeight->setText(QString());
    dlg.OnOK();
    QVERIFY(prompt.Shown().size() == 1);
    QCOMPARE(clause.m_nLoopMode, 0);  // unchanged
    dlg.m_pLoopStep->setText(QStringLiteral("0"));
    dlg.m_pLoopEnd->setText(QStringLiteral("-7"));  // disabled, written all the same
    dlg.OnOK();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(clause.m_nLoopMode, 2);
    QCOMPARE(clause.m_nLoopStep, 0);
    QCOMPARE(clause.m_nLoopEnd, -7);
    QVERIFY(clause.m_strWeight.empty());

    // 表达式帮助 opens the formula help document.
    CTempDir dir;
    CScopedEnv registry("KQ_REGISTRY_FILE", ToUtf8(WriteRegistryFile(dir.Path(), u"/opt/kq", u"/opt/c")));
    std::u16string opened;
    SetShellOpenHook([&](std::u16string_view t, std::u16string_view) {
        opened = std::u16string(t);
        return true;
    });
    QTest::mouseClick(dlg.m_pHelp, Qt::LeftButton);
    SetShellOpenHook(nullptr);
    QCOMPARE(opened, FormulaHelpCommand().m_strTarget);
}

void SuperSortTest::MainWindow_SuperSortReordersRowsAfterPreview()
{
    CTempDir config;
    CScopedEnv env("KQ_CONFIG_HOME", config.NativePath());
    CreateFolder(GetConfigFolder());
    CSortRouteList rules;
    rules.AddRoute(u"按章", u"");
    CSortRouteClause clause;
    clause.m_nLoopMode = 1;
    clause.m_nLoopEnd = 3;
    clause.m_aConditionText[0] = u"=\"第\"&i";
    clause.m_strWeight = u"=i";
    rules[0].m_aClauses = {clause};
    QVERIFY(SaveRouteFile(RouteStorePath(), rules));

    CScriptedPrompt prompt;
    CTempDir dir;
    CKQToolsDlg dlg;
    QVERIFY(Find<QAction>(dlg, "SuperSortUp")->isEnabled());
    for (const char16_t* name : {u"第2章.txt", u"第3章", u"第1章.doc"}) {
        dir.MakeFile(name);
        dlg.List().AddFile(dir.Child(name));
    }
    dlg.List().SetText(1, kColStatus, kStatusDone);
    // Cancelled preview: nothing changes.
    WhenModal<CSuperSortDlg>([](CSuperSortDlg* d) {
        WhenModal<CPrepSortDlg>([](CPrepSortDlg* p) {
            QCOMPARE(p->m_pTable->model()->index(0, 1).data().toString(), QStringLiteral("第3章"));
            QCOMPARE(p->m_pTable->model()->index(0, 3).data().toString(), QStringLiteral("3"));
            p->reject();
        });
        d->OnOK();
    });
    Find<QAction>(dlg, "SuperSortDown")->trigger();
    QCOMPARE(Column(dlg.List(), kColOldName),
             (QStringList{QStringLiteral("第2章.txt"), QStringLiteral("第3章"), QStringLiteral("第1章.doc")}));

    WhenModal<CSuperSortDlg>([](CSuperSortDlg* d) {
        WhenModal<CPrepSortDlg>([](CPrepSortDlg* p) { p->accept(); });
        d->OnOK();
    });
    Find<QAction>(dlg, "SuperSortUp")->trigger();
    QCOMPARE(Column(dlg.List(), kColOldName),
             (QStringList{QStringLiteral("第1章.doc"), QStringLiteral("第2章.txt"), QStringLiteral("第3章")}));
    QCOMPARE(Column(dlg.List(), kColStatus)[2], QString::fromStdU16String(kStatusDone));
    // The new names were computed for the new order.
    QCOMPARE(Column(dlg.List(), kColNewName)[0], QStringLiteral("第1章.doc"));
}

void SuperSortTest::Preview_ShowsAHundredThousandRows()
{
    CFileNameList list;
    list.Reserve(100000);
    for (int r = 0; r < 100000; ++r) list.AddRow(u"/big", u"f" + FormatInt(r) + u".txt");
    CSortRouteItem rule;
    CSortWorkList work;
    QCOMPARE(PrepareSuperSort(work, list, rule, true), kSuperSortOk);
    CPrepSortDlg preview(work);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QCOMPARE(preview.m_pTable->model()->rowCount(), 100000);
    preview.m_pTable->scrollToBottom();
    QCOMPARE(preview.m_pTable->model()->index(99999, 0).data().toString(), QStringLiteral("100000"));
    QCOMPARE(preview.m_pTable->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("权值"));
}

void SuperSortTest::Tables_ColumnsAndConditionsFitTheDefaultSize()
{
    CFileNameList list;
    list.AddRow(u"/home/user/文档/项目资料/二〇二六年/图纸", u"底层平面图.dwg");
    CSortRouteItem rule;
    CSortRouteClause clause;
    clause.m_nCombination = 5;
    clause.m_aConditionMode = {1, 0, 6};
    clause.m_aConditionText = {u"IMG", u"=\"000\"&i", u"图纸"};
    rule.m_aClauses = {clause, clause};
    CSortWorkList work;
    QCOMPARE(PrepareSuperSort(work, list, rule, true), kSuperSortOk);
    CPrepSortDlg preview(work);
    CMdySortRouteDlg editor(rule);
    const std::pair<QDialog*, QTableView*> rows[] = {{&preview, preview.m_pTable}, {&editor, editor.m_pTable}};
    for (const auto& [dialog, table] : rows) {
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        const int last = table->model()->columnCount() - 1;
        QVERIFY2(table->columnViewportPosition(last) + table->columnWidth(last) <= table->viewport()->width(),
                 qPrintable(dialog->objectName()));
        QCOMPARE(table->horizontalScrollBar()->maximum(), 0);
        for (int c = 0; c <= last; ++c) QVERIFY(table->columnWidth(c) >= table->horizontalHeader()->minimumSectionSize());
    }
    // Every condition reads whole at the size the editor opens with.
    for (int c = 4; c < 7; ++c) {
        const QString text = editor.m_pTable->item(0, c)->text();
        QVERIFY2(editor.m_pTable->fontMetrics().horizontalAdvance(text) < editor.m_pTable->columnWidth(c), qPrintable(text));
        QCOMPARE(editor.m_pTable->item(0, c)->toolTip(), text.trimmed());
    }
}

void SuperSortTest::NameDialog_TabLeavesTheDescription()
{
    CSortRouteList routes;
    CNewSortRouteDlg dlg(routes, -1, u"名称", u"说明");
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QApplication::setActiveWindow(&dlg);
    dlg.m_pDescription->setFocus();
    QTRY_VERIFY(dlg.m_pDescription->hasFocus());
    QTest::keyClick(dlg.m_pDescription, Qt::Key_Tab);
    QVERIFY(!dlg.m_pDescription->hasFocus());
    QCOMPARE(dlg.m_pDescription->toPlainText(), QStringLiteral("说明"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QVERIFY(dlg.m_pDescription->hasFocus());
}

QTEST_MAIN(SuperSortTest)
#include "SuperSort_test.moc"
