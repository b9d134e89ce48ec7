// The renamer's main window: mode choice, options, the page of the current
// mode, the command buttons, the file list, two pop-up menus and a status
// bar. Every rule is in the core; this window stores its controls, calls
// the core and shows the result.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include <QDialog>
#include <QStringList>

#include "renamer/list/FileNameList.h"
#include "renamer/modes/NameCycle.h"
#include "renamer/safety/RowProblems.h"
#include "renamer/settings/Presets.h"
#include "renamer/settings/RenamerSettings.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QStatusBar;
class QTimer;

namespace kq {

class CEaPage;
class CEnPage;
class CElPage;
class CEePage;
class CEfPage;
class CModePage;
class CFileListModel;
class CFileListView;
struct CProgressState;

class CKQToolsDlg : public QDialog {
    Q_OBJECT
public:
    enum EMode { kModeSimple = 0, kModeEnhanced = 1, kModeList = 2, kModeAdvanced = 3, kModeFormula = 4 };

    explicit CKQToolsDlg(QWidget* parent = nullptr);
    ~CKQToolsDlg() override;

    static QString VersionText();  // "2.15"
    // The add-files dialog's filters: the user filter (when enabled) first,
    // then all files. Each is "description (patterns)" as the Qt file dialog
    // reads it.
    static QStringList AddFilesNameFilters(bool filterEnabled, const QString& filterText);

    // Members bound to the controls.
    int m_nMode = kModeSimple;
    bool m_bKeepExtension = true;
    bool m_bFilterEnabled = false;
    QString m_strFilter = QStringLiteral("*.*");

    // The list with complete new names: a running name cycle is finished first.
    CFileNameList& List()
    {
        FinishNames();
        return m_list;
    }
    // Each row's problem after the last name cycle (finished first).
    const CRowProblems& Problems()
    {
        FinishNames();
        return m_problems;
    }
    CModePage* Page(int mode) const { return m_aPages[size_t(mode)]; }
    CModePage* CurrentPage() const { return Page(m_nMode); }

    void StoreControls();
    void LoadControls();
    void ShowModePage();
    // Starts a name cycle off the window's thread (cancelling the one that
    // runs); lists of up to m_nSyncRows rows are named before it returns.
    void RefreshNewNames();
    // Waits for the running name cycle and writes its names, the rows'
    // problems and the page's message; nothing when no cycle runs. Every
    // command that reads or changes the list calls it first.
    void FinishNames();
    bool NamesPending() const { return m_pCycle != nullptr; }
    int m_nSyncRows = 2000;
    // Rows by the hundred thousand came: once they are named and checked,
    // the memory their adding and the folder reading used goes back.
    bool m_bReleaseAfterNames = false;
    // The memory a cycle over a large list freed stays for the next keystroke
    // and goes back once the window has been idle this long after it.
    int m_nIdleReleaseMs = 3000;
    QTimer* m_pIdleRelease = nullptr;
    void UpdateCountPane();
    // The status bar's counts of the rows that change and the rows with problems.
    void UpdateProblemPane();

    // Commands.
    void OnAddFiles();
    // "添加文件夹…": a folder chooser, then the same path as a drop.
    void OnAddFolder();
    void AddDroppedPaths(const QStringList& paths);
    void OnDeleteSelected();
    void OnMoveUp();
    void OnMoveDown();
    void OnExecuteRename();
    void OnSelectAll();
    void OnInvertSelection();
    void OnClearList();
    void OnUndoLastRename();
    void OnHistory();  // "改名历史…"
    void OnClearEdits();  // "清除手工修改"
    enum ESortKey { kSortName, kSortFolder, kSortNatural };
    void OnSort(ESortKey key, bool ascending);
    void OnSuperSort(bool ascending);
    void OnExport();
    void OnHelp();
    void OnWebPage();
    void OnUpdate();
    void OnAbout();

    // Remembered settings and presets (KQToolsSettings.cpp). The window's
    // state as the settings file keeps it, and back: geometry only when
    // asked (the default size when there is none).
    settings::CRenamerSettings CollectSettings();
    void ApplySettings(const settings::CRenamerSettings& saved, bool withGeometry);
    void OnRestoreDefaults();  // "恢复默认设置"
    void OnSavePreset();       // "保存为预设…"
    // The entries of a preset in the "预设" menu.
    void OnApplyPreset(const QString& name);
    void OnRenamePreset(const QString& name);
    void OnDeletePreset(const QString& name);
    void OnExportPresets();  // "导出预设…"
    void OnImportPresets();  // "导入预设…"
    QMenu* PresetMenu() const { return m_pPresetMenu; }

    // File dialogs, replaceable for tests: the paths chosen (empty on cancel).
    std::function<QStringList(QWidget* parent, const QString& title, const QStringList& filters)> m_fnOpenFiles;
    std::function<QString(QWidget* parent, const QString& filter)> m_fnSaveFile;
    std::function<QString(QWidget* parent, const QString& title)> m_fnChooseFolder;
    // Test hook: called on the worker thread after every move of a rename or undo.
    std::function<void(size_t movesDone)> m_fnAfterMove;

    // Ends the program, except while a rename or undo runs.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    void BuildStatusBar();
    void ConnectCommands();
    // Object names, by which the tests find the controls.
    void NameControls();
    // Runs a change of the row count with the model reset around it and the
    // selection kept where it is.
    void ChangeRows(const std::function<void()>& change);
    // "撤销上次改名" is offered only while the history holds a run.
    void UpdateUndoAction();
    // The file dialogs, or the tests' replacements for them.
    QStringList ChooseOpenFiles(const QString& title, const QStringList& filters);
    QString ChooseSaveFile(const QString& filter, const QString& suffix);
    static QString NameFilter(const QString& description, const QString& patterns);
    // At start: the saved settings; at the end: the window's state saved.
    void RestoreSettings();
    void SaveWindowSettings();
    // The presets as the store holds them now; false when it holds none
    // that can be changed (it could not be read nor set aside).
    bool LoadPresets(settings::CPresetList& presets);
    bool SavePresets(const settings::CPresetList& presets);
    void RebuildPresetMenu(const settings::CPresetList& presets);
    // A preset name typed into a question; false when cancelled.
    bool AskPresetName(const QString& title, const QString& initial, std::u16string& name);
    settings::CModeFields PageFields();
    void SetPageFields(const settings::CModeFields& fields, int mode);
    // Runs work off the window's thread with the progress window (ProgressRun.h).
    void RunBusy(const QString& label, size_t total, CProgressState& state, const std::function<void()>& work);

    // Widgets.
    std::array<QRadioButton*, 5> m_aModeButtons{};
    QButtonGroup* m_pModeGroup;
    QCheckBox* m_pKeepExtension;
    QCheckBox* m_pFilterEnabled;
    QLineEdit* m_pFilter;
    QStackedWidget* m_pPageArea;
    QPushButton* m_pAdd;
    QPushButton* m_pAddFolder;
    QPushButton* m_pDelete;
    QPushButton* m_pUp;
    QPushButton* m_pDown;
    QPushButton* m_pSort;
    QPushButton* m_pMore;
    QPushButton* m_pExecute;
    CFileListView* m_pListView;
    CFileListModel* m_pModel;
    QMenu* m_pListMenu;
    QMenu* m_pSortMenu;
    QStatusBar* m_pStatusBar;
    std::array<QLabel*, 4> m_aPanes{};
    QLabel* m_pProblemPane;

    // Menu entries (the "列表" and "排序" menus).
    QAction* m_pActSelectAll;
    QAction* m_pActInvert;
    QAction* m_pActClear;
    QAction* m_pActUndo;
    QAction* m_pActHistory;
    QAction* m_pActClearEdits;
    QAction* m_pActExport;
    QAction* m_pActHelp;
    QAction* m_pActWeb;
    QAction* m_pActUpdate;
    QAction* m_pActAbout;
    QAction* m_pActNameUp;
    QAction* m_pActNameDown;
    QAction* m_pActNaturalUp;
    QAction* m_pActNaturalDown;
    QAction* m_pActFolderUp;
    QAction* m_pActFolderDown;
    QAction* m_pActSuperUp;
    QAction* m_pActSuperDown;
    QAction* m_pActSavePreset;
    QMenu* m_pPresetMenu;
    QAction* m_pActImportPresets;
    QAction* m_pActExportPresets;
    QAction* m_pActRestoreDefaults;

    void OnCycleEvent(uint64_t generation, int event);

    CFileNameList m_list;
    CRowProblems m_problems;
    // The running name cycle, the page that planned it and its number (events
    // of an older cycle are dropped).
    std::unique_ptr<CNameCycle> m_pCycle;
    CModePage* m_pCyclePage = nullptr;
    uint64_t m_nCycleGeneration = 0;
    std::array<CModePage*, 5> m_aPages{};
    bool m_bMinimumSet = false;
    QSize m_defaultSize;             // the size the layout asks for, never less
    bool m_bSettingsStuck = false;   // a settings file that could not be set aside
    settings::CPresetStore m_presetStore;
    bool m_bBusy = false;
};

}  // namespace kq
