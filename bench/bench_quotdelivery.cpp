// Records per second from a feed through VQuotMgr into a subscriber's
// receiving slot, on the deliver path (GUI thread, synchronous) and the post
// path (a feed thread, batched to the GUI thread), beside a direct C++ call
// of the same slot in the same run.
//
//   bench_quotdelivery [records] [securities]

#include <vquotdata.h>
#include <vquotfeed.h>
#include <vquotmgr.h>
#include <vquotsubscriber.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <cstdio>
#include <cstring>

class Receiver : public QObject
{
    Q_OBJECT
public:
    // Read by the producer thread to pace itself; written only here.
    std::atomic<quint64> count {0};
    double sum = 0;

public slots:
    void doRecvSubscribeQuot(VQuotData *record);
};

// Never inlined, as a component's slot in another library would not be.
Q_NEVER_INLINE void Receiver::doRecvSubscribeQuot(VQuotData *record)
{
    sum += record->lastPrice + record->bidPrice[0];
    count.store(count.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

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
    for (int i = 0; i < securities; ++i) {
        VQuotData &r = records[i];
        std::memset(&r, 0, sizeof r);
        r.status = 1;
        r.market = 'H';
        r.setCode(QByteArray("c") + QByteArray::number(i).rightJustified(5, '0'));
        r.lastPrice = 3500 + i;
        r.bidPrice[0] = 3499 + i;
        r.askPrice[0] = 3501 + i;
        r.askVolume[0] = r.bidVolume[0] = 10;
    }
    return records;
}

double perSecond(quint64 records, qint64 nsecs)
{
    return double(records) * 1e9 / double(qMax<qint64>(nsecs, 1));
}

// The feed keeps at most this many records ahead of delivery, as a feed
// slower than the GUI thread would; the queue then stays small and the
// measurement shows the path's throughput rather than memory growth.
constexpr quint64 MaxAhead = 20000;

// Posts n records from a feed thread, one per call (batchSize 1) or in
// batches, and runs the event loop here until all have arrived. Returns the
// elapsed nanoseconds.
qint64 timePosted(BenchFeed &feed, Receiver &receiver, const QVector<VQuotData> &records, quint64 n, int batchSize)
{
    const quint64 base = receiver.count;
    auto delivered = [&receiver, base] { return receiver.count.load(std::memory_order_relaxed) - base; };
    auto producer = [&] {
        QVector<VQuotData> batch;
        batch.reserve(batchSize);
        for (quint64 i = 0; i < n; ++i) {
            while (i % 1000 == 0 && i - delivered() > MaxAhead)
                QThread::usleep(50);
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
    while (delivered() < n)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const qint64 elapsed = timer.nsecsElapsed();
    thread->wait();
    return elapsed;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const quint64 n = args.size() > 1 ? args.at(1).toULongLong() : 2000000;
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

    const double postedSingly = perSecond(n, timePosted(*feed, receiver, records, n, 1));
    const double postedInBatches = perSecond(n, timePosted(*feed, receiver, records, n, 1000));

    std::printf("bench_quotdelivery: %llu records per path, %d securities, one subscriber\n",
                static_cast<unsigned long long>(n), securities);
    std::printf("  %-28s %12.0f records/s\n", "direct slot call", direct);
    const struct
    {
        const char *name;
        double rate;
    } paths[] = {
        {"deliver (GUI thread)", delivered},
        {"post, one record per call", postedSingly},
        {"post, batches of 1000", postedInBatches},
    };
    for (const auto &path : paths)
        std::printf("  %-28s %12.0f records/s   direct/path %6.1f\n", path.name, path.rate, direct / path.rate);
    std::printf("  (%llu slot calls through the manager, %llu dropped, checksum %.0f)\n",
                static_cast<unsigned long long>(manager.deliveredCount()),
                static_cast<unsigned long long>(manager.droppedCount()), receiver.sum);
    return 0;
}

#include "bench_quotdelivery.moc"
