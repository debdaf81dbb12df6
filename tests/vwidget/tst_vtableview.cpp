#include <paintrecorder.h>
#include <vtableview.h>

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QtTest>

namespace {

// A table whose cells the test declares changed.
class TouchModel : public QAbstractTableModel
{
public:
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 200; }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 10; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        return role == Qt::DisplayRole ? QVariant(index.row() * 100 + index.column()) : QVariant();
    }
    // cells: x = column, y = row.
    void touch(const QRect &cells) { emit dataChanged(index(cells.top(), cells.left()), index(cells.bottom(), cells.right())); }
};

// One cell, or a range from (row, column) to (row, column).
QRect cell(int row, int column)
{
    return QRect(column, row, 1, 1);
}
QRect range(int top, int left, int bottom, int right)
{
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

class TestVTableView : public QObject
{
    Q_OBJECT

private slots:
    // Changes, each followed by a pass that delivers posted events but runs
    // no timer (as quote batches arrive within one frame): one paint of the
    // visible part of their union with the frame, nothing for what is off screen.
    void changesPaintOncePerFrame_data()
    {
        QTest::addColumn<QList<QRect>>("changes");
        QTest::addColumn<bool>("firstColumnMoved");
        QTest::addColumn<int>("paints");
        QTest::addColumn<QList<QRect>>("repainted");
        QTest::addColumn<QRect>("untouched");
        QTest::newRow("cells in several passes") << QList<QRect> {cell(1, 1), cell(3, 2), cell(1, 1)} << false << 1
                                                 << QList<QRect> {cell(1, 1), cell(3, 2)} << cell(5, 5);
        QTest::newRow("whole rows") << QList<QRect> {range(2, 0, 2, 9), range(4, 0, 4, 9)} << false << 1
                                    << QList<QRect> {cell(2, 0), cell(4, 3)} << cell(3, 0);
        QTest::newRow("off screen") << QList<QRect> {range(150, 0, 150, 9), cell(199, 9)} << false << 0
                                    << QList<QRect>() << QRect();
        QTest::newRow("partly on screen") << QList<QRect> {range(5, 1, 150, 1)} << false << 1
                                          << QList<QRect> {cell(5, 1), cell(8, 1)} << cell(5, 2);
        QTest::newRow("moved column") << QList<QRect> {cell(1, 0)} << true << 1 << QList<QRect> {cell(1, 0)}
                                      << cell(1, 1);
    }
    void changesPaintOncePerFrame()
    {
        QFETCH(QList<QRect>, changes);
        QFETCH(bool, firstColumnMoved);
        QFETCH(int, paints);
        QFETCH(QList<QRect>, repainted);
        QFETCH(QRect, untouched);

        TouchModel model;
        VTableView view;
        view.setModel(&model);
        view.horizontalHeader()->setDefaultSectionSize(50);
        view.verticalHeader()->setDefaultSectionSize(20);
        if (firstColumnMoved)
            view.horizontalHeader()->moveSection(0, 2);
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTest::qWait(50);

        PaintRecorder recorder(view.viewport());
        for (const QRect &cells : qAsConst(changes)) {
            model.touch(cells);
            QCoreApplication::sendPostedEvents();
        }
        QCOMPARE(recorder.count, 0);
        QTest::qWait(100);
        QCOMPARE(recorder.count, paints);
        for (const QRect &cells : qAsConst(repainted)) {
            const QRect rect = view.visualRect(model.index(cells.y(), cells.x()));
            QVERIFY2(recorder.painted.contains(rect), qPrintable(QStringLiteral("%1,%2").arg(cells.y()).arg(cells.x())));
        }
        if (!untouched.isNull())
            QVERIFY(!recorder.painted.intersects(view.visualRect(model.index(untouched.y(), untouched.x()))));
    }
};

QTEST_MAIN(TestVTableView)
#include "tst_vtableview.moc"
