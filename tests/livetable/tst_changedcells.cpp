#include <changedcells.h>

#include <QHeaderView>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>

#include <QtTest>

namespace {

using Cells = QList<QRect>; // x = column, y = row
// How the view changed after it was first known; Looks: none, but look roles, and only the cells expected changed.
enum Layout { Plain, RightToLeft, Moved, Hidden, Scrolled, Looks };

QRect cells(int top, int left, int bottom, int right) { return QRect(QPoint(left, top), QPoint(right, bottom)); }
QRect cell(int row, int column) { return cells(row, column, row, column); }

} // namespace

Q_DECLARE_METATYPE(Layout)

class TestChangedCells : public QObject
{
    Q_OBJECT

private slots:
    // The cells reported changed come back as their viewport rectangles,
    // each run of cells side by side one rectangle, in whatever view the
    // table shows after forgetView(): cells out of it (scrolled away, hidden
    // sections, past its edge) do not. With look roles only the cells that
    // look different from their last paint (painted(), or the region taken
    // before) come back.
    void regionOfTheChangesInView_data()
    {
        QTest::addColumn<Layout>("layout");
        QTest::addColumn<Cells>("reported");
        QTest::addColumn<Cells>("runs"); // each row of each one run; its cells in view come back
        const Cells row2 {cells(2, 0, 2, 9)}, runs {cells(2, 1, 2, 3), cell(2, 5), cell(4, 0)};
        QTest::newRow("runs") << Plain << Cells {cells(2, 1, 2, 2), cell(2, 3), cell(2, 5), cell(4, 0), cell(2, 2)}
                              << runs;
        QTest::newRow("past the right edge") << Plain << row2 << row2;
        QTest::newRow("down past the view") << Plain << Cells {cells(5, 1, 190, 1)} << Cells {cells(5, 1, 190, 1)};
        QTest::newRow("right to left") << RightToLeft << runs << runs;
        QTest::newRow("moved column") << Moved << Cells {cells(1, 0, 1, 1)} << Cells {cell(1, 0), cell(1, 1)};
        QTest::newRow("hidden row and column") << Hidden << Cells {cells(2, 1, 4, 3)} << Cells {cells(2, 1, 4, 3)};
        QTest::newRow("scrolled") << Scrolled << Cells {cell(2, 1), cell(101, 1)} << Cells {cell(101, 1)};
        QTest::newRow("looks, two changed") << Looks << row2 << Cells {cells(2, 3, 2, 4)};
        QTest::newRow("looks, none changed") << Looks << row2 << Cells();
    }
    void regionOfTheChangesInView()
    {
        QFETCH(Layout, layout);
        QFETCH(Cells, reported);
        QFETCH(Cells, runs);
        QStandardItemModel model(200, 10);
        QTableView view;
        view.setShowGrid(false);
        view.setModel(&model);
        view.horizontalHeader()->setDefaultSectionSize(50);
        view.verticalHeader()->setDefaultSectionSize(20);
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const bool looks = layout == Looks;
        ChangedCells changed(&view);
        if (looks)
            changed.setLookRoles({Qt::DisplayRole});
        changed.takeRegion(); // knows the first view
        if (layout == RightToLeft)
            view.setLayoutDirection(Qt::RightToLeft);
        if (layout == Moved)
            view.horizontalHeader()->moveSection(0, 2);
        if (layout == Hidden) {
            view.hideRow(3);
            view.hideColumn(2);
        }
        if (layout == Scrolled)
            view.verticalScrollBar()->setValue(100);
        QCoreApplication::processEvents();
        changed.forgetView();
        changed.painted(view.viewport()->rect());

        QRegion expected;
        int runsInView = 0;
        for (const QRect &block : qAsConst(runs)) {
            for (int row = block.top(); row <= block.bottom(); ++row) {
                QRect run;
                for (int column = block.left(); column <= block.right(); ++column) {
                    const QRect cell = view.visualRect(model.index(row, column));
                    run |= view.viewport()->rect().intersects(cell) ? cell : QRect();
                    model.setData(model.index(row, column), -1);
                }
                expected += run;
                runsInView += !run.isEmpty();
            }
        }
        // Then the cells are forgotten; with look roles, reported again, they look as the region taken.
        for (int pass = 0; pass < 2; ++pass, expected = QRegion()) {
            for (const QRect &rect : qAsConst(reported)) {
                if (pass == 0 || looks)
                    changed.add(model.index(rect.top(), rect.left()), model.index(rect.bottom(), rect.right()));
            }
            const QRegion region = changed.takeRegion();
            QVERIFY2((region ^ expected).isEmpty(), qPrintable(QStringLiteral("pass %1").arg(pass)));
            QCOMPARE(region.rectCount(), expected.isEmpty() ? 0 : runsInView);
        }
    }
};

QTEST_MAIN(TestChangedCells)
#include "tst_changedcells.moc"
