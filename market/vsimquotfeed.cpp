#include "vsimquotfeed.h"

#include "marketlog.h"

#include <vquotdata.h>
#include <vquotmgr.h>
#include <vquotsubscriber.h>

#include <voutput.h>

#include <QElapsedTimer>
#include <QVector>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

Q_LOGGING_CATEGORY(lcMarket, "tarn.market", QtInfoMsg)

namespace {

// In a stress run the worker sleeps at least this long between batches, so
// a high rate makes larger batches rather than more wake-ups.
constexpr qint64 MinWaitMs = 5;
// When a stress run falls further behind than this, it skips the deficit
// instead of catching up in one burst.
constexpr double MaxLagSeconds = 0.1;

struct Product
{
    char market;
    QByteArray code;
};

bool parseProduct(const QString &key, Product &out)
{
    return VQuotSubscriber::splitProductKey(key, &out.market, &out.code);
}

} // namespace

// The simulation thread. Everything below the mutex is shared with the GUI
// thread and guarded by it. The thread, mutex and condition variable are the
// standard library's, which ThreadSanitizer sees through.
class VSimQuotFeed::Worker
{
public:
    void run();
    void requestStop();
    // Wakes the loop after a change of what it produces or how fast.
    void changed(bool restartClock);
    // Appends the current records of the securities waiting for one. Called with the mutex held.
    void takeImages(QVector<VQuotData> &batch);

    std::thread thread; // joinable from start() until stop()
    mutable std::mutex mutex;
    std::condition_variable wake;
    VSimMarket market;
    Sink sink; // the manager's post() once attached
    int rate = 0;
    bool paused = false;
    bool stopping = false;
    bool restartClock = true;
    // Market time: records are stamped with the moment they were due, not
    // the moment the thread got to them, so the market follows the clock;
    // paused time does not count.
    double marketSeconds = 0;
    QVector<Product> images;
};

void VSimQuotFeed::Worker::run()
{
    QElapsedTimer clock;
    qint64 produced = 0; // records of the stress run since the clock started
    double clockStartSeconds = 0;
    QVector<VQuotData> batch;
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopping) {
        const bool idle = rate > 0 ? market.count() == 0 : std::isinf(market.nextSnapshot());
        if (paused || !sink || idle) {
            wake.wait(lock);
            restartClock = true;
            continue;
        }
        if (restartClock) {
            clock.start();
            produced = 0;
            clockStartSeconds = marketSeconds;
            restartClock = false;
        }
        const double elapsed = double(clock.nsecsElapsed()) / 1e9;
        batch.clear();
        if (rate == 0) {
            marketSeconds = clockStartSeconds + elapsed;
            market.advance(marketSeconds, batch);
        } else {
            qint64 due = qint64(elapsed * rate) - produced;
            const qint64 maxBatch = qMax<qint64>(1, qint64(rate * MaxLagSeconds));
            if (due > maxBatch) {
                produced += due - maxBatch;
                due = maxBatch;
            }
            batch.resize(int(qMax<qint64>(0, due)));
            for (VQuotData &record : batch) {
                marketSeconds = clockStartSeconds + double(++produced) / rate;
                market.next(record, marketSeconds);
            }
        }
        takeImages(batch);
        if (!batch.isEmpty()) {
            const Sink target = sink;
            lock.unlock();
            target(batch);
            lock.lock();
            continue;
        }
        const double untilNext
            = rate == 0 ? market.nextSnapshot() - marketSeconds : double(produced + 1) / rate - elapsed;
        const qint64 leastMs = rate == 0 ? 1 : MinWaitMs;
        wake.wait_for(lock, std::chrono::milliseconds(qBound<qint64>(leastMs, qint64(std::ceil(untilNext * 1000)), 1000)));
    }
}

void VSimQuotFeed::Worker::takeImages(QVector<VQuotData> &batch)
{
    for (const Product &product : qAsConst(images)) {
        VQuotData record;
        if (market.image(product.market, product.code, record))
            batch.append(record);
    }
    images.clear();
}

void VSimQuotFeed::Worker::requestStop()
{
    std::lock_guard<std::mutex> lock(mutex);
    stopping = true;
    wake.notify_all();
}

// Called with the mutex held.
void VSimQuotFeed::Worker::changed(bool restart)
{
    if (restart)
        restartClock = true;
    wake.notify_all();
}

VSimQuotFeed::VSimQuotFeed(QObject *parent)
    : VQuotFeed(parent)
    , m_worker(std::make_unique<Worker>())
{
}

VSimQuotFeed::~VSimQuotFeed()
{
    stop();
}

void VSimQuotFeed::setResolver(Resolver resolver)
{
    m_resolver = std::move(resolver);
}

void VSimQuotFeed::setSeed(quint32 seed)
{
    std::lock_guard<std::mutex> lock(m_worker->mutex);
    m_worker->market.setSeed(seed);
}

void VSimQuotFeed::setRate(int recordsPerSecond)
{
    std::lock_guard<std::mutex> lock(m_worker->mutex);
    m_worker->rate = qMax(0, recordsPerSecond);
    m_worker->changed(true);
}

int VSimQuotFeed::rate() const
{
    std::lock_guard<std::mutex> lock(m_worker->mutex);
    return m_worker->rate;
}

void VSimQuotFeed::setPaused(bool paused)
{
    std::lock_guard<std::mutex> lock(m_worker->mutex);
    m_worker->paused = paused;
    m_worker->changed(true);
}

bool VSimQuotFeed::isPaused() const
{
    std::lock_guard<std::mutex> lock(m_worker->mutex);
    return m_worker->paused;
}

void VSimQuotFeed::attach(VQuotMgr *manager)
{
    VQuotFeed::attach(manager);
    setSink([manager](const QVector<VQuotData> &batch) { manager->post(batch); });
}

void VSimQuotFeed::setSink(Sink sink)
{
    std::lock_guard<std::mutex> lock(m_worker->mutex);
    m_worker->sink = std::move(sink);
    m_worker->changed(true);
}

bool VSimQuotFeed::subscribe(const QStringList &products)
{
    // Parameters are resolved here, on the caller's thread, where the host's caches live.
    QVector<QPair<Product, VSimInstrument>> wanted;
    for (const QString &key : products) {
        Product product;
        if (!parseProduct(key, product)) {
            VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                    QStringLiteral("模拟行情拒绝订阅: 证券【%1】格式无效").arg(key));
            return false;
        }
        VSimInstrument instrument;
        if (m_resolver && !m_resolver(product.market, key.mid(2), instrument))
            instrument = VSimInstrument();
        wanted.append({product, instrument});
    }

    QStringList replaced;
    {
        std::lock_guard<std::mutex> lock(m_worker->mutex);
        for (const auto &entry : qAsConst(wanted)) {
            if (!m_worker->market.add(entry.first.market, entry.first.code, entry.second))
                replaced.append(VQuotSubscriber::productKey(entry.first.market, QString::fromUtf8(entry.first.code)));
            m_worker->images.append(entry.first);
        }
        m_worker->changed(false);
    }
    if (!replaced.isEmpty()) {
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("模拟行情: 证券【%1】的参数无效, 按默认参数模拟").arg(replaced.join(QLatin1Char(';'))));
    }
    qCDebug(lcMarket) << "simulated feed now moves" << products;
    return true;
}

void VSimQuotFeed::unsubscribe(const QStringList &products)
{
    std::lock_guard<std::mutex> lock(m_worker->mutex);
    for (const QString &key : products) {
        Product product;
        if (parseProduct(key, product))
            m_worker->market.remove(product.market, product.code);
    }
}

void VSimQuotFeed::sendImages(const QStringList &products)
{
    std::lock_guard<std::mutex> lock(m_worker->mutex);
    for (const QString &key : products) {
        Product product;
        if (parseProduct(key, product))
            m_worker->images.append(product);
    }
    m_worker->changed(false);
}

void VSimQuotFeed::start()
{
    if (m_worker->thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_worker->mutex);
        m_worker->stopping = false;
        m_worker->restartClock = true;
    }
    Worker *worker = m_worker.get();
    worker->thread = std::thread([worker] { worker->run(); });
}

void VSimQuotFeed::stop()
{
    if (!m_worker->thread.joinable())
        return;
    m_worker->requestStop();
    m_worker->thread.join();
}

bool VSimQuotFeed::isRunning() const
{
    return m_worker->thread.joinable();
}

void VSimQuotFeed::advance(double seconds)
{
    QVector<VQuotData> batch;
    Sink target;
    {
        std::lock_guard<std::mutex> lock(m_worker->mutex);
        m_worker->marketSeconds = qMax(m_worker->marketSeconds, seconds);
        m_worker->market.advance(seconds, batch);
        m_worker->takeImages(batch);
        target = m_worker->sink;
    }
    if (target && !batch.isEmpty())
        target(batch);
}
