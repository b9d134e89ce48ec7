// The five mode pages and the pickers: enable rules, the start list of the
// Enhanced page, pasting from the real clipboard, typing through invalid
// states, and the ready-made expression and formula pickers.
#include <QCheckBox>
#include <QLabel>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "GuiTestSupport.h"
#include "KQToolsDlg.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "renamer/modes/FormulaPresets.h"
#include "qtcommon/QtPrompt.h"
#include "renamer/app/pages/EaPage.h"
#include "renamer/app/pages/ElPage.h"
#include "renamer/app/pages/EePage.h"
#include "renamer/app/pages/EnPage.h"
#include "renamer/app/pages/MarcoDlgs.h"
#include "renamer/templates/MacroPresets.h"
#include "support/TestSupport.h"

using namespace kq;
using namespace kq::test;

namespace {

QString S(const std::u16string& text) { return QString::fromStdU16String(text); }

QStringList Items(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

CFileNameList MakeList(std::initializer_list<const char16_t*> names)
{
    CFileNameList list;
    for (const char16_t* name : names) list.AddRow(u"/data", name);
    return list;
}

}  // namespace

class PagesTest : public QObject {
    Q_OBJECT

private slots:
    void EaPage_ChecksEnableTheirControls();
    void EaPage_EveryChangeAsksForNames();
    void EnPage_KindEnablesListsAndResetsStart();
    void ReplacePages_RegexShowsItsMessageUnderTheFields();
    void ElPage_PastesFromClipboardAndEditsNames();
    void TextPages_SurviveTypingThroughInvalidStates();
    void ExpressionPicker_TakesChoiceOnOkOrDoubleClick();
    void FormulaPicker_ListsFormulasWithDescriptions();
    void RuleDialog_ShowsRulesText();
    void Pickers_OpenWithNothingChosenOrDescribed();
    void FormulaHelp_OpensCalhelpFromInstallationFolder();
};

void PagesTest::EaPage_ChecksEnableTheirControls()
{
    CEaPage page;
    struct {
        QCheckBox* check;
        QList<QWidget*> controls;
    } rows[] = {
        {page.m_pIndexEnabled, {page.m_pStart, page.m_pStep, page.m_pRepeat, page.m_pDigits, page.m_pPosition}},
        {page.m_replaceDelete.m_pReplaceEnabled,
         {page.m_replaceDelete.m_pFind, page.m_replaceDelete.m_pReplace, page.m_replaceDelete.m_pRegex}},
        {page.m_replaceDelete.m_pDeleteEnabled,
         {page.m_replaceDelete.m_pDeletePosition, page.m_replaceDelete.m_pDeleteCount}},
    };
    for (const auto& row : rows) {
        for (QWidget* w : row.controls) QVERIFY(!w->isEnabled());
        row.check->click();
        for (QWidget* w : row.controls) QVERIFY(w->isEnabled());
        row.check->click();
        for (QWidget* w : row.controls) QVERIFY(!w->isEnabled());
    }
    QCOMPARE(Items(page.m_pStep), (QStringList{"-2", "-1", "1", "2"}));
    QCOMPARE(page.m_replaceDelete.m_pDeleteCount->count(), 21);
    QCOMPARE(Items(page.m_pPosition), (QStringList{"文件名称前", "文件名称后"}));
    QCOMPARE(page.m_pTemplate->text(), QStringLiteral("<原文件名>"));
    QCOMPARE(page.m_pStart->currentText(), QStringLiteral("1"));
}

void PagesTest::EaPage_EveryChangeAsksForNames()
{
    CEaPage page;
    QSignalSpy spy(&page, &CModePage::RefreshNames);
    page.m_pIndexEnabled->click();
    page.m_pDigits->setCurrentIndex(3);
    page.m_pPosition->setCurrentIndex(1);
    page.m_pStart->setCurrentIndex(5);  // item "5" chosen from the list
    QTest::keyClicks(page.m_pTemplate, QStringLiteral("img_"));
    QCOMPARE(spy.count(), 4 + 4);
    // Typed at the start of the template edit.
    page.m_pTemplate->setText(QStringLiteral("img_<原文件名>"));
    CFileNameList list = MakeList({u"a.jpg", u"b.jpg"});
    page.FillNewNames(list, true);
    QCOMPARE(Column(list, kColNewName), (QStringList{"img_a005.jpg", "img_b006.jpg"}));
}

// The Simple and Enhanced pages share the replace controls: with
// "正则表达式" on the find text is a pattern; an invalid one is shown under
// the fields, without a message box, and replaces nothing.
template <class Page>
static void CheckRegexReplace(const QString& templateText)
{
    Page page;
    page.m_pTemplate->setText(templateText);
    CReplaceDeleteGroup& group = page.m_replaceDelete;
    QLabel* message = group.m_pReplaceMessage;
    QSignalSpy spy(&page, &CModePage::RefreshNames);
    group.m_pReplaceEnabled->click();
    QVERIFY(group.m_pRegex->isEnabled());
    QVERIFY(!group.m_pRegex->isChecked());
    group.m_pRegex->click();
    QCOMPARE(spy.count(), 2);
    QVERIFY(page.Fields().m_bRegex);

    struct {
        QString find, replace;
        QStringList names;
        QString message;
    } rows[] = {
        {"(\\d+)", "<$1>", {"ep<12>.mp4", "ep<3>.mp4"}, ""},
        {"(\\d+", "<$1>", {"ep12.mp4", "ep3.mp4"}, "正则表达式有误（第4个字符）：缺少右括号“)”"},
        {"\\d", "$2", {"ep12.mp4", "ep3.mp4"}, "替换文本有误（第1个字符）：没有第2个分组"},
        {"^ep", "第", {"第12.mp4", "第3.mp4"}, ""},
    };
    for (const auto& row : rows) {
        group.m_pFind->setText(row.find);
        group.m_pReplace->setText(row.replace);
        CFileNameList list = MakeList({u"ep12.mp4", u"ep3.mp4"});
        page.FillNewNames(list, true);
        QCOMPARE(Column(list, kColNewName), row.names);
        QCOMPARE(message->text(), row.message);
        QCOMPARE(message->isVisibleTo(&page), !row.message.isEmpty());
        QVERIFY(!QApplication::activeModalWidget());
    }

    // Off again, the same find text is literal.
    group.m_pFind->setText(QStringLiteral("(\\d+"));
    group.m_pReplace->setText(QStringLiteral("<$1>"));
    group.m_pRegex->click();
    CFileNameList list = MakeList({u"a(\\d+.txt"});
    page.FillNewNames(list, true);
    QCOMPARE(Column(list, kColNewName), QStringList{"a<$1>.txt"});
    QVERIFY(message->isHidden());

    // The check box is stored and loaded like every other control.
    page.Fields().m_bRegex = true;
    page.LoadControls();
    QVERIFY(group.m_pRegex->isChecked());
}

void PagesTest::ReplacePages_RegexShowsItsMessageUnderTheFields()
{
    CheckRegexReplace<CEaPage>(QStringLiteral("<原文件名>"));
    CheckRegexReplace<CEnPage>(QStringLiteral("<原文件名>"));
}

void PagesTest::EnPage_KindEnablesListsAndResetsStart()
{
    CEnPage page;
    QCOMPARE(page.m_pKind->currentIndex(), 2);
    struct {
        int kind;
        int digits;  // item index, -1 leaves it
        bool enumEnabled;
        bool digitsEnabled;
        QString start;
        int startItems;
    } rows[] = {
        {0, -1, false, false, "A", 20},
        {2, 2, false, true, "001", 20},
        {3, -1, false, false, "一", 20},
        {5, -1, false, false, "Ⅰ", 20},
        {7, -1, true, false, "㈠", 10},
    };
    for (const auto& row : rows) {
        page.m_pKind->setCurrentIndex(row.kind);
        if (row.digits >= 0) page.m_pDigits->setCurrentIndex(row.digits);
        QCOMPARE(page.m_pEnumList->isEnabled(), row.enumEnabled);
        QCOMPARE(page.m_pEnumLabel->isEnabled(), row.enumEnabled);
        QCOMPARE(page.m_pDigits->isEnabled(), row.digitsEnabled);
        QCOMPARE(page.m_pStart->currentText(), row.start);
        QCOMPARE(page.m_pStart->count(), row.startItems);
    }
    // Another enumeration list restarts at its first item.
    page.m_pEnumList->setCurrentIndex(4);
    QCOMPARE(page.m_pStart->currentText(), QStringLiteral("甲"));
    CFileNameList list = MakeList({u"a.jpg", u"b.jpg"});
    page.m_pTemplate->setText(QStringLiteral("*_<原文件名>"));
    page.FillNewNames(list, true);
    QCOMPARE(Column(list, kColNewName), (QStringList{"甲_a.jpg", "乙_b.jpg"}));
}

void PagesTest::ElPage_PastesFromClipboardAndEditsNames()
{
    CScriptedPrompt prompt;
    CQtClipboard clipboard;
    SetClipboardProvider(&clipboard);
    CElPage page;
    QSignalSpy spy(&page, &CModePage::RefreshNames);

    QGuiApplication::clipboard()->setText(QStringLiteral("alpha\r\n beta\t\r\n\r\ngamma\r\n"));
    page.m_pAdd->click();
    page.m_pAdd->click();
    QCOMPARE(page.m_pNames->count(), 6);
    QCOMPARE(page.m_pNames->item(1)->text(), QStringLiteral("beta"));
    QCOMPARE(spy.count(), 2);

    QGuiApplication::clipboard()->setText(QStringLiteral("\r\n  \r\n"));
    page.m_pAdd->click();
    QCOMPARE(page.m_pNames->count(), 6);
    QCOMPARE(S(prompt.Shown().back().m_strTitle), QStringLiteral("剪贴板为空"));

    struct {
        int select;
        QPushButton* button;
        int selectedAfter;
        QStringList names;
    } rows[] = {
        {5, page.m_pDelete, 4, {"alpha", "beta", "gamma", "alpha", "beta"}},
        {0, page.m_pUp, 0, {"alpha", "beta", "gamma", "alpha", "beta"}},
        {0, page.m_pDown, 1, {"beta", "alpha", "gamma", "alpha", "beta"}},
        {4, page.m_pDown, 4, {"beta", "alpha", "gamma", "alpha", "beta"}},
        {1, page.m_pDelete, 1, {"beta", "gamma", "alpha", "beta"}},
    };
    for (const auto& row : rows) {
        page.m_pNames->setCurrentRow(row.select);
        row.button->click();
        QCOMPARE(page.m_pNames->currentRow(), row.selectedAfter);
        QStringList names;
        for (int i = 0; i < page.m_pNames->count(); ++i) names << page.m_pNames->item(i)->text();
        QCOMPARE(names, row.names);
    }
    page.m_pRepeat->setCurrentIndex(1);
    CFileNameList list = MakeList({u"1.a", u"2.b", u"3.c", u"4.d", u"5.e"});
    page.FillNewNames(list, true);
    QCOMPARE(Column(list, kColNewName), (QStringList{"beta.a", "beta.b", "gamma.c", "gamma.d", "alpha.e"}));
    SetClipboardProvider(nullptr);
}

void PagesTest::TextPages_SurviveTypingThroughInvalidStates()
{
    // Every prefix of these texts is fed to the page as it is typed; the
    // final text must give the expected names, every state before it must
    // merely not crash or hang.
    CScriptedPrompt prompt;
    CKQToolsDlg dlg;
    for (const char16_t* name : {u"a b.txt", u"c.txt"}) dlg.List().AddRow(u"/data", name);
    struct {
        int mode;
        QString text;
        QStringList names;
    } rows[] = {
        {4, R"(StrIndex(Index(),3)&" "&if(find(ftitle()," ",1)<1,ftitle(),delete(ftitle(),1,find(ftitle()," ",1))))",
         {"001 b.txt", "002 c.txt"}},
        {4, R"(Upper(Ftitle())&"}{"&count())", {"A B}{2.txt", "C}{2.txt"}},
        {3, R"({l=2;I} {s=" ";F}{{}})", {"01 b{}}.txt", "02 c{}}.txt"}},
        {3, R"({d=5;I+9}_{t=1,l=1;F})", {"十_A.txt", "十一_C.txt"}},
    };
    for (const auto& row : rows) {
        ModeButton(dlg, row.mode)->click();
        auto* edit = row.mode == 3 ? static_cast<CEePage*>(dlg.Page(3))->m_pMacro
                                   : static_cast<CEfPage*>(dlg.Page(4))->m_pFormula;
        edit->clear();
        edit->setFocus();
        QTest::keyClicks(edit, row.text);
        QCOMPARE(edit->toPlainText(), row.text);
        QCOMPARE(Column(dlg.List(), kColNewName), row.names);
    }
    // The pages never show a message of their own.
    QVERIFY(prompt.Shown().empty());
}

void PagesTest::ExpressionPicker_TakesChoiceOnOkOrDoubleClick()
{
    CEePage page;
    QSignalSpy spy(&page, &CModePage::RefreshNames);
    // OK without a selection keeps the dialog open; a chosen row is taken.
    bool stayedOpen = false;
    QString caption, description;
    WhenModal<CMarcoInputDlg>([&](CMarcoInputDlg* dlg) {
        caption = dlg->windowTitle();
        QCOMPARE(Find<QListWidget>(*dlg, "PresetList")->count(), int(MacroPresets().size()));
        dlg->OnOK();
        stayedOpen = dlg->isVisible();
        Find<QListWidget>(*dlg, "PresetList")->setCurrentRow(9);
        description = Find<QPlainTextEdit>(*dlg, "Description")->toPlainText();
        dlg->OnOK();
    });
    page.m_pPicker->click();
    QVERIFY(stayedOpen);
    QCOMPARE(caption, QStringLiteral("常用控制表达式"));
    QCOMPARE(description, S(std::u16string(MacroPresets()[9].m_strDescription)));
    QCOMPARE(page.m_pMacro->toPlainText(), S(std::u16string(MacroPresets()[9].m_strExpression)));
    QCOMPARE(spy.count(), 1);

    WhenModal<CMarcoInputDlg>([&](CMarcoInputDlg* dlg) {
        QVERIFY(QTest::qWaitForWindowExposed(dlg));
        QListWidgetItem* item = Find<QListWidget>(*dlg, "PresetList")->item(0);
        Find<QListWidget>(*dlg, "PresetList")->scrollToItem(item);
        const QRect rect = Find<QListWidget>(*dlg, "PresetList")->visualItemRect(item);
        // What a desktop delivers for a double click: press, release, then
        // the double click in place of the second press.
        QWidget* viewport = Find<QListWidget>(*dlg, "PresetList")->viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, rect.center());
        QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(rect.center()),
                        viewport->mapToGlobal(QPointF(rect.center())), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &dbl);
    });
    page.m_pPicker->click();
    QCOMPARE(page.m_pMacro->toPlainText(), QStringLiteral("{t=1;F}.{t=1;E}"));

    // Cancel changes nothing.
    WhenModal<CMarcoInputDlg>([](CMarcoInputDlg* dlg) {
        Find<QListWidget>(*dlg, "PresetList")->setCurrentRow(3);
        dlg->reject();
    });
    page.m_pPicker->click();
    QCOMPARE(page.m_pMacro->toPlainText(), QStringLiteral("{t=1;F}.{t=1;E}"));
    QCOMPARE(spy.count(), 2);
}

void PagesTest::FormulaPicker_ListsFormulasWithDescriptions()
{
    CEfPage page;
    page.m_pFormula->setPlainText(QStringLiteral("old text"));
    QStringList items;
    QString caption, description;
    WhenModal<CMarcoInputDlg>([&](CMarcoInputDlg* dlg) {
        caption = dlg->windowTitle();
        for (int i = 0; i < Find<QListWidget>(*dlg, "PresetList")->count(); ++i)
            items << Find<QListWidget>(*dlg, "PresetList")->item(i)->text();
        Find<QListWidget>(*dlg, "PresetList")->setCurrentRow(14);
        description = Find<QPlainTextEdit>(*dlg, "Description")->toPlainText();
        dlg->OnOK();
    });
    page.m_pPicker->click();
    QCOMPARE(caption, QStringLiteral("常用公式"));
    QCOMPARE(items.size(), kFormulaPresetCount);
    QCOMPARE(items[0], QStringLiteral("Upper(Fname())"));
    QCOMPARE(description, QStringLiteral("后缀为pdf的文件名称前加“文档”，否则文件名称前加“图纸”"));
    // The whole text is replaced.
    QCOMPARE(page.m_pFormula->toPlainText(),
             QStringLiteral(R"(if(exact(fext(),"pdf"),"文档"&ftitle(),"图纸"&ftitle()))"));
}

void PagesTest::RuleDialog_ShowsRulesText()
{
    CMarcoRuleDlg dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("表达式控制规则"));
    auto* rule = Find<QPlainTextEdit>(dlg, "RuleText");
    QVERIFY(rule->isReadOnly());
    // 42 lines, the empty ones where they are written (1-based 3, 4, 11,
    // 17, 18, 30); the extra line feeds of lines 21 and 23 add none.
    QCOMPARE(rule->document()->blockCount(), 42);
    const QStringList lines = rule->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 42);
    QList<int> empty;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].isEmpty()) empty << i + 1;
    QCOMPARE(empty, (QList<int>{3, 4, 11, 17, 18, 30}));
    QCOMPARE(lines[20], QStringLiteral("s=2：从左往右删除2个字符"));
    QCOMPARE(lines.first(), QStringLiteral("【0】表达式控制规则"));
    QVERIFY(lines.contains(QStringLiteral("s=2：从左往右删除2个字符")));
    QVERIFY(lines.contains(QStringLiteral("a=1：自动删除小数后导0")));
}

void PagesTest::FormulaHelp_OpensCalhelpFromInstallationFolder()
{
    CTempDir dir;
    CScopedEnv registry("KQ_REGISTRY_FILE", ToUtf8(WriteRegistryFile(dir.Path(), u"/opt/kq", u"/opt/c")));
    QString target;
    SetShellOpenHook([&](std::u16string_view t, std::u16string_view) {
        target = S(std::u16string(t));
        return true;
    });
    CEfPage page;
    page.m_pHelp->click();
    QCOMPARE(target, QStringLiteral("\"/opt/kq/calhelp.html\""));
    SetShellOpenHook(nullptr);
}

// Nothing selected, nothing described, and OK does nothing; the description
// follows the selection only.
void PagesTest::Pickers_OpenWithNothingChosenOrDescribed()
{
    CEePage expressions;
    CEfPage formulas;
    for (QPushButton* picker : {expressions.m_pPicker, formulas.m_pPicker}) {
        QString opening, chosen, cleared;
        int selectedAtOpening = -1;
        bool stayedOpen = false;
        WhenModal<CMarcoInputDlg>([&](CMarcoInputDlg* dlg) {
            auto* list = Find<QListWidget>(*dlg, "PresetList");
            auto* description = Find<QPlainTextEdit>(*dlg, "Description");
            selectedAtOpening = int(list->selectedItems().size());
            opening = description->toPlainText();
            dlg->OnOK();
            stayedOpen = dlg->isVisible();
            list->setCurrentRow(1);
            chosen = description->toPlainText();
            list->clearSelection();
            cleared = description->toPlainText();
            dlg->reject();
        });
        picker->click();
        QCOMPARE(selectedAtOpening, 0);
        QCOMPARE(opening, QString());
        QVERIFY(stayedOpen);
        QVERIFY(!chosen.isEmpty());
        QCOMPARE(cleared, QString());
    }
    QCOMPARE(expressions.m_pMacro->toPlainText(), QString());
    QCOMPARE(formulas.m_pFormula->toPlainText(), QString());
}

QTEST_MAIN(PagesTest)
#include "Pages_test.moc"
