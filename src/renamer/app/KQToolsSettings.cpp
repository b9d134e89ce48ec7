// The window's remembered settings and its presets: the core reads, checks
// and writes them; this file moves them between the files and the controls.
#include <QAction>
#include <QCheckBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>

#include "FileListView.h"
#include "KQToolsDlg.h"
#include "platform/Prompt.h"
#include "renamer/app/pages/EaPage.h"
#include "renamer/app/pages/EePage.h"
#include "renamer/app/pages/ElPage.h"
#include "renamer/app/pages/EnPage.h"

namespace kq {

using namespace settings;

namespace {

constexpr const char16_t* kPresetTitle = u"预设";

std::u16string Quoted(const QString& name) { return u"“" + name.toStdU16String() + u"”"; }

// A name as a menu shows it: "&" is no accelerator there.
QString MenuText(const std::u16string& name)
{
    return QString::fromStdU16String(name).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

std::vector<CWindowRect> AvailableScreens()
{
    std::vector<CWindowRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect r = screen->availableGeometry();
        screens.push_back({r.x(), r.y(), r.width(), r.height()});
    }
    return screens;
}

}  // namespace

CModeFields CKQToolsDlg::PageFields()
{
    for (CModePage* page : m_aPages) page->StoreControls();
    CModeFields fields;
    fields.m_simple = static_cast<CEaPage*>(m_aPages[kModeSimple])->Fields();
    fields.m_enhanced = static_cast<CEnPage*>(m_aPages[kModeEnhanced])->Fields();
    fields.m_list = static_cast<CElPage*>(m_aPages[kModeList])->Fields();
    fields.m_advanced = static_cast<CEePage*>(m_aPages[kModeAdvanced])->Fields();
    fields.m_formula = static_cast<CEfPage*>(m_aPages[kModeFormula])->Fields();
    return fields;
}

void CKQToolsDlg::SetPageFields(const CModeFields& fields, int mode)
{
    const auto wanted = [mode](int m) { return mode < 0 || mode == m; };
    if (wanted(kModeSimple)) static_cast<CEaPage*>(m_aPages[kModeSimple])->Fields() = fields.m_simple;
    if (wanted(kModeEnhanced)) static_cast<CEnPage*>(m_aPages[kModeEnhanced])->Fields() = fields.m_enhanced;
    if (wanted(kModeList)) static_cast<CElPage*>(m_aPages[kModeList])->Fields() = fields.m_list;
    if (wanted(kModeAdvanced)) static_cast<CEePage*>(m_aPages[kModeAdvanced])->Fields() = fields.m_advanced;
    if (wanted(kModeFormula)) static_cast<CEfPage*>(m_aPages[kModeFormula])->Fields() = fields.m_formula;
    for (int m = 0; m < kModeCount; ++m)
        if (wanted(m)) m_aPages[size_t(m)]->LoadControls();
}

CRenamerSettings CKQToolsDlg::CollectSettings()
{
    StoreControls();
    CRenamerSettings saved;
    saved.m_nMode = m_nMode;
    saved.m_bKeepExtension = m_bKeepExtension;
    saved.m_bFilterEnabled = m_bFilterEnabled;
    saved.m_strFilter = m_strFilter.toStdU16String();
    saved.m_fields = PageFields();
    // A maximized window keeps the place it goes back to.
    const QRect normal = isMaximized() ? normalGeometry() : QRect(pos(), size());
    saved.m_bHasGeometry = true;
    saved.m_geometry = {normal.x(), normal.y(), normal.width(), normal.height()};
    saved.m_bMaximized = isMaximized();
    // Widths fitted to the list are not the user's: they are fitted again.
    if (m_pListView->HasUserWidths())
        for (int c = 0; c < kColCount; ++c) saved.m_aColumnWidths.push_back(m_pListView->columnWidth(c));
    return saved;
}

void CKQToolsDlg::ApplySettings(const CRenamerSettings& saved, bool withGeometry)
{
    // Names written by hand belong to the mode they were written in.
    if (saved.m_nMode != m_nMode) m_list.ClearEdits();
    m_nMode = saved.m_nMode;
    m_bKeepExtension = saved.m_bKeepExtension;
    m_bFilterEnabled = saved.m_bFilterEnabled;
    m_strFilter = QString::fromStdU16String(saved.m_strFilter);
    SetPageFields(saved.m_fields, -1);
    LoadControls();
    if (saved.m_aColumnWidths.size() == size_t(kColCount))
        m_pListView->SetColumnWidths(saved.m_aColumnWidths);
    else
        m_pListView->ResetColumnWidths();
    if (!withGeometry) return;
    if (isMaximized()) showNormal();
    if (saved.m_bHasGeometry) {
        const CWindowRect& g = saved.m_geometry;
        const CWindowRect fitted = FitWindow(g, AvailableScreens());
        resize(QSize(fitted.m_nWidth, fitted.m_nHeight).expandedTo(m_defaultSize));
        move(fitted.m_nX, fitted.m_nY);
        if (saved.m_bMaximized) setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        resize(m_defaultSize);
        if (const QScreen* where = screen()) {
            QRect frame(QPoint(), m_defaultSize);
            frame.moveCenter(where->availableGeometry().center());
            move(frame.topLeft());
        }
    }
}

void CKQToolsDlg::RestoreSettings()
{
    CRenamerSettings saved;
    m_bSettingsStuck = LoadSettings(saved) == EStoreLoad::Stuck;
    // A window without saved settings is placed as the system places it.
    ApplySettings(saved, saved.m_bHasGeometry);
    CPresetList presets;
    LoadPresets(presets);
    RebuildPresetMenu(presets);
}

void CKQToolsDlg::SaveWindowSettings()
{
    // A file that could not be set aside is the user's to repair; it was
    // reported at start and stays as it is.
    if (m_bSettingsStuck) return;
    if (!SaveSettings(CollectSettings()))
        GetPromptProvider().Inform(u"设置没能保存到“" + SettingsPath() + u"”。", u"设置");
}

void CKQToolsDlg::OnRestoreDefaults()
{
    if (GetPromptProvider().AskYesNo(u"确实要恢复默认设置吗？模式、各页面的内容、选项、窗口大小和列宽都将恢复为初始值。",
                                     u"恢复默认设置") != EPromptAnswer::Yes)
        return;
    ApplySettings(CRenamerSettings{}, true);
    ShowModePage();
    RefreshNewNames();
}

bool CKQToolsDlg::LoadPresets(CPresetList& presets)
{
    return m_presetStore.Load(presets) != EStoreLoad::Stuck;
}

bool CKQToolsDlg::SavePresets(const CPresetList& presets)
{
    const bool saved = m_presetStore.Save(presets);
    if (!saved) GetPromptProvider().Inform(u"预设没能保存到“" + m_presetStore.Path() + u"”。", kPresetTitle);
    RebuildPresetMenu(presets);
    return saved;
}

void CKQToolsDlg::RebuildPresetMenu(const CPresetList& presets)
{
    // The old entries go once the event that may have come from one of
    // them is done.
    for (QMenu* old : m_pPresetMenu->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) {
        old->setObjectName(QString());
        old->deleteLater();
    }
    m_pPresetMenu->clear();
    if (presets.Empty()) {
        m_pPresetMenu->addAction(QStringLiteral("（没有预设）"))->setEnabled(false);
        return;
    }
    for (const CPreset& preset : presets.Items()) {
        const QString name = QString::fromStdU16String(preset.m_strName);
        QMenu* entry = m_pPresetMenu->addMenu(MenuText(preset.m_strName));
        entry->setObjectName(QStringLiteral("Preset:") + name);
        const std::pair<const char*, void (CKQToolsDlg::*)(const QString&)> actions[] = {
            {"应用", &CKQToolsDlg::OnApplyPreset},
            {"重命名…", &CKQToolsDlg::OnRenamePreset},
            {"删除", &CKQToolsDlg::OnDeletePreset},
        };
        for (const auto& [text, command] : actions) {
            QAction* action = entry->addAction(QString::fromUtf8(text));
            connect(action, &QAction::triggered, this, [this, command, name] { (this->*command)(name); });
        }
    }
}

bool CKQToolsDlg::AskPresetName(const QString& title, const QString& initial, std::u16string& name)
{
    QInputDialog dialog(this);
    dialog.setWindowTitle(title);
    dialog.setLabelText(QStringLiteral("预设名称："));
    dialog.setTextValue(initial);
    dialog.setOkButtonText(QStringLiteral("确定"));
    dialog.setCancelButtonText(QStringLiteral("取消"));
    if (dialog.exec() != QDialog::Accepted) return false;
    name = dialog.textValue().toStdU16String();
    return true;
}

void CKQToolsDlg::OnSavePreset()
{
    const QString title = QStringLiteral("保存为预设");
    std::u16string name;
    if (!AskPresetName(title, {}, name)) return;
    if (const std::u16string error = CheckPresetName(name); !error.empty()) {
        GetPromptProvider().Inform(error, title.toStdU16String());
        return;
    }
    CPresetList presets;
    if (!LoadPresets(presets)) return;
    if (presets.Find(name) && GetPromptProvider().AskYesNo(u"预设“" + name + u"”已存在，是否替换？",
                                                          title.toStdU16String()) != EPromptAnswer::Yes)
        return;
    CPreset preset;
    preset.m_strName = name;
    StoreControls();
    preset.m_nMode = m_nMode;
    preset.m_bKeepExtension = m_bKeepExtension;
    preset.m_fields = PageFields();
    presets.Put(std::move(preset));
    SavePresets(presets);
}

void CKQToolsDlg::OnApplyPreset(const QString& name)
{
    CPresetList presets;
    LoadPresets(presets);
    RebuildPresetMenu(presets);
    const CPreset* preset = presets.Find(name.toStdU16String());
    if (!preset) {
        GetPromptProvider().Inform(u"找不到预设" + Quoted(name) + u"。", kPresetTitle);
        return;
    }
    StoreControls();
    if (preset->m_nMode != m_nMode) m_list.ClearEdits();
    m_nMode = preset->m_nMode;
    m_bKeepExtension = preset->m_bKeepExtension;
    SetPageFields(preset->m_fields, preset->m_nMode);
    LoadControls();
    ShowModePage();
    RefreshNewNames();
}

void CKQToolsDlg::OnRenamePreset(const QString& name)
{
    const QString title = QStringLiteral("重命名预设");
    std::u16string newName;
    if (!AskPresetName(title, name, newName)) return;
    CPresetList presets;
    if (!LoadPresets(presets)) return;
    std::u16string checked = newName;
    const std::u16string error = CheckPresetName(checked);
    switch (presets.Rename(name.toStdU16String(), newName)) {
    case CPresetList::ERename::Done: SavePresets(presets); return;
    case CPresetList::ERename::Missing:
        GetPromptProvider().Inform(u"找不到预设" + Quoted(name) + u"。", title.toStdU16String());
        break;
    case CPresetList::ERename::Taken:
        GetPromptProvider().Inform(u"已有名为“" + checked + u"”的预设。", title.toStdU16String());
        break;
    case CPresetList::ERename::BadName:
        GetPromptProvider().Inform(error, title.toStdU16String());
        break;
    }
    RebuildPresetMenu(presets);
}

void CKQToolsDlg::OnDeletePreset(const QString& name)
{
    if (GetPromptProvider().AskYesNo(u"确实要删除预设" + Quoted(name) + u"吗？", u"删除预设") != EPromptAnswer::Yes)
        return;
    CPresetList presets;
    if (!LoadPresets(presets)) return;
    if (presets.Remove(name.toStdU16String())) SavePresets(presets);
    else RebuildPresetMenu(presets);
}

void CKQToolsDlg::OnExportPresets()
{
    CPresetList presets;
    LoadPresets(presets);
    RebuildPresetMenu(presets);
    if (presets.Empty()) {
        GetPromptProvider().Inform(u"没有可导出的预设。", u"导出预设");
        return;
    }
    const QString suffix = QString::fromStdU16String(kPresetExtension);
    const QString path = ChooseSaveFile(NameFilter(QStringLiteral("预设文件（*.%1）").arg(suffix),
                                                   QStringLiteral("*.") + suffix),
                                        suffix);
    if (path.isEmpty()) return;
    if (!ExportPresets(path.toStdU16String(), presets))
        GetPromptProvider().Inform(u"无法写入文件：" + path.toStdU16String(), u"导出预设");
}

void CKQToolsDlg::OnImportPresets()
{
    const std::u16string title = u"导入预设";
    const QString suffix = QString::fromStdU16String(kPresetExtension);
    const QStringList files =
        ChooseOpenFiles(QString::fromStdU16String(title),
                        {NameFilter(QStringLiteral("预设文件（*.%1）").arg(suffix), QStringLiteral("*.") + suffix),
                         NameFilter(QStringLiteral("所有文件(*.*)"), QStringLiteral("*.*"))});
    if (files.isEmpty()) return;
    CPresetList imported;
    for (const QString& file : files) {
        CPresetList one;
        switch (ReadPresetFile(file.toStdU16String(), one)) {
        case EImportRead::Done: imported.Merge(one, EPresetClash::Replace); break;
        case EImportRead::Unreadable:
            GetPromptProvider().Inform(u"无法读取文件" + Quoted(file) + u"。", title);
            return;
        case EImportRead::NotPresets:
            GetPromptProvider().Inform(u"文件" + Quoted(file) + u"不是预设文件。", title);
            return;
        }
    }
    if (imported.Empty()) {
        GetPromptProvider().Inform(u"所选文件中没有预设。", title);
        return;
    }
    CPresetList presets;
    if (!LoadPresets(presets)) return;
    EPresetClash how = EPresetClash::Replace;
    const std::vector<std::u16string> clashes = presets.Clashes(imported);
    if (!clashes.empty()) {
        std::u16string names;
        for (const std::u16string& clash : clashes) names += (names.empty() ? u"“" : u"、“") + clash + u"”";
        const EPromptAnswer answer = GetPromptProvider().AskYesNoCancel(
            u"以下预设已经存在：" + names + u"。\n选“是”用导入的预设替换它们，选“否”把导入的预设以新名称另存。", title);
        if (answer == EPromptAnswer::Cancel) return;
        how = answer == EPromptAnswer::Yes ? EPresetClash::Replace : EPresetClash::Rename;
    }
    presets.Merge(imported, how);
    SavePresets(presets);
}

}  // namespace kq
