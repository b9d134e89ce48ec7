// "改名历史…": the recorded runs, newest first (at most the kept 20), each
// with its time, the count of files and the folders; "撤销上次改名" undoes
// the newest, one run at a time.
#pragma once

#include <functional>
#include <string>

#include <QDialog>

#include "renamer/safety/RenameHistory.h"

class QPushButton;
class QTreeWidget;

namespace kq {

// "2026-12-09 06:30:00" and the folders ("、"-separated; past three, "等N个文件夹").
QString HistoryTimeText(const CHistoryRun& run);
QString HistoryFoldersText(const CHistoryRun& run);

class CHistoryDlg : public QDialog {
    Q_OBJECT
public:
    // undo runs the window's undo of the newest run (its question included).
    CHistoryDlg(QWidget* parent, std::function<void()> undo);
    void Reload();

private:
    QTreeWidget* m_pRuns;
    QPushButton* m_pUndo;
    std::function<void()> m_fnUndo;
};

}  // namespace kq
