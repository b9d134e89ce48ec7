// The command buttons and menu entries of the main window.
#include <algorithm>

#include <QAction>
#include <QFileDialog>
#include <QItemSelectionModel>

#include "AboutDlg.h"
#include "renamer/list/FileDrop.h"
#include "FileListModel.h"
#include "FileListView.h"
#include "HistoryDlg.h"
#include "KQToolsDlg.h"
#include "ProgressRun.h"
#include "platform/Crt.h"
#include "platform/Prompt.h"
#include "renamer/list/LaunchCommands.h"
#include "renamer/list/ListExport.h"
#include "renamer/safety/RenameUndo.h"
#include "renamer/app/pages/ModePage.h"
#include "renamer/app/supersort/SuperSortDlg.h"

namespace kq {

namespace {

// "description (patterns)" for the Qt file dialog. The patterns are the
// ";"-separated ones of the text; "*.*" means every file, also one without
// a dot, as it does on Windows.
QString QtNameFilter(const QString& description, const QString& patternText)
{
    QStringList patterns;
    for (const QString& piece : patternText.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString pattern = piece.trimmed();
        if (pattern.isEmpty()) continue;
        patterns << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
    }
    if (patterns.isEmpty()) patterns << QStringLiteral("*");
    const QString joined = patterns.join(QLatin1Char(' '));
    if (description.endsWith(QLatin1Char('(') + joined + QLatin1Char(')'))) return description;
    return description + QStringLiteral(" (") + joined + QLatin1Char(')');
}

QStringList DefaultOpenFiles(QWidget* parent, const QString& title, const QStringList& filters)
{
    QFileDialog dialog(parent, title);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The details are the Qt patterns; the description is the one to show.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles();
}

QString DefaultSaveFile(QWidget* parent, const QString& filter, const QString& suffix)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    // The dialog asks before an existing file is replaced.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setNameFilter(filter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

std::vector<std::u16string> ToPaths(const QStringList& list)
{
    std::vector<std::u16string> paths;
    paths.reserve(size_t(list.size()));
    for (const QString& path : list) paths.push_back(path.toStdU16String());
    return paths;
}

}  // namespace

QStringList CKQToolsDlg::ChooseOpenFiles(const QString& title, const QStringList& filters)
{
    return m_fnOpenFiles ? m_fnOpenFiles(this, title, filters) : DefaultOpenFiles(this, title, filters);
}

QString CKQToolsDlg::ChooseSaveFile(const QString& filter, const QString& suffix)
{
    return m_fnSaveFile ? m_fnSaveFile(this, filter) : DefaultSaveFile(this, filter, suffix);
}

QString CKQToolsDlg::NameFilter(const QString& description, const QString& patterns)
{
    return QtNameFilter(description, patterns);
}

QStringList CKQToolsDlg::AddFilesNameFilters(bool filterEnabled, const QString& filterText)
{
    QStringList filters;
    if (filterEnabled)
        filters << QtNameFilter(QStringLiteral("用户筛选(%1)").arg(filterText), filterText);
    filters << QtNameFilter(QStringLiteral("所有文件(*.*)"), QStringLiteral("*.*"));
    return filters;
}

void CKQToolsDlg::OnAddFiles()
{
    StoreControls();
    const QStringList filters = AddFilesNameFilters(m_bFilterEnabled, m_strFilter);
    const QString title = QStringLiteral("添加被改名文件");
    const QStringList chosen = ChooseOpenFiles(title, filters);
    if (chosen.isEmpty()) return;
    ChangeRows([&] {
        for (const QString& path : chosen) m_list.AddFile(path.toStdU16String());
    });
    RefreshNewNames();
}

void CKQToolsDlg::OnAddFolder()
{
    const QString title = QStringLiteral("添加文件夹");
    QString folder;
    if (m_fnChooseFolder) {
        folder = m_fnChooseFolder(this, title);
    } else {
        QFileDialog dialog(this, title);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            folder = dialog.selectedFiles().first();
    }
    if (!folder.isEmpty()) AddDroppedPaths({folder});
}

void CKQToolsDlg::AddDroppedPaths(const QStringList& paths)
{
    // The sub-folder question comes before the list changes.
    CCollectedFiles collected;
    CDropSummary summary;
    if (CollectDroppedPaths(ToPaths(paths), collected, summary) == EDropResult::Cancelled) return;
    ChangeRows([&] { AddCollectedFiles(m_list, collected); });
    RefreshNewNames();
    if (!summary.m_aUnreadable.empty()) {
        std::u16string text = u"以下文件夹无法读取，其中的文件没有加入列表：";
        const size_t shown = std::min<size_t>(summary.m_aUnreadable.size(), 10);
        for (size_t i = 0; i < shown; ++i) text += u"\n" + summary.m_aUnreadable[i];
        if (shown < summary.m_aUnreadable.size())
            text += u"\n……共" + FormatInt(static_cast<long long>(summary.m_aUnreadable.size())) + u"个";
        GetPromptProvider().Inform(text, u"无法读取文件夹");
    }
}

void CKQToolsDlg::OnDeleteSelected()
{
    FinishNames();
    const CRowSet selection = m_pListView->SelectedRows();
    if (!selection.empty()) {
        m_pModel->BeginReset();
        m_list.DeleteRows(selection);
        m_pModel->EndReset();
    }
    RefreshNewNames();
}

void CKQToolsDlg::OnMoveUp()
{
    FinishNames();
    CRowSet selection = m_pListView->SelectedRows();
    if (m_list.MoveSelectionUp(selection) != EMoveResult::Done) return;
    m_pModel->AllChanged();
    m_pListView->SetSelectedRows(selection);
    RefreshNewNames();
}

void CKQToolsDlg::OnMoveDown()
{
    FinishNames();
    CRowSet selection = m_pListView->SelectedRows();
    if (m_list.MoveSelectionDown(selection) != EMoveResult::Done) return;
    m_pModel->AllChanged();
    m_pListView->SetSelectedRows(selection);
    RefreshNewNames();
}

void CKQToolsDlg::RunBusy(const QString& label, size_t total, CProgressState& state, const std::function<void()>& work)
{
    // Nothing of the window may touch the list while the work runs: its
    // controls are off, the list is not painted from it, and the program
    // cannot be ended.
    std::vector<std::pair<QWidget*, bool>> controls;
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!child->isWindow()) controls.emplace_back(child, child->isEnabled());
    for (auto& [child, enabled] : controls) child->setEnabled(false);
    m_pListView->setUpdatesEnabled(false);
    m_bBusy = true;
    RunWithProgress(this, label, total, state, work);
    m_bBusy = false;
    m_pListView->setUpdatesEnabled(true);
    for (auto& [child, enabled] : controls) child->setEnabled(enabled);
}

void CKQToolsDlg::reject()
{
    if (m_bBusy) return;
    // The close box and Escape both end here: the settings are written once.
    SaveWindowSettings();
    QDialog::reject();
}

void CKQToolsDlg::OnExecuteRename()
{
    FinishNames();
    // The empty list's message and the question come first, on this thread;
    // the question says first what the preview found.
    if (m_list.GetItemCount() == 0) {
        m_list.ExecuteRename();
        return;
    }
    m_problems.Update(m_list);
    if (GetPromptProvider().AskYesNo(CFileNameList::ConfirmationText(m_problems.SummaryText()), u"确认改名") !=
        EPromptAnswer::Yes)
        return;
    CProgressState state;
    CRenameOptions options;
    options.m_bConfirmed = true;
    options.m_pCancel = &state.m_bCancel;
    options.m_pfnAfterMove = [&](size_t moves) {
        state.m_nDone = moves;
        if (m_fnAfterMove) m_fnAfterMove(moves);
    };
    int result = kRenameDeclined;
    RunBusy(QStringLiteral("正在改名"), size_t(m_list.GetItemCount()), state,
            [&] { result = m_list.ExecuteRename(options); });
    if (result == kRenameDone || result == kRenamePartly) {
        // The statuses written stand until the next name cycle, which reads
        // the folders again.
        m_pModel->ShowProblems(false);
        m_problems.Invalidate();
    }
    // Columns 0 and 2 of any row may have changed; column 1 keeps the names
    // just applied until the next refresh.
    m_pModel->AllChanged();
    UpdateUndoAction();
}

void CKQToolsDlg::UpdateUndoAction() { m_pActUndo->setEnabled(HasRenameHistory({})); }

void CKQToolsDlg::OnUndoLastRename()
{
    FinishNames();
    // The count asked about is the newest run's; a record that cannot be
    // read is left to the undo, which reports it and sets it aside.
    const std::vector<std::u16string> records = FindHistoryRecords({});
    CHistoryRun run;
    if (!records.empty() && ReadHistoryRecord(records.back(), run) &&
        GetPromptProvider().AskYesNo(u"确实要撤销上次改名吗？上次改名于" + HistoryTimeText(run).toStdU16String() +
                                         u"共改动" + FormatInt(static_cast<long long>(run.Count())) +
                                         u"个文件，文件夹：" + HistoryFoldersText(run).toStdU16String() +
                                         u"。仍使用新文件名的文件将恢复原文件名。",
                                     u"撤销上次改名") != EPromptAnswer::Yes)
        return;
    CUndoReport report;
    int result = kUndoNothing;
    CProgressState state;
    RunBusy(QStringLiteral("正在撤销改名"), run.Count(), state, [&] {
        result = UndoLastRename({}, report, &state.m_bCancel, [&](size_t moves) {
            state.m_nDone = moves;
            if (m_fnAfterMove) m_fnAfterMove(moves);
        });
    });
    if (ApplyUndoToList(report, m_list) > 0) {
        m_pModel->AllChanged();
        RefreshNewNames();
    }
    UpdateUndoAction();
    GetPromptProvider().Inform(UndoSummaryText(report), result == kUndoDone     ? u"撤销完成"
                                                        : result == kUndoPartly ? u"撤销未全部完成"
                                                                                : u"无法撤销");
}

void CKQToolsDlg::OnHistory()
{
    CHistoryDlg dialog(this, [this] { OnUndoLastRename(); });
    dialog.exec();
}

void CKQToolsDlg::OnClearEdits()
{
    FinishNames();
    if (m_list.ClearEdits() > 0) m_pModel->AllChanged();
    RefreshNewNames();
}

void CKQToolsDlg::OnSelectAll() { m_pListView->SetSelectedRows(m_list.SelectAllRows()); }

void CKQToolsDlg::OnInvertSelection()
{
    m_pListView->SetSelectedRows(m_list.InvertSelection(m_pListView->SelectedRows()));
}

void CKQToolsDlg::OnClearList()
{
    FinishNames();
    m_pModel->BeginReset();
    m_list.Clear();
    m_pModel->EndReset();
}

void CKQToolsDlg::OnSort(ESortKey key, bool ascending)
{
    FinishNames();
    // The selection stays on its positions, as column 1 does.
    if (key == kSortName)
        m_list.SortByName(ascending);
    else if (key == kSortNatural)
        m_list.SortNatural(ascending);
    else m_list.SortByDirectory(ascending);
    m_pModel->AllChanged();
    RefreshNewNames();
}

void CKQToolsDlg::OnSuperSort(bool ascending)
{
    FinishNames();
    if (!RunSuperSortDialogs(this, m_list, ascending)) return;
    m_pModel->AllChanged();
    RefreshNewNames();
}

void CKQToolsDlg::OnExport()
{
    FinishNames();
    if (m_list.GetItemCount() == 0) {
        // Shows "列表为空"; no file dialog.
        ExportFileList(m_list, u"");
        return;
    }
    const QString filter = QtNameFilter(QStringLiteral("文件列表（*.csv）"), QStringLiteral("*.csv"));
    const QString path = ChooseSaveFile(filter, QString::fromStdU16String(kExportDefaultExtension));
    if (path.isEmpty()) return;
    ExportFileList(m_list, path.toStdU16String());
}

void CKQToolsDlg::OnHelp() { RunShellCommand(HelpCommand()); }

void CKQToolsDlg::OnWebPage() { RunShellCommand(WebPageCommand()); }

void CKQToolsDlg::OnUpdate() { RunShellCommand(UpdateCommand()); }

void CKQToolsDlg::OnAbout()
{
    CAboutDlg dialog(this);
    dialog.exec();
}

}  // namespace kq
