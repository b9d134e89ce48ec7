#include "HistoryDlg.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/Crt.h"
#include "renamer/supersort/SortRoute.h"

namespace kq {

QString HistoryTimeText(const CHistoryRun& run) { return QString::fromStdU16String(FormatRouteTime(run.m_nTime)); }

QString HistoryFoldersText(const CHistoryRun& run)
{
    QStringList folders;
    for (size_t i = 0; i < run.m_aFolders.size() && i < 3; ++i)
        folders << QString::fromStdU16String(run.m_aFolders[i].m_strFolder);
    QString text = folders.join(QStringLiteral("、"));
    if (run.m_aFolders.size() > 3) text += QStringLiteral(" 等%1个文件夹").arg(run.m_aFolders.size());
    return text;
}

CHistoryDlg::CHistoryDlg(QWidget* parent, std::function<void()> undo) : QDialog(parent), m_fnUndo(std::move(undo))
{
    setObjectName(QStringLiteral("CHistoryDlg"));
    setWindowTitle(QStringLiteral("改名历史"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("最近的改名（最新的在前）。撤销总是从最新的一次开始，每次撤销一次改名。"), this));
    m_pRuns = new QTreeWidget(this);
    m_pRuns->setObjectName(QStringLiteral("HistoryRuns"));
    m_pRuns->setRootIsDecorated(false);
    m_pRuns->setHeaderLabels({QStringLiteral("时间"), QStringLiteral("文件数"), QStringLiteral("文件夹")});
    m_pRuns->header()->setStretchLastSection(true);
    m_pRuns->setColumnWidth(0, fontMetrics().horizontalAdvance(QStringLiteral("2026-12-09 06:30:00")) + 24);
    m_pRuns->setColumnWidth(1, fontMetrics().horizontalAdvance(QStringLiteral("文件数 000000")));
    layout->addWidget(m_pRuns, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_pUndo = buttons->addButton(QStringLiteral("撤销上次改名(&Z)"), QDialogButtonBox::ActionRole);
    m_pUndo->setObjectName(QStringLiteral("HistoryUndo"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_pUndo, &QPushButton::clicked, this, [this] {
        if (m_fnUndo) m_fnUndo();
        Reload();
    });
    resize(720, 360);
    Reload();
}

void CHistoryDlg::Reload()
{
    m_pRuns->clear();
    std::vector<CDamagedRecord> damaged;
    for (const CHistoryRun& run : ListRenameHistory({}, damaged)) {
        auto* item = new QTreeWidgetItem(m_pRuns);
        item->setText(0, HistoryTimeText(run));
        item->setText(1, QString::number(run.Count()));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(2, HistoryFoldersText(run));
        QStringList all;
        for (const CJournalFolder& folder : run.m_aFolders) all << QString::fromStdU16String(folder.m_strFolder);
        item->setToolTip(2, all.join(QLatin1Char('\n')));
    }
    m_pUndo->setEnabled(m_pRuns->topLevelItemCount() > 0);
}

}  // namespace kq
