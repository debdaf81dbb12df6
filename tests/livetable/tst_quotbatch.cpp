#include <framewait.h>
#include <latestquotes.h>
#include <quotbatch.h>
#include <quotrecord.h>
#include <vquotsubscriber.h>

#include <QRandomGenerator>

#include <QtTest>

#include <map>

class TestQuotBatch : public QObject
{
    Q_OBJECT

private slots:
    // Random adds, takes, clears, newcomers and frames against a model: a
    // take hands out each waiting security once, in the order each first
    // came, with its newest record; a newcomer waits with the latest record
    // taken of its security unless a record of it waits already; ready()
    // comes at a frame exactly while records wait. Hundreds of securities
    // grow the table past its first size; codes of every length up to the
    // longest.
    void matchesAModel()
    {
        const auto code
            = [](int n) { return QByteArray::number(n).leftJustified(1 + n % SecurityId::MaxCodeBytes, 'x'); };
        LatestQuotes::start();
        VQuotSubscriber subscriber(nullptr, QStringLiteral("even"));
        for (int n = 0; n < 300; n += 2)
            subscriber.addProduct('1', QString::fromLatin1(code(n)));
        LatestQuotes::follow(&subscriber, true);

        QVector<int> order; // the waiting securities as they came
        std::map<int, VQuotData> waiting, latest; // by security; latest: of those the subscriber receives
        const auto wait = [&](int n, const VQuotData &record) {
            if (!waiting.count(n))
                order << n;
            waiting[n] = record;
        };
        // Whether a batch handed out what the model waits for; then nothing waits.
        const auto took = [&](const std::vector<VQuotData> &records) {
            QVector<double> expected, taken;
            for (int n : qAsConst(order)) {
                expected << waiting[n].lastPrice;
                if (n % 2 == 0)
                    latest[n] = waiting[n];
            }
            for (const VQuotData &record : records)
                taken << record.lastPrice;
            order.clear();
            waiting.clear();
            return taken == expected;
        };
        QRandomGenerator random(20250611);
        // Each round a new batch, its table at its first size, over more securities.
        for (int round = 0, serial = 0; round < 20; ++round) {
            QuotBatch batch;
            QSignalSpy ready(&batch, &QuotBatch::ready);
            for (int step = 0; step < 200; ++step) {
                const int op = int(random.bounded(100));
                const int n = int(random.bounded(40 + 13 * round));
                if (op < 82) {
                    VQuotData record = makeQuotRecord('1', code(n));
                    record.lastPrice = ++serial; // names the record
                    batch.add(record);
                    wait(n, record);
                } else if (op < 94) {
                    batch.addLatest(SecurityId('1', code(n).constData(), code(n).size()));
                    if (latest.count(n) && !waiting.count(n))
                        wait(n, latest[n]);
                } else if (op < 95) {
                    batch.clear();
                    order.clear();
                    waiting.clear();
                } else {
                    // At a frame, as a table does: ready, then take.
                    if (op == 99) {
                        QVERIFY(waitForFrame());
                        QCOMPARE(ready.count(), waiting.empty() ? 0 : 1);
                        ready.clear();
                    }
                    QVERIFY2(took(batch.take()), qPrintable(QStringLiteral("round %1 step %2").arg(round).arg(step)));
                }
                QCOMPARE(batch.isEmpty(), waiting.empty());
            }
            QVERIFY(took(batch.take()));
        }
        LatestQuotes::stop();
    }

    // A newcomer gets the latest record only while a subscriber of the
    // module receives its security: a subscriber that replaces its list
    // keeps the records of what stays in it, and a security nobody receives
    // any longer is forgotten (its record would be stale), as is everything
    // while no module is loaded.
    void latestOnlyWhileReceived()
    {
        LatestQuotes::start();
        VQuotSubscriber subscriber(nullptr, QStringLiteral("shown"));
        subscriber.addProduct('1', QStringLiteral("600519"));
        subscriber.addProduct('1', QStringLiteral("600000"));
        LatestQuotes::follow(&subscriber, true);
        QuotBatch shown, newcomer;
        const VQuotData record = makeQuotRecord('1', "600519");
        shown.add(record);
        shown.add(makeQuotRecord('1', "600000"));
        shown.take();
        const SecurityId id = SecurityId::of(record);
        subscriber.removeProduct('1', QStringLiteral("600000"));
        LatestQuotes::follow(&subscriber, true);
        newcomer.addLatest(SecurityId::of(QStringLiteral("1"), QStringLiteral("600000")));
        newcomer.addLatest(id);
        QCOMPARE(newcomer.take().size(), size_t(1));
        LatestQuotes::follow(&subscriber, false);
        LatestQuotes::follow(&subscriber, true);
        newcomer.addLatest(id);
        QVERIFY(newcomer.isEmpty());

        shown.add(record);
        shown.take();
        LatestQuotes::stop();
        newcomer.addLatest(id);
        QVERIFY(newcomer.isEmpty());
    }
};

QTEST_MAIN(TestQuotBatch)
#include "tst_quotbatch.moc"
