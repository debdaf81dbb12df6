#include <cellhighlights.h>
#include <framepacer.h>

#include <QtTest>

namespace {

constexpr int Duration = 200;

SecurityId security(const char *code) { return SecurityId('1', code, int(qstrlen(code))); }

} // namespace

class TestCellHighlights : public QObject
{
    Q_OBJECT

private slots:
    // A lit cell ends in a frame at or after its end's time, dark by then:
    // a flash the duration after its last change, a marker after each
    // change, unless it was lit again after the end fell due and before a
    // frame carried it out (it went dark and was lit again). Once ended it
    // lights again; forgotten, its column is dark.
    void endsAtItsTime_data()
    {
        QTest::addColumn<int>("ending");
        QTest::addColumn<int>("secondChange"); // none (-1), shortly after (0), after the first end fell due (1)
        QTest::addColumn<QVector<int>>("ends"); // the changes whose ends are told, in order
        const int flash = CellHighlights::AfterLastChange, marker = CellHighlights::AfterEachChange;
        QTest::newRow("flash") << flash << -1 << QVector<int> {0};
        QTest::newRow("flash changed again shortly") << flash << 0 << QVector<int> {1};
        QTest::newRow("flash changed again late") << flash << 1 << QVector<int> {1};
        QTest::newRow("marker changed again shortly") << marker << 0 << QVector<int> {0, 1};
        QTest::newRow("marker changed again late") << marker << 1 << QVector<int> {1};
    }
    void endsAtItsTime()
    {
        QFETCH(int, ending);
        QFETCH(int, secondChange);
        QFETCH(QVector<int>, ends);
        const SecurityId id = security("600000");
        CellHighlights cells(Duration, CellHighlights::Ending(ending));
        QVector<qint64> endedAt, due;
        connect(&cells, &CellHighlights::ended, this, [&](const SecurityId &ended, int column) {
            QVERIFY(ended == id && column == 2 && !cells.isLit(id, 2));
            endedAt << FramePacer::nowMs();
        });
        for (int change = 0; change < (secondChange < 0 ? 1 : 2); ++change) {
            const qint64 until = FramePacer::clockMs() + (secondChange ? Duration + 1 : Duration / 4);
            // On the clock, running no events: no frame carries out the first end meanwhile.
            while (change == 1 && FramePacer::clockMs() < until) { }
            QCOMPARE(cells.light(id, 2), change == 0);
            due << FramePacer::nowMs() + Duration;
            cells.endLater(id, 2);
        }
        QVERIFY(QTest::qWaitFor([&] { return endedAt.size() >= ends.size(); }, 5000));
        QCOMPARE(endedAt.size(), ends.size());
        for (int i = 0; i < ends.size(); ++i)
            QVERIFY(endedAt[i] >= due[ends[i]]);
        QVERIFY(!cells.anyLitIn(2));
        QVERIFY(cells.light(id, 2));
        cells.forget(id);
        QVERIFY(!cells.anyLitIn(2));
    }

    // Ends scheduled before a shorter duration was set do not hold up the
    // ends scheduled after it.
    void shorterDurationEndsFirst()
    {
        CellHighlights cells(Duration * 4, CellHighlights::AfterLastChange);
        QStringList ended;
        connect(&cells, &CellHighlights::ended, this, [&](const SecurityId &id) { ended << id.codeText(); });
        cells.endLater(security("long"), 0);
        cells.setDuration(Duration / 2);
        cells.endLater(security("short"), 0);
        QVERIFY(QTest::qWaitFor([&] { return !ended.isEmpty(); }, 5000));
        QCOMPARE(ended.first(), QStringLiteral("short"));
    }

    // Forgetting a security (its row removed) or every one darkens their
    // cells without ended(); their ends then darken nothing, neither the
    // security lit again nor the one that took its slot.
    void forgottenEndsNothing_data()
    {
        QTest::addColumn<bool>("clear"); // or forget the one security
        QTest::addColumn<QString>("ended");
        QTest::newRow("forget") << false << QStringLiteral("BD");
        QTest::newRow("clear") << true << QStringLiteral("D");
    }
    void forgottenEndsNothing()
    {
        QFETCH(bool, clear);
        const SecurityId a = security("A"), b = security("B"), c = security("C"), d = security("D");
        CellHighlights cells(Duration, CellHighlights::AfterEachChange);
        QString ended;
        connect(&cells, &CellHighlights::ended, this, [&](const SecurityId &id) { ended += id.codeText(); });
        for (const SecurityId &id : {a, b}) {
            cells.light(id, 1);
            cells.endLater(id, 1);
        }
        clear ? cells.clear() : cells.forget(a);
        QVERIFY(!cells.isLit(a, 1));
        QCOMPARE(cells.isLit(b, 1), !clear);
        QVERIFY(cells.light(c, 1));
        QVERIFY(cells.light(a, 1));
        cells.endLater(d, 1); // the last end
        QVERIFY(QTest::qWaitFor([&] { return ended.endsWith(QLatin1Char('D')); }, 5000));
        QTEST(ended, "ended");
        QVERIFY(cells.isLit(a, 1) && cells.isLit(c, 1) && !cells.isLit(b, 1));
    }
};

QTEST_MAIN(TestCellHighlights)
#include "tst_cellhighlights.moc"
