// Records per second from a feed through VQuotMgr into a subscriber's
// receiving slot, on the deliver path (GUI thread, synchronous) and the post
// path (a feed thread, batched to the GUI thread), beside a direct C++ call
// of the same slot in the same run. Then a stalled GUI thread: a feed keeps
// posting while the GUI thread is blocked for seconds; memory, the cost of
// post() and what the first flush afterwards hands out.
//
//   bench_quotdelivery [records] [securities]

#include "benchutil.h"

#include <vlogsink.h>
#include <voutput.h>
#include <vquotdata.h>
#include <vquotfeed.h>
#include <vquotmgr.h>
#include <vquotsubscriber.h>

#include <QCoreApplication>
#include <QStandardPaths>
#include <QLoggingCategory>
#include <QFile>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>

class Receiver : public QObject
{
    Q_OBJECT
public:
    quint64 count = 0;
    double sum = 0;

public slots:
    void doRecvSubscribeQuot(VQuotData *record);
};

// Never inlined, as a component's slot in another library would not be.
Q_NEVER_INLINE void Receiver::doRecvSubscribeQuot(VQuotData *record)
{
    sum += record->lastPrice + record->bidPrice[0];
    ++count;
}

// Keeps what the first flush after a stall delivers: each record's sequence
// (the feed writes it into matchQuantity) and its age when it arrived.
class StallReceiver : public QObject
{
    Q_OBJECT
public:
    struct Shown
    {
        qint64 sequence;
        qint64 ageNs;
    };
    bool capturing = false;
    QVector<Shown> shown;

public slots:
    void doRecvSubscribeQuot(VQuotData *record)
    {
        if (capturing)
            shown.append({record->matchQuantity, bench::nowNs() - record->preOpenInterest});
    }
};

// Accepts every subscription and hands records to the manager.
class BenchFeed : public VQuotFeed
{
    Q_OBJECT
public:
    bool subscribe(const QStringList &) override { return true; }
    void unsubscribe(const QStringList &) override { }
    void deliver(const VQuotData &record) { manager()->deliver(record); }
    void post(const VQuotData &record) { manager()->post(record); }
    void post(const QVector<VQuotData> &records) { manager()->post(records); }
};

namespace {

QVector<VQuotData> makeRecords(int securities)
{
    QVector<VQuotData> records(securities);
    for (int i = 0; i < securities; ++i)
        records[i] = bench::quote('H', QByteArray("c") + QByteArray::number(i).rightJustified(5, '0'), quint64(i));
    return records;
}

double perSecond(quint64 records, qint64 nsecs)
{
    return double(records) * 1e9 / double(qMax<qint64>(nsecs, 1));
}

struct Posted
{
    qint64 nsecs;
    quint64 conflated; // records replaced by a newer one before delivery
};

// Posts n records from a feed thread as fast as it can, one per call
// (batchSize 1) or in batches, and runs the event loop here until each has
// been delivered or replaced by a newer record of its security.
Posted timePosted(VQuotMgr &manager, BenchFeed &feed, Receiver &receiver, const QVector<VQuotData> &records, quint64 n,
                  int batchSize)
{
    const quint64 delivered = receiver.count;
    const quint64 conflated = manager.conflatedCount();
    auto settled = [&] { return receiver.count - delivered + manager.conflatedCount() - conflated; };
    auto producer = [&] {
        QVector<VQuotData> batch;
        batch.reserve(batchSize);
        for (quint64 i = 0; i < n; ++i) {
            const VQuotData &record = records.at(int(i % quint64(records.size())));
            if (batchSize == 1) {
                feed.post(record);
                continue;
            }
            batch.append(record);
            if (batch.size() == batchSize || i + 1 == n) {
                feed.post(batch);
                batch.clear();
            }
        }
    };

    QElapsedTimer timer;
    timer.start();
    QScopedPointer<QThread> thread(QThread::create(producer));
    thread->start();
    while (settled() < n)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const qint64 elapsed = timer.nsecsElapsed();
    thread->wait();
    return {elapsed, manager.conflatedCount() - conflated};
}

// One receiver subscribes 300 securities; a feed posts 200,000 records a
// second to them while the GUI thread is blocked for five seconds. The
// feed is paused the moment the GUI thread wakes, so the latest record
// posted for each security is known when the first flush runs; it resumes
// after that flush.
void stalledGuiThread(VQuotMgr &manager)
{
    const int securities = 300;
    const double rate = 200000;
    const int stallMs = 5000;
    const auto mib = [](long kib) { return kib / 1024.0; };

    QVector<QByteArray> codes;
    StallReceiver receiver;
    VQuotSubscriber subscriber(nullptr, QStringLiteral("stall"));
    subscriber.setRecvSlot(&receiver, "1doRecvSubscribeQuot(VQuotData*)");
    for (int i = 0; i < securities; ++i) {
        codes.append(QByteArray("s") + QByteArray::number(i).rightJustified(3, '0'));
        subscriber.addProduct('S', QString::fromLatin1(codes.constLast()));
    }
    subscriber.subscribe();
    const quint64 records = manager.recordCount();
    const quint64 delivered = manager.deliveredCount();
    const quint64 conflated = manager.conflatedCount();

    QVector<qint64> latest(securities, -1); // per security the sequence last posted
    bench::PacedFeed feed(&manager, rate, [&](quint64 sequence, VQuotData &record) {
        const int security = int(sequence % quint64(securities));
        record = bench::quote('S', codes.at(security), sequence / quint64(securities));
        record.matchQuantity = qint64(sequence);
        latest[security] = qint64(sequence);
    });
    manager.takeLongestPostWaitNs();
    feed.start();
    bench::runFor(1000);
    feed.pause();
    const qint64 postBefore = feed.takeLongestPostNs();
    const qint64 waitBefore = manager.takeLongestPostWaitNs();
    feed.resume();

    const long rssBefore = bench::rssKiB();
    long rssPeak = rssBefore;
    QElapsedTimer blocked;
    blocked.start();
    while (blocked.elapsed() < stallMs) {
        QThread::msleep(10);
        rssPeak = qMax(rssPeak, bench::rssKiB());
    }
    feed.pause();
    const int waiting = manager.queuedCount();
    receiver.capturing = true;
    // Queued behind the flush the manager scheduled during the stall.
    QMetaObject::invokeMethod(
        &receiver, [&receiver] { receiver.capturing = false; }, Qt::QueuedConnection);
    while (receiver.capturing)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const long rssDrained = bench::rssKiB();

    QVector<bool> seen(securities, false);
    bool latestOnly = receiver.shown.size() == securities;
    qint64 oldest = 0;
    for (const StallReceiver::Shown &shown : qAsConst(receiver.shown)) {
        const int security = int(shown.sequence % securities);
        latestOnly = latestOnly && !seen[security] && shown.sequence == latest[security];
        seen[security] = true;
        oldest = qMax(oldest, shown.ageNs);
    }
    const qint64 postDuring = feed.takeLongestPostNs();
    const qint64 waitDuring = manager.takeLongestPostWaitNs();
    feed.resume();
    bench::runFor(1000);
    const long rssLater = bench::rssKiB();
    feed.stop();
    const qint64 postAfter = feed.takeLongestPostNs();
    const qint64 waitAfter = manager.takeLongestPostWaitNs();
    while (manager.queuedCount() > 0)
        QCoreApplication::processEvents();

    std::printf("stalled GUI thread: %d securities, %.0f records/s posted in batches every 1 ms, GUI thread blocked "
                "%d ms\n",
                securities, rate, stallMs);
    std::printf("  RSS before %.1f MiB, peak during the stall %.1f MiB, after the first flush %.1f MiB, 1 s later "
                "%.1f MiB\n",
                mib(rssBefore), mib(rssPeak), mib(rssDrained), mib(rssLater));
    std::printf("  longest post() call: 1 s before the stall %.1f us, during it %.1f us, 1 s after it %.1f us\n",
                postBefore / 1000.0, postDuring / 1000.0, postAfter / 1000.0);
    std::printf("  of which waiting for the GUI thread at most: before %.1f us, during %.1f us, after %.1f us\n",
                waitBefore / 1000.0, waitDuring / 1000.0, waitAfter / 1000.0);
    std::printf("  waiting at wake-up %d records; first flush delivered %d; each the latest posted for its "
                "security: %s\n",
                waiting, int(receiver.shown.size()), latestOnly ? "yes" : "no");
    std::printf("  oldest value shown by the first flush %.2f ms old\n", oldest / 1e6);
    std::printf("  %llu records posted; recordCount %llu, deliveredCount %llu, conflatedCount %llu\n",
                static_cast<unsigned long long>(feed.posted()),
                static_cast<unsigned long long>(manager.recordCount() - records),
                static_cast<unsigned long long>(manager.deliveredCount() - delivered),
                static_cast<unsigned long long>(manager.conflatedCount() - conflated));
}

} // namespace

// What a receiver pays for one level-0 log record per quote, as the futures
// board writes them, with the log file on (in a scratch folder): the calling
// thread only queues the record; a writer thread appends to the file.
void logCost(int records)
{
    QStandardPaths::setTestModeEnabled(true);
    QFile::remove(VLog::logFilePath());
    VLog::setFileLogging(true);
    QLoggingCategory::setFilterRules(QStringLiteral("tarn.vlog.info=false"));
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < records; ++i)
        VOutput(0, QStringLiteral("bcftquotpanel"), 42, QString(), QStringLiteral("期货行情面板接收到行情:【H|ag2612】"));
    const double callNs = double(timer.nsecsElapsed()) / records;
    VLog::flush();
    const double allNs = double(timer.nsecsElapsed()) / records;
    QFile file(VLog::logFilePath());
    int lines = 0;
    int reports = 0;
    if (file.open(QIODevice::ReadOnly)) {
        while (!file.atEnd()) {
            const QByteArray line = file.readLine();
            ++lines;
            reports += line.contains("日志队列已满");
        }
    }
    VLog::setFileLogging(false);
    file.remove();
    std::printf("VOutput with the log file on: %.0f ns per call on the calling thread, %.0f ns per record until "
                "written; of %d records %d in the file, the rest dropped by the full queue and reported in %d "
                "lines\n",
                callNs, allNs, records, lines - reports, reports);
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const quint64 n = args.size() > 1 ? args.at(1).toULongLong() : 2000000;
    logCost(200000);
    const int securities = args.size() > 2 ? qMax(1, args.at(2).toInt()) : 1000;

    VQuotMgr manager;
    auto *feed = new BenchFeed;
    manager.setFeed(feed);
    Receiver receiver;
    VQuotSubscriber subscriber(nullptr, QStringLiteral("bench"));
    subscriber.setRecvSlot(&receiver, "1doRecvSubscribeQuot(VQuotData*)");
    QVector<VQuotData> records = makeRecords(securities);
    for (const VQuotData &r : qAsConst(records))
        subscriber.addProduct(r.market, QString::fromLatin1(r.codeText()));
    if (!subscriber.subscribe())
        return 1;

    QElapsedTimer timer;
    timer.start();
    for (quint64 i = 0; i < n; ++i)
        receiver.doRecvSubscribeQuot(&records[int(i % quint64(securities))]);
    const double direct = perSecond(n, timer.nsecsElapsed());

    timer.start();
    for (quint64 i = 0; i < n; ++i)
        feed->deliver(records.at(int(i % quint64(securities))));
    const double delivered = perSecond(n, timer.nsecsElapsed());

    const Posted singly = timePosted(manager, *feed, receiver, records, n, 1);
    const Posted inBatches = timePosted(manager, *feed, receiver, records, n, 1000);

    std::printf("bench_quotdelivery: %llu records per path, %d securities, one subscriber\n",
                static_cast<unsigned long long>(n), securities);
    std::printf("  %-28s %12.0f records/s\n", "direct slot call", direct);
    std::printf("  %-28s %12.0f records/s   direct/path %6.1f\n", "deliver (GUI thread)", delivered,
                direct / delivered);
    const struct
    {
        const char *name;
        Posted posted;
    } paths[] = {
        {"post, one record per call", singly},
        {"post, batches of 1000", inBatches},
    };
    for (const auto &path : paths) {
        const double rate = perSecond(n, path.posted.nsecs);
        std::printf("  %-28s %12.0f records/s   direct/path %6.1f   conflated %5.1f%%\n", path.name, rate,
                    direct / rate, 100.0 * double(path.posted.conflated) / double(n));
    }
    std::printf("  (%llu records and %llu slot calls through the manager, %llu conflated, %llu dropped, checksum "
                "%.0f)\n",
                static_cast<unsigned long long>(manager.recordCount()),
                static_cast<unsigned long long>(manager.deliveredCount()),
                static_cast<unsigned long long>(manager.conflatedCount()),
                static_cast<unsigned long long>(manager.droppedCount()), receiver.sum);
    std::fflush(stdout);

    stalledGuiThread(manager);
    return 0;
}

#include "bench_quotdelivery.moc"
