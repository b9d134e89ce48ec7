// The window remembers its settings from one run to the next, returns to
// its defaults on request and keeps named presets; each test runs in a
// configuration folder of its own.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>

#include <memory>

#include "FileListView.h"
#include "GuiTestSupport.h"
#include "KQToolsDlg.h"
#include "platform/FileSystem.h"
#include "renamer/app/pages/EaPage.h"
#include "renamer/app/pages/EePage.h"
#include "renamer/app/pages/ElPage.h"
#include "renamer/app/pages/EnPage.h"
#include "renamer/settings/Presets.h"
#include "renamer/settings/RenamerSettings.h"
#include "support/TestSupport.h"

using namespace kq;
using namespace kq::test;

namespace {

CEaPage* Simple(const CKQToolsDlg& dlg) { return static_cast<CEaPage*>(dlg.Page(0)); }
CEnPage* Enhanced(const CKQToolsDlg& dlg) { return static_cast<CEnPage*>(dlg.Page(1)); }
CElPage* ListPage(const CKQToolsDlg& dlg) { return static_cast<CElPage*>(dlg.Page(2)); }
CEePage* Advanced(const CKQToolsDlg& dlg) { return static_cast<CEePage*>(dlg.Page(3)); }
CEfPage* Formula(const CKQToolsDlg& dlg) { return static_cast<CEfPage*>(dlg.Page(4)); }

QStringList ListNames(const CKQToolsDlg& dlg)
{
    QStringList names;
    for (int i = 0; i < ListPage(dlg)->m_pNames->count(); ++i) names << ListPage(dlg)->m_pNames->item(i)->text();
    return names;
}

// Answers the next preset name question with text (or cancels it).
void AnswerName(const QString& text, bool accept = true)
{
    WhenModal<QInputDialog>([text, accept](QInputDialog* dialog) {
        QCOMPARE(dialog->labelText(), QStringLiteral("预设名称："));
        dialog->setTextValue(text);
        if (accept)
            dialog->accept();
        else
            dialog->reject();
    });
}

QStringList PresetNames(const CKQToolsDlg& dlg)
{
    QStringList names;
    for (QAction* action : dlg.PresetMenu()->actions())
        if (action->menu()) names << action->menu()->objectName().mid(int(qstrlen("Preset:")));
    return names;
}

// Runs one entry ("应用", "重命名…", "删除") of a preset's submenu.
void PresetEntry(const CKQToolsDlg& dlg, const QString& name, const QString& entry)
{
    auto* menu = dlg.PresetMenu()->findChild<QMenu*>(QStringLiteral("Preset:") + name);
    QVERIFY2(menu, qPrintable(name));
    for (QAction* action : menu->actions())
        if (action->text() == entry) {
            action->trigger();
            return;
        }
    QFAIL(qPrintable(QStringLiteral("no entry ") + entry));
}

void Trigger(const CKQToolsDlg& dlg, const char* name) { Find<QAction>(dlg, name)->trigger(); }

}  // namespace

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void Restart_RestoresModePagesOptionsGeometryAndColumns();
    void RestoreDefaults_ReturnsEverythingToAFreshWindow();
    void DamagedSettings_SetAsideOnceAndDefaultsUsed();
    void Presets_SaveApplyRenameDelete();
    void Presets_ExportAndImportWithClashes();

private:
    std::unique_ptr<CTempDir> m_pConfig;
    std::unique_ptr<CScopedEnv> m_pEnv;
};

void SettingsTest::init()
{
    m_pConfig = std::make_unique<CTempDir>();
    m_pEnv = std::make_unique<CScopedEnv>("KQ_CONFIG_HOME", m_pConfig->NativePath());
}

void SettingsTest::cleanup()
{
    m_pEnv.reset();
    m_pConfig.reset();
}

void SettingsTest::Restart_RestoresModePagesOptionsGeometryAndColumns()
{
    CScriptedPrompt prompt;
    QSize size;
    int oldNameWidth = 0;
    {
        CKQToolsDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        // Something on every page, through its controls.
        Simple(dlg)->m_pTemplate->setText(QStringLiteral("照片=<原文件名>\\"));
        Simple(dlg)->m_pIndexEnabled->setChecked(true);
        Simple(dlg)->m_pDigits->setCurrentIndex(3);
        Simple(dlg)->m_replaceDelete.m_pReplaceEnabled->setChecked(true);
        Simple(dlg)->m_replaceDelete.m_pFind->setText(QStringLiteral("(\\d+)"));
        Simple(dlg)->m_replaceDelete.m_pRegex->setChecked(true);
        Enhanced(dlg)->m_pKind->setCurrentIndex(7);
        Enhanced(dlg)->m_pEnumList->setCurrentIndex(4);
        Enhanced(dlg)->m_pStart->setCurrentIndex(2);
        Enhanced(dlg)->m_replaceDelete.m_pReplaceEnabled->setChecked(true);
        Enhanced(dlg)->m_replaceDelete.m_pRegex->setChecked(true);
        ListPage(dlg)->Fields().m_aNames = {u"一", u"二 = 2"};
        ListPage(dlg)->LoadControls();
        ListPage(dlg)->m_pCycle->setCurrentIndex(1);
        Advanced(dlg)->m_pMacro->setPlainText(QStringLiteral("{t=1;F}\n第二行"));
        Formula(dlg)->m_pFormula->setPlainText(QStringLiteral("Upper(Ftitle())"));
        QTest::mouseClick(ModeButton(dlg, 3), Qt::LeftButton);
        QTest::mouseClick(Find<QCheckBox>(dlg, "KeepExtension"), Qt::LeftButton);
        QTest::mouseClick(Find<QCheckBox>(dlg, "FilterEnabled"), Qt::LeftButton);
        Find<QLineEdit>(dlg, "Filter")->setText(QStringLiteral("*.jpg;*.png"));
        Find<CFileListView>(dlg, "FileList")->setColumnWidth(1, 321);
        oldNameWidth = Find<CFileListView>(dlg, "FileList")->columnWidth(0);
        dlg.resize(dlg.size() + QSize(40, 30));
        dlg.move(70, 60);
        size = dlg.size();
        QVERIFY(size.width() > dlg.minimumWidth() && size.height() > dlg.minimumHeight());
        // Escape ends the program and writes the file.
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(!dlg.isVisible());
    }
    QVERIFY(IsRegularFile(settings::SettingsPath()));

    for (int run = 0; run < 2; ++run) {
        CKQToolsDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QVERIFY(ModeButton(dlg, 3)->isChecked());
        QCOMPARE(dlg.CurrentPage(), dlg.Page(3));
        QVERIFY(dlg.Page(3)->isVisible());
        QVERIFY(!Find<QCheckBox>(dlg, "KeepExtension")->isChecked());
        QVERIFY(Find<QCheckBox>(dlg, "FilterEnabled")->isChecked());
        QVERIFY(Find<QLineEdit>(dlg, "Filter")->isEnabled());
        QCOMPARE(Find<QLineEdit>(dlg, "Filter")->text(), QStringLiteral("*.jpg;*.png"));
        QCOMPARE(Simple(dlg)->m_pTemplate->text(), QStringLiteral("照片=<原文件名>\\"));
        QVERIFY(Simple(dlg)->m_pIndexEnabled->isChecked());
        QVERIFY(Simple(dlg)->m_pDigits->isEnabled());
        QCOMPARE(Simple(dlg)->m_pDigits->currentIndex(), 3);
        QCOMPARE(Simple(dlg)->m_replaceDelete.m_pFind->text(), QStringLiteral("(\\d+)"));
        QVERIFY(Simple(dlg)->m_replaceDelete.m_pRegex->isChecked());
        QCOMPARE(Enhanced(dlg)->m_pKind->currentIndex(), 7);
        QVERIFY(Enhanced(dlg)->m_pEnumList->isEnabled());
        QCOMPARE(Enhanced(dlg)->m_pEnumList->currentText(), QString::fromUtf16(kEnumerationLists[4]));
        // The start list is the restored sequence's: 甲, 乙, 丙 …
        QCOMPARE(Enhanced(dlg)->m_pStart->itemText(0), QStringLiteral("甲"));
        QCOMPARE(Enhanced(dlg)->m_pStart->currentText(), QStringLiteral("丙"));
        QVERIFY(Enhanced(dlg)->m_replaceDelete.m_pRegex->isChecked());
        QCOMPARE(ListNames(dlg), (QStringList{QStringLiteral("一"), QStringLiteral("二 = 2")}));
        QCOMPARE(ListPage(dlg)->m_pCycle->currentIndex(), 1);
        QCOMPARE(Advanced(dlg)->m_pMacro->toPlainText(), QStringLiteral("{t=1;F}\n第二行"));
        QCOMPARE(Formula(dlg)->m_pFormula->toPlainText(), QStringLiteral("Upper(Ftitle())"));
        QCOMPARE(Find<CFileListView>(dlg, "FileList")->columnWidth(1), 321);
        QCOMPARE(Find<CFileListView>(dlg, "FileList")->columnWidth(0), oldNameWidth);
        QCOMPARE(dlg.size(), size);
        QCOMPARE(dlg.pos(), QPoint(70, 60));
        // The second run ends by the close box.
        dlg.close();
        QVERIFY(!dlg.isVisible());
    }
    QVERIFY(prompt.Shown().empty());
}

void SettingsTest::RestoreDefaults_ReturnsEverythingToAFreshWindow()
{
    QSize freshSize;
    std::vector<int> freshWidths;
    {
        CKQToolsDlg fresh;
        fresh.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fresh));
        freshSize = fresh.size();
        for (int c = 0; c < kColCount; ++c) freshWidths.push_back(Find<CFileListView>(fresh, "FileList")->columnWidth(c));
    }
    CScriptedPrompt prompt;
    CKQToolsDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QTest::mouseClick(ModeButton(dlg, 4), Qt::LeftButton);
    Formula(dlg)->m_pFormula->setPlainText(QStringLiteral("1+1"));
    Enhanced(dlg)->m_pKind->setCurrentIndex(0);
    Simple(dlg)->m_replaceDelete.m_pReplaceEnabled->setChecked(true);
    Simple(dlg)->m_replaceDelete.m_pRegex->setChecked(true);
    ListPage(dlg)->Fields().m_aNames = {u"x"};
    ListPage(dlg)->LoadControls();
    QTest::mouseClick(Find<QCheckBox>(dlg, "KeepExtension"), Qt::LeftButton);
    QTest::mouseClick(Find<QCheckBox>(dlg, "FilterEnabled"), Qt::LeftButton);
    Find<QLineEdit>(dlg, "Filter")->setText(QStringLiteral("*.txt"));
    Find<CFileListView>(dlg, "FileList")->setColumnWidth(3, 99);
    dlg.resize(dlg.size() + QSize(50, 50));

    // "否" changes nothing.
    prompt.Answer(EPromptAnswer::No);
    Trigger(dlg, "RestoreDefaults");
    QCOMPARE(prompt.Shown().size(), size_t(1));
    QCOMPARE(prompt.Shown()[0].m_strTitle, std::u16string(u"恢复默认设置"));
    QVERIFY(ModeButton(dlg, 4)->isChecked());

    prompt.Answer(EPromptAnswer::Yes);
    Trigger(dlg, "RestoreDefaults");
    QVERIFY(ModeButton(dlg, 0)->isChecked());
    QVERIFY(dlg.Page(0)->isVisible());
    QVERIFY(Formula(dlg)->m_pFormula->toPlainText().isEmpty());
    QCOMPARE(Enhanced(dlg)->m_pKind->currentIndex(), 2);
    QCOMPARE(Enhanced(dlg)->m_pStart->currentText(), QString::fromStdU16String(CEnFields{}.m_strStart));
    QVERIFY(!Simple(dlg)->m_replaceDelete.m_pReplaceEnabled->isChecked());
    QVERIFY(!Simple(dlg)->m_replaceDelete.m_pRegex->isChecked());
    QVERIFY(!Simple(dlg)->m_replaceDelete.m_pRegex->isEnabled());
    QCOMPARE(Simple(dlg)->m_pTemplate->text(), QStringLiteral("<原文件名>"));
    QVERIFY(ListNames(dlg).isEmpty());
    QVERIFY(Find<QCheckBox>(dlg, "KeepExtension")->isChecked());
    QVERIFY(!Find<QCheckBox>(dlg, "FilterEnabled")->isChecked());
    QVERIFY(!Find<QLineEdit>(dlg, "Filter")->isEnabled());
    QCOMPARE(Find<QLineEdit>(dlg, "Filter")->text(), QStringLiteral("*.*"));
    QTRY_COMPARE(dlg.size(), freshSize);
    QVERIFY(!Find<CFileListView>(dlg, "FileList")->HasUserWidths());
    for (int c = 0; c < kColCount; ++c)
        QTRY_COMPARE(Find<CFileListView>(dlg, "FileList")->columnWidth(c), freshWidths[size_t(c)]);

    // What is written at the end is the defaults again.
    dlg.close();
    settings::CRenamerSettings saved;
    QCOMPARE(settings::LoadSettings(saved), settings::EStoreLoad::Loaded);
    QCOMPARE(saved.m_nMode, 0);
    QVERIFY(saved.m_bKeepExtension);
    QCOMPARE(saved.m_fields.m_formula.m_strFormula, std::u16string());
}

void SettingsTest::DamagedSettings_SetAsideOnceAndDefaultsUsed()
{
    m_pConfig->MakeFile(u"TernSoft/KQTool/KQTools.conf", "KQTools settings 1\nmode=formula\nbroken line\n");
    CScriptedPrompt prompt;
    {
        CKQToolsDlg dlg;
        QVERIFY(ModeButton(dlg, 0)->isChecked());
        QCOMPARE(prompt.Shown().size(), size_t(1));
        QCOMPARE(prompt.Shown()[0].m_strTitle, std::u16string(u"设置"));
        QVERIFY(QString::fromStdU16String(prompt.Shown()[0].m_strText).contains(QStringLiteral("KQTools.conf.damaged")));
    }
    QCOMPARE(m_pConfig->ReadFile(u"TernSoft/KQTool/KQTools.conf.damaged"),
             std::string("KQTools settings 1\nmode=formula\nbroken line\n"));
    // Told once: the next start finds no file.
    CKQToolsDlg again;
    QCOMPARE(prompt.Shown().size(), size_t(1));
}

void SettingsTest::Presets_SaveApplyRenameDelete()
{
    CScriptedPrompt prompt;
    CKQToolsDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(PresetNames(dlg), QStringList());

    QTest::mouseClick(ModeButton(dlg, 1), Qt::LeftButton);
    Enhanced(dlg)->m_pTemplate->setText(QStringLiteral("第* 张"));
    Enhanced(dlg)->m_pKind->setCurrentIndex(3);
    QTest::mouseClick(Find<QCheckBox>(dlg, "KeepExtension"), Qt::LeftButton);
    AnswerName(QStringLiteral("  照片 & 图  "));
    Trigger(dlg, "SavePreset");
    QCOMPARE(PresetNames(dlg), QStringList{QStringLiteral("照片 & 图")});
    QVERIFY(prompt.Shown().empty());

    // A blank name is refused; a cancelled question saves nothing.
    AnswerName(QStringLiteral("   "));
    Trigger(dlg, "SavePreset");
    QCOMPARE(prompt.Shown().size(), size_t(1));
    AnswerName(QStringLiteral("不要"), false);
    Trigger(dlg, "SavePreset");
    QCOMPARE(PresetNames(dlg), QStringList{QStringLiteral("照片 & 图")});

    // Everything elsewhere changes; applying brings the mode, page and option back.
    QTest::mouseClick(ModeButton(dlg, 4), Qt::LeftButton);
    Enhanced(dlg)->m_pTemplate->setText(QStringLiteral("别的"));
    Enhanced(dlg)->m_pKind->setCurrentIndex(0);
    QTest::mouseClick(Find<QCheckBox>(dlg, "KeepExtension"), Qt::LeftButton);
    Formula(dlg)->m_pFormula->setPlainText(QStringLiteral("2"));
    PresetEntry(dlg, QStringLiteral("照片 & 图"), QStringLiteral("应用"));
    QVERIFY(ModeButton(dlg, 1)->isChecked());
    QVERIFY(dlg.Page(1)->isVisible());
    QCOMPARE(Enhanced(dlg)->m_pTemplate->text(), QStringLiteral("第* 张"));
    QCOMPARE(Enhanced(dlg)->m_pKind->currentIndex(), 3);
    QCOMPARE(Enhanced(dlg)->m_pStart->itemText(0), QStringLiteral("一"));
    QVERIFY(!Find<QCheckBox>(dlg, "KeepExtension")->isChecked());
    // Other pages are not the preset's.
    QCOMPARE(Formula(dlg)->m_pFormula->toPlainText(), QStringLiteral("2"));

    // Renaming onto a taken name is refused, then done.
    AnswerName(QStringLiteral("第二"));
    Trigger(dlg, "SavePreset");
    prompt.Clear();
    AnswerName(QStringLiteral("第二"));
    PresetEntry(dlg, QStringLiteral("照片 & 图"), QStringLiteral("重命名…"));
    QCOMPARE(prompt.Shown().size(), size_t(1));
    QCOMPARE(prompt.Shown()[0].m_strText, std::u16string(u"已有名为“第二”的预设。"));
    AnswerName(QStringLiteral("第一"));
    PresetEntry(dlg, QStringLiteral("照片 & 图"), QStringLiteral("重命名…"));
    QCOMPARE(PresetNames(dlg), (QStringList{QStringLiteral("第一"), QStringLiteral("第二")}));

    // Deleting asks first.
    prompt.Answer(EPromptAnswer::No);
    PresetEntry(dlg, QStringLiteral("第二"), QStringLiteral("删除"));
    QCOMPARE(PresetNames(dlg), (QStringList{QStringLiteral("第一"), QStringLiteral("第二")}));
    prompt.Answer(EPromptAnswer::Yes);
    PresetEntry(dlg, QStringLiteral("第二"), QStringLiteral("删除"));
    QCOMPARE(PresetNames(dlg), QStringList{QStringLiteral("第一")});

    // The store is the file: a new window lists the same presets.
    settings::CPresetList stored;
    QCOMPARE(settings::CPresetStore().Load(stored), settings::EStoreLoad::Loaded);
    QCOMPARE(stored.Items().size(), size_t(1));
    QCOMPARE(stored.Items()[0].m_fields.m_enhanced.m_strTemplate, std::u16string(u"第* 张"));
    CKQToolsDlg second;
    QCOMPARE(PresetNames(second), QStringList{QStringLiteral("第一")});
}

void SettingsTest::Presets_ExportAndImportWithClashes()
{
    CScriptedPrompt prompt;
    CTempDir files;
    CKQToolsDlg dlg;
    const QString exported = QString::fromStdU16String(files.Child(u"mine.kqpresets"));
    dlg.m_fnSaveFile = [&](QWidget*, const QString& filter) {
        [&] { QVERIFY(filter.contains(QStringLiteral("*.kqpresets"))); }();
        return exported;
    };
    QStringList chosen;
    dlg.m_fnOpenFiles = [&](QWidget*, const QString&, const QStringList&) { return chosen; };

    // Nothing to export yet.
    Trigger(dlg, "ExportPresets");
    QCOMPARE(prompt.Shown().size(), size_t(1));
    QVERIFY(!IsRegularFile(exported.toStdU16String()));

    Advanced(dlg)->m_pMacro->setPlainText(QStringLiteral("{t=1;F}"));
    QTest::mouseClick(ModeButton(dlg, 3), Qt::LeftButton);
    AnswerName(QStringLiteral("甲"));
    Trigger(dlg, "SavePreset");
    Trigger(dlg, "ExportPresets");
    QVERIFY(IsRegularFile(exported.toStdU16String()));

    // Imported into a store that holds the name: "否" keeps both.
    chosen = {exported};
    prompt.Clear();
    prompt.Answer(EPromptAnswer::No);
    Trigger(dlg, "ImportPresets");
    QCOMPARE(prompt.Shown().size(), size_t(1));
    QCOMPARE(prompt.Shown()[0].m_strKind, std::u16string(u"yesnocancel"));
    QCOMPARE(PresetNames(dlg), (QStringList{QStringLiteral("甲"), QStringLiteral("甲 (2)")}));
    // "取消" imports nothing, "是" replaces.
    prompt.Answer(EPromptAnswer::Cancel);
    Trigger(dlg, "ImportPresets");
    QCOMPARE(PresetNames(dlg).size(), 2);
    prompt.Answer(EPromptAnswer::Yes);
    Trigger(dlg, "ImportPresets");
    QCOMPARE(PresetNames(dlg), (QStringList{QStringLiteral("甲"), QStringLiteral("甲 (2)")}));

    // A file that is no presets file is reported and left alone.
    files.MakeFile(u"other.txt", "hello");
    chosen = {QString::fromStdU16String(files.Child(u"other.txt"))};
    prompt.Clear();
    Trigger(dlg, "ImportPresets");
    QCOMPARE(prompt.Shown().size(), size_t(1));
    QVERIFY(QString::fromStdU16String(prompt.Shown()[0].m_strText).contains(QStringLiteral("不是预设文件")));
    QCOMPARE(files.ReadFile(u"other.txt"), std::string("hello"));
    QCOMPARE(PresetNames(dlg).size(), 2);
}

// The offscreen platform's one screen is 800x600, smaller than the window
// itself; a desktop-sized one lets a remembered size be kept as it was.
int main(int argc, char** argv)
{
    CTempDir screens;
    screens.MakeFile(u"screens.json",
                     R"({"screens": [{"name": "Desktop", "x": 0, "y": 0, "width": 1920, "height": 1080}]})");
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + QByteArray::fromStdString(screens.NativePath()) +
                                   "/screens.json");
    QApplication app(argc, argv);
    SettingsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "Settings_test.moc"
