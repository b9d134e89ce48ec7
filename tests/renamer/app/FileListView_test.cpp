// The main window's list: column widths against the window's size, and
// keyboard moves that keep the names in sight.
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

#include "FileListModel.h"
#include "FileListView.h"
#include "GuiTestSupport.h"
#include "KQToolsDlg.h"
#include "platform/Crt.h"

using namespace kq;
using namespace kq::test;

class FileListViewTest : public QObject {
    Q_OBJECT

private slots:
    void Columns_FillTheListAtEachWindowSize_data();
    void Columns_FillTheListAtEachWindowSize();
    void Columns_HandWidthsAreKept();
    void CtrlEndAndCtrlHome_KeepTheNamesInSight();
};

void FileListViewTest::Columns_FillTheListAtEachWindowSize_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("start-up") << QSize();
    QTest::newRow("1024x768") << QSize(1024, 768);
    QTest::newRow("1600x1000") << QSize(1600, 1000);
}

void FileListViewTest::Columns_FillTheListAtEachWindowSize()
{
    QFETCH(QSize, size);
    CKQToolsDlg dlg;
    if (size.isValid()) dlg.resize(size);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* view = Find<CFileListView>(dlg, "FileList");
    const int width = view->viewport()->width();
    // The folder column starts well inside the list and ends at its edge.
    const int folderAt = view->columnViewportPosition(kColFolder);
    QVERIFY2(folderAt >= 0 && folderAt <= width * 3 / 4, qPrintable(QStringLiteral("%1 of %2").arg(folderAt).arg(width)));
    QTRY_COMPARE(folderAt + view->columnWidth(kColFolder), width);
    QCOMPARE(view->horizontalScrollBar()->maximum(), 0);
    QCOMPARE(view->columnWidth(kColOldName), view->columnWidth(kColNewName));
    QVERIFY(view->columnWidth(kColStatus) >= view->fontMetrics().horizontalAdvance(QStringLiteral("未处理")));
    // Where the list has room, the columns take 250, 250, 100 and the rest.
    if (width >= 1000) {
        QCOMPARE(view->columnWidth(kColOldName), CFileListView::kNameWidth);
        QCOMPARE(view->columnWidth(kColStatus), CFileListView::kStatusWidth);
        QVERIFY(view->columnWidth(kColFolder) >= 400);
    }

    // A bigger window gives the names more room, up to a limit.
    const int names = view->columnWidth(kColOldName);
    dlg.resize(dlg.width() + 300, dlg.height());
    QTRY_COMPARE(view->viewport()->width(), width + 300);
    QVERIFY(view->columnWidth(kColOldName) >= names);
    QVERIFY(view->columnWidth(kColOldName) <= std::max(CFileListView::kNameWidth, view->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 12));
    QCOMPARE(view->columnViewportPosition(kColFolder) + view->columnWidth(kColFolder), view->viewport()->width());
}

void FileListViewTest::Columns_HandWidthsAreKept()
{
    CKQToolsDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* view = Find<CFileListView>(dlg, "FileList");
    view->horizontalHeader()->resizeSection(kColOldName, 77);  // as a drag of its edge does
    dlg.resize(dlg.width() + 200, dlg.height() + 50);
    QTRY_VERIFY(view->columnViewportPosition(kColFolder) + view->columnWidth(kColFolder) == view->viewport()->width());
    QCOMPARE(view->columnWidth(kColOldName), 77);
}

void FileListViewTest::CtrlEndAndCtrlHome_KeepTheNamesInSight()
{
    CFileNameList list;
    for (int r = 0; r < 60; ++r) list.AddRow(u"/data/很长的目录名称/第二层", u"文件" + FormatInt(r) + u".txt");
    CFileListView view;
    CFileListModel model(list);
    view.setModel(&model);
    view.resize(360, 240);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setColumnWidth(kColNewName, 600);  // wider than the view: a horizontal scroll bar
    QScrollBar* bar = view.horizontalScrollBar();
    QTRY_VERIFY(bar->maximum() > 0);
    view.setCurrentIndex(model.index(0, kColOldName));
    struct {
        Qt::Key key;
        int row;
        int scrolledFrom;
    } rows[] = {{Qt::Key_End, 59, 0}, {Qt::Key_Home, 0, 0}, {Qt::Key_End, 59, -1}, {Qt::Key_Home, 0, -1}};
    for (const auto& row : rows) {
        bar->setValue(row.scrolledFrom < 0 ? bar->maximum() : row.scrolledFrom);
        QTest::keyClick(&view, row.key, Qt::ControlModifier);
        QCOMPARE(view.currentIndex().row(), row.row);
        QCOMPARE(view.currentIndex().column(), int(kColOldName));
        QCOMPARE(bar->value(), 0);
    }
}

QTEST_MAIN(FileListViewTest)
#include "FileListView_test.moc"
