#include <framepacer.h>
#include <framewait.h>
#include <livetableview.h>
#include <livetextdelegate.h>
#include <paintrecorder.h>
#include <quoteglyphs.h>
#include <readablecolours.h>

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QItemDelegate>
#include <QPainter>
#include <QStandardItemModel>

#include <QtTest>

namespace {

// A table whose cells the test changes and reports changed (cells: x = column, y = row).
class TouchModel : public QAbstractTableModel
{
public:
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 200; }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 10; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        return role == Qt::DisplayRole ? QVariant(index.row() * 100 + index.column() + m_changes.value(index))
                                       : QVariant();
    }
    void change(const QRect &cells)
    {
        for (int row = cells.top(); row <= cells.bottom(); ++row)
            for (int column = cells.left(); column <= cells.right(); ++column)
                m_changes[index(row, column)] += 1000;
    }
    void report(const QRect &cells)
    {
        emit dataChanged(index(cells.top(), cells.left()), index(cells.bottom(), cells.right()));
    }

private:
    QHash<QModelIndex, int> m_changes;
};

// One cell, or a range from (row, column) to (row, column).
QRect cell(int row, int column) { return QRect(column, row, 1, 1); }
QRect range(int top, int left, int bottom, int right) { return QRect(QPoint(left, top), QPoint(right, bottom)); }

// QTableView handing its cells the background a LiveTableView hands them.
class HandingTableView : public QTableView
{
public:
    using QTableView::QTableView;

private:
    QStyleOptionViewItem viewOptions() const override
    {
        QStyleOptionViewItem option = QTableView::viewOptions();
        if (!alternatingRowColors())
            option.backgroundBrush = viewport()->palette().brush(viewport()->backgroundRole());
        return option;
    }
};

// Shows the view at 400x300; true once it is on the screen.
bool shown(LiveTableView &view)
{
    view.resize(400, 300);
    view.show();
    return QTest::qWaitForWindowExposed(&view);
}

} // namespace

class TestLiveTableView : public QObject
{
    Q_OBJECT

private slots:
    // Cells change, ranges are reported changed, each report followed by a
    // pass that delivers posted events but runs no timer (as quote batches
    // arrive within one frame): one paint with the frame, covering the
    // visible cells among the reported ones whose look changed; none for
    // what is off screen or looks the same (which cells: ChangedCells).
    void changesPaintOncePerFrame_data()
    {
        QTest::addColumn<QList<QRect>>("changed"); // repainted if on screen
        QTest::addColumn<QList<QRect>>("reported");
        QTest::addColumn<int>("paints");
        QTest::newRow("cells in several passes")
            << QList<QRect> {cell(1, 1), cell(3, 2)} << QList<QRect> {cell(1, 1), cell(3, 2), cell(1, 1)} << 1;
        QTest::newRow("whole rows for two cells")
            << QList<QRect> {cell(2, 0), cell(4, 3)} << QList<QRect> {range(2, 0, 2, 9), range(4, 0, 4, 9)} << 1;
        QTest::newRow("reported, unchanged") << QList<QRect>() << QList<QRect> {range(2, 0, 2, 9)} << 0;
        const QList<QRect> offScreen {range(150, 0, 150, 9), cell(199, 9)};
        QTest::newRow("off screen") << offScreen << offScreen << 0;
    }
    void changesPaintOncePerFrame()
    {
        QFETCH(QList<QRect>, changed);
        QFETCH(QList<QRect>, reported);

        TouchModel model;
        LiveTableView view;
        // The model reports more than what changed: the look decides.
        view.setLookRoles({Qt::DisplayRole});
        view.setModel(&model);
        view.horizontalHeader()->setDefaultSectionSize(50);
        view.verticalHeader()->setDefaultSectionSize(20);
        QVERIFY(shown(view));
        QVERIFY(waitForFrame());
        PaintRecorder recorder(view.viewport());
        for (const QRect &cells : qAsConst(changed))
            model.change(cells);
        for (const QRect &cells : qAsConst(reported)) {
            model.report(cells);
            QCoreApplication::sendPostedEvents();
        }
        QCOMPARE(recorder.count, 0);
        QVERIFY(waitForFrame());
        QTEST(recorder.count, "paints");
        for (const QRect &cells : qAsConst(changed)) {
            const QRect rect = view.visualRect(model.index(cells.y(), cells.x()));
            QVERIFY2(recorder.painted.contains(rect) || !recorder.count,
                     qPrintable(QStringLiteral("%1,%2").arg(cells.y()).arg(cells.x())));
        }
    }

    // Frames that keep the thread busy come further apart, down to the
    // slowest rate; once they are light again the clock is back at 60 a
    // second.
    void busyFramesComeFurtherApart()
    {
        FramePacer pacer(FramePacer::Write);
        int busyMs = 20;
        connect(&pacer, &FramePacer::frame, this, [&] {
            QElapsedTimer busy;
            busy.start();
            while (busy.elapsed() < busyMs) { }
            pacer.request();
        });
        pacer.request();
        QTRY_COMPARE_WITH_TIMEOUT(FramePacer::frameIntervalNs(), 1000000000 / FramePacer::MinFramesPerSecond, 5000);
        busyMs = 0;
        QTRY_COMPARE_WITH_TIMEOUT(FramePacer::frameIntervalNs(), FramePacer::FastestIntervalNs, 5000);
    }

    // A cell written in a frame's Write phase is painted before the next
    // frame begins.
    void writtenCellIsPaintedInItsFrame()
    {
        TouchModel model;
        LiveTableView view;
        view.setModel(&model);
        QVERIFY(shown(view));
        QVERIFY(waitForFrame());
        PaintRecorder recorder(view.viewport());
        FramePacer writer(FramePacer::Write);
        FramePacer next(FramePacer::Write);
        connect(&writer, &FramePacer::frame, this, [&] {
            model.change(cell(2, 3));
            model.report(cell(2, 3));
            next.request();
        });
        bool paintedBeforeNext = false;
        connect(&next, &FramePacer::frame, this,
                [&] { paintedBeforeNext = recorder.painted.contains(view.visualRect(model.index(2, 3))); });
        QSignalSpy nextFrame(&next, &FramePacer::frame);
        writer.request();
        QVERIFY(nextFrame.wait(2000));
        QVERIFY(paintedBeforeNext);
    }

    // Text keeps a contrast of 4.5 to what it is drawn on, rises red and
    // falls green; a light cell colour is a dark shade of its hue on a dark
    // table.
    void readableColours_data()
    {
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QColor>("cell");
        QTest::addColumn<QColor>("base");
        const QColor flash(207, 227, 250), light(Qt::white), dark(0x1E1E1E);
        QTest::newRow("red on a flash") << QColor(220, 10, 10) << flash << light;
        QTest::newRow("green on a flash, dark table") << QColor(10, 128, 10) << flash << dark;
        QTest::newRow("red on a dark table") << QColor(220, 10, 10) << QColor() << dark;
        QTest::newRow("light text on a flash, dark table") << QColor(0xDCDCDC) << flash << dark;
    }
    void readableColours()
    {
        QFETCH(QColor, text);
        QFETCH(QColor, cell);
        QFETCH(QColor, base);
        ReadableColours colours;
        const QColor drawnOn = cell.isValid() ? colours.cellBackground(cell, base) : base;
        if (cell.isValid())
            QCOMPARE(drawnOn.lightness() < 128, base.lightness() < 128);
        const QColor shown = colours.text(text, drawnOn);
        QVERIFY(ReadableColours::contrast(shown, drawnOn) >= ReadableColours::MinContrast);
        if (text.hslSaturation() > 0)
            QCOMPARE(shown.hslHue(), text.hslHue());
    }

    // A number is laid out as wide as Qt lays it out, elided as a view
    // elides it (room as a share of its full width); the units 万 and 亿 in a
    // face that has them; other text, or room not even for the ellipsis, is
    // left to Qt.
    void quoteGlyphsLayOutAsQtDoes_data()
    {
        QTest::addColumn<QString>("family"); // empty: the default face
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("room");
        QTest::addColumn<bool>("drawn");
        const QString cjk = QStringLiteral("WenQuanYi Micro Hei");
        QTest::newRow("price") << QString() << QStringLiteral("12.3400") << 1.0 << true;
        QTest::newRow("signed percent") << QString() << QStringLiteral("-9.0000%") << 1.5 << true;
        QTest::newRow("time and spaces") << QString() << QStringLiteral(" 09:30:00") << 1.0 << true;
        QTest::newRow("elided") << QString() << QStringLiteral("-9.0000%") << 0.6 << true;
        QTest::newRow("elided to the ellipsis") << QString() << QStringLiteral("123456") << 0.3 << true;
        QTest::newRow("no room for the ellipsis") << QString() << QStringLiteral("123456") << 0.05 << false;
        QTest::newRow("letters") << QString() << QStringLiteral("IF2412") << 1.0 << false;
        QTest::newRow("Chinese") << cjk << QStringLiteral("涨停") << 1.0 << false;
        QTest::newRow("units in a CJK face") << cjk << QStringLiteral("1.23万 4.56亿") << 1.0 << true;
    }
    void quoteGlyphsLayOutAsQtDoes()
    {
        QFETCH(QString, family);
        QFETCH(QString, text);
        QFETCH(double, room);
        QFETCH(bool, drawn);
        const QFont font = family.isEmpty() ? QFont() : QFont(family);
        QuoteGlyphs glyphs(font);
        const int width = int(QFontMetricsF(font).horizontalAdvance(text) * room);
        QCOMPARE(glyphs.layOut(text, width), drawn);
        if (drawn) {
            const QString shown = QFontMetrics(font).elidedText(text, Qt::ElideRight, width);
            QVERIFY2(qAbs(glyphs.width() - QFontMetricsF(font).horizontalAdvance(shown)) < 0.5, qPrintable(shown));
        }
    }

    // A number drawn from glyph images lands pixel for pixel where Qt draws
    // its glyphs, wherever within a pixel it starts and whatever the
    // painter's own whole-pixel move.
    void quoteGlyphsDrawAsQtDoes_data()
    {
        QTest::addColumn<QPointF>("topLeft");
        QTest::addColumn<QPoint>("moved");
        QTest::newRow("whole pixel") << QPointF(4, 3) << QPoint();
        QTest::newRow("within pixels") << QPointF(4.3, 3.7) << QPoint();
        QTest::newRow("moved painter") << QPointF(0.55, 0.2) << QPoint(7, 5);
    }
    void quoteGlyphsDrawAsQtDoes()
    {
        QFETCH(QPointF, topLeft);
        QFETCH(QPoint, moved);
        const QColor colour(220, 10, 10);
        const QFont font;
        const QString text = QStringLiteral("-12,345.67%");
        QuoteGlyphs glyphs(font);
        QVERIFY(glyphs.layOut(text, qInf()));
        const QRawFont raw = QRawFont::fromFont(font);
        QGlyphRun run;
        run.setRawFont(raw);
        run.setGlyphIndexes(raw.glyphIndexesForString(text));
        QVector<QPointF> positions {QPointF(0, QFontMetricsF(font).ascent())};
        for (const QPointF &advance : raw.advancesForGlyphIndexes(run.glyphIndexes()))
            positions.append(positions.constLast() + advance);
        positions.removeLast();
        run.setPositions(positions);
        QImage drawn(160, 40, QImage::Format_RGB32);
        QImage expected = drawn;
        for (QImage *image : {&drawn, &expected}) {
            image->fill(Qt::white);
            QPainter painter(image);
            painter.translate(moved);
            painter.setPen(colour);
            image == &drawn ? glyphs.draw(&painter, topLeft, colour) : painter.drawGlyphRun(topLeft, run);
        }
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x) {
                const QRgb a = drawn.pixel(x, y), b = expected.pixel(x, y);
                const int off
                    = qMax(qAbs(qRed(a) - qRed(b)), qMax(qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b))));
                QVERIFY2(off <= 1, qPrintable(QStringLiteral("at %1,%2").arg(x).arg(y)));
            }
        }
    }

    // A cell's colour role, a colour or a brush, fills it; else the view's
    // background handed to the cell does; no brush leaves it to the table.
    void cellBackground_data()
    {
        QTest::addColumn<QVariant>("background");
        QTest::addColumn<QBrush>("handed");
        QTest::addColumn<QColor>("filled");
        const QColor own(207, 227, 250), view(30, 30, 30);
        QTest::newRow("colour") << QVariant(own) << QBrush() << own;
        QTest::newRow("brush") << QVariant(QBrush(own)) << QBrush() << own;
        QTest::newRow("no brush") << QVariant(QBrush()) << QBrush() << QColor(Qt::white);
        QTest::newRow("colour, view's handed") << QVariant(own) << QBrush(view) << own;
        QTest::newRow("none, view's handed") << QVariant() << QBrush(view) << view;
    }
    void cellBackground()
    {
        QFETCH(QVariant, background);
        QStandardItemModel model(1, 1);
        model.setData(model.index(0, 0), background, Qt::BackgroundRole);
        QStyleOptionViewItem option;
        QFETCH(QBrush, handed);
        option.backgroundBrush = handed;
        option.rect = QRect(0, 0, 60, 20);
        QImage image(option.rect.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        LiveTextDelegate().paint(&painter, option, model.index(0, 0));
        QTEST(image.pixelColor(1, 1), "filled");
    }

    // The view paints every pixel as QTableView with the same delegates
    // paints it (without a grid): selected, disabled and focused cells,
    // hidden and moved sections, another delegate's column, what lies past
    // the last row and column, cells across two rectangles of the region,
    // and the cases it leaves to QTableView.
    void paintsAsQTableView_data()
    {
        QTest::addColumn<Qt::LayoutDirection>("direction");
        QTest::addColumn<bool>("alternating");
        QTest::addColumn<bool>("span");
        QTest::newRow("left to right") << Qt::LeftToRight << false << false;
        QTest::newRow("right to left") << Qt::RightToLeft << false << false;
        QTest::newRow("alternate rows") << Qt::LeftToRight << true << false;
        QTest::newRow("a span") << Qt::LeftToRight << false << true;
    }
    void paintsAsQTableView()
    {
        QFETCH(Qt::LayoutDirection, direction);
        QFETCH(bool, alternating);
        QFETCH(bool, span);
        QStandardItemModel model(5, 5);
        for (int row = 0; row < 5; ++row)
            for (int column = 0; column < 5; ++column)
                model.setData(model.index(row, column), row * 10 + column);
        model.setData(model.index(2, 2), QColor(207, 227, 250), Qt::BackgroundRole);
        model.item(3, 0)->setEnabled(false);
        QWidget window;
        window.setLayoutDirection(direction);
        LiveTableView live(&window);
        live.setShowGrid(false);
        HandingTableView plain(&window);
        plain.setShowGrid(false);
        plain.setItemDelegate(new LiveTextDelegate(&plain));
        QItemDelegate other; // fills no cell without a colour
        for (QTableView *view : {static_cast<QTableView *>(&live), static_cast<QTableView *>(&plain)}) {
            view->setAlternatingRowColors(alternating);
            view->setModel(&model);
            view->setItemDelegateForColumn(1, &other);
            view->setRowHidden(1, true);
            view->horizontalHeader()->moveSection(4, 0);
            if (span)
                view->setSpan(0, 3, 2, 1);
            view->selectionModel()->select(model.index(4, 2), QItemSelectionModel::Select);
            view->selectionModel()->select(model.index(4, 1), QItemSelectionModel::Select);
            view->selectionModel()->setCurrentIndex(model.index(4, 3), QItemSelectionModel::NoUpdate);
            view->setGeometry(view == &live ? 0 : 400, 0, 400, 300);
        }
        window.resize(800, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        // Two rectangles, both across the other delegate's cells of row 2.
        const int split = live.rowViewportPosition(2) + 5;
        const QRect other1 = live.visualRect(model.index(2, 1));
        const QRegion region = QRegion(0, 0, 400, split) + QRegion(0, split, other1.right() + 1, 300 - split);
        QCOMPARE(region.rectCount(), 2);
        const auto rendered = [&region](QTableView &view) {
            view.setFocus();
            QImage image(view.viewport()->size(), QImage::Format_RGB32);
            image.fill(Qt::magenta);
            view.viewport()->render(&image, QPoint(), region, {});
            return image;
        };
        QCOMPARE(rendered(live), rendered(plain));
    }

    // The view's own grid sits where QTableView's would, and goes with setShowGrid(false).
    void gridLines()
    {
        TouchModel model;
        LiveTableView view;
        view.setModel(&model);
        QVERIFY(shown(view));
        QStyleOptionViewItem option;
        option.initFrom(&view);
        const QColor grid
            = QColor::fromRgba(QRgb(view.style()->styleHint(QStyle::SH_Table_GridLineColor, &option, &view)));
        const int x = view.columnViewportPosition(1) + view.columnWidth(1) - 1;
        const int y = view.rowViewportPosition(1) + view.rowHeight(1) - 1;
        const QPoint right(x, y - view.rowHeight(1) / 2);
        const QPoint below(x - view.columnWidth(1) / 2, y);
        QImage image = view.viewport()->grab().toImage();
        QCOMPARE(image.pixelColor(right), grid);
        QCOMPARE(image.pixelColor(below), grid);
        view.setShowGrid(false);
        image = view.viewport()->grab().toImage();
        QVERIFY(image.pixelColor(right) != grid);
    }
};

QTEST_MAIN(TestLiveTableView)
#include "tst_livetableview.moc"
