#pragma once

// What the benches share: clocks, the GUI thread's CPU time, the process's
// resident memory, a paint counter, and a paced feed thread posting quote
// records to a VQuotMgr. Linux only (/proc, CLOCK_THREAD_CPUTIME_ID).

#include <vquotdata.h>
#include <vquotmgr.h>

#include <QEvent>
#include <QPaintEvent>
#include <QWidget>
#include <QEventLoop>
#include <QMutex>
#include <QThread>
#include <QTimer>
#include <QVector>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <thread>
#include <utility>

namespace bench {

// Steady-clock nanoseconds; the feeds stamp records with it.
inline qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// CPU time consumed by the calling thread.
inline qint64 threadCpuNs()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// A "Name:  1234 kB" line of /proc/self/status in KiB, -1 when missing.
inline long statusKiB(const char *name)
{
    FILE *file = std::fopen("/proc/self/status", "r");
    if (!file)
        return -1;
    const size_t length = std::strlen(name);
    long value = -1;
    char line[256];
    while (std::fgets(line, sizeof line, file)) {
        if (std::strncmp(line, name, length) == 0 && line[length] == ':') {
            value = std::strtol(line + length + 1, nullptr, 10);
            break;
        }
    }
    std::fclose(file);
    return value;
}

inline long rssKiB()
{
    return statusKiB("VmRSS");
}

// A security's quote in its round-th update: the last price moves a cent
// every update within ±1 of a previous close of 10, volume and amount grow,
// ten levels a cent apart around the last price.
inline VQuotData quote(char market, const QByteArray &code, quint64 round)
{
    VQuotData r {};
    r.status = 1;
    r.market = market;
    r.setCode(code);
    const double last = 10.0 + double(int(round % 200) - 100) * 0.01;
    r.lastPrice = last;
    r.preClosingPrice = r.openingPrice = 10.0;
    r.highPrice = r.highLimitPrice = 11.0;
    r.lowPrice = r.lowLimitPrice = 9.0;
    r.priceChange = last - 10.0;
    r.priceChangeRatio = r.priceChange / 10.0;
    r.matchQuantity = qint64(100 * (round + 1));
    r.matchAmount = double(r.matchQuantity) * last;
    r.avgPrice = last;
    for (int level = 0; level < 10; ++level) {
        r.askPrice[level] = last + 0.01 * (level + 1);
        r.bidPrice[level] = last - 0.01 * level;
        r.askVolume[level] = uint32_t(100 + (round + level) % 500);
        r.bidVolume[level] = uint32_t(200 + (round + level) % 300);
    }
    return r;
}

// Counts the paint events of one widget (or a view's viewport) and the
// pixels they paint.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QObject *watched) { watched->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++count;
            for (const QRect &rect : static_cast<QPaintEvent *>(event)->region())
                pixels += double(rect.width()) * rect.height();
        }
        return false;
    }
    int count = 0;
    double pixels = 0;
};

struct GuiLoad
{
    double cpuPercent; // of one core
    double paintsPerSecond;
    double paintedShare; // of the widget's area, per second: 1.0 is one whole repaint a second
};

// Runs the event loop for ms milliseconds.
inline void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop for ms milliseconds; the GUI thread's CPU time over
// that window and the paints of painted.
inline GuiLoad measureFor(QObject *painted, int ms)
{
    PaintCounter paints(painted);
    const QWidget *widget = qobject_cast<const QWidget *>(painted);
    const double area = widget ? double(widget->width()) * widget->height() : 1.0;
    const qint64 wall = nowNs();
    const qint64 cpu = threadCpuNs();
    runFor(ms);
    const double elapsed = double(nowNs() - wall);
    return {100.0 * double(threadCpuNs() - cpu) / elapsed, paints.count * 1e9 / elapsed,
            paints.pixels / area * 1e9 / elapsed};
}

// A feed thread posting one batch a millisecond through VQuotMgr::post (or
// handing it to a sink), rate records a second in all. fill(sequence, record) writes the record
// numbered sequence (0, 1, 2, … over the feed's life); every record of a
// batch is then stamped with nowNs() in preOpenInterest just before the batch
// is posted. After a pause, or once the thread is more than 10 ms behind,
// its schedule restarts from now instead of catching up in a burst.
class PacedFeed
{
public:
    using Fill = std::function<void(quint64 sequence, VQuotData &record)>;
    using Sink = std::function<void(const QVector<VQuotData> &batch)>;

    PacedFeed(Sink sink, double rate, Fill fill)
        : m_sink(std::move(sink))
        , m_rate(rate)
        , m_fill(std::move(fill))
    {
    }
    PacedFeed(VQuotMgr *manager, double rate, Fill fill)
        : PacedFeed([manager](const QVector<VQuotData> &batch) { manager->post(batch); }, rate, std::move(fill))
    {
    }
    ~PacedFeed() { stop(); }

    void start()
    {
        m_thread.reset(QThread::create([this] { run(); }));
        m_thread->start();
    }
    // Not while paused.
    void stop()
    {
        m_stop = true;
        if (m_thread)
            m_thread->wait();
        m_thread.reset();
    }
    // Holds the feed between two batches: no post() is running once pause()
    // returns, and what fill() wrote is visible to the caller.
    void pause() { m_gate.lock(); }
    void resume() { m_gate.unlock(); }

    // Read while paused or stopped. The longest post() call since the last
    // take, which starts the next window.
    quint64 posted() const { return m_posted; }
    qint64 takeLongestPostNs() { return std::exchange(m_longestPost, 0); }

private:
    void run()
    {
        using Clock = std::chrono::steady_clock;
        const auto period = std::chrono::milliseconds(1);
        auto deadline = Clock::now();
        quint64 batches = 0;
        QVector<VQuotData> batch;
        while (!m_stop) {
            deadline += period;
            if (Clock::now() - deadline > 10 * period)
                deadline = Clock::now();
            std::this_thread::sleep_until(deadline);
            QMutexLocker gate(&m_gate);
            const quint64 due = quint64(m_rate * double(++batches) / 1000.0);
            if (due == m_posted)
                continue;
            batch.resize(int(due - m_posted));
            for (VQuotData &record : batch)
                m_fill(m_posted++, record);
            const qint64 stamp = nowNs();
            for (VQuotData &record : batch)
                record.preOpenInterest = stamp;
            m_sink(batch);
            m_longestPost = qMax(m_longestPost, nowNs() - stamp);
        }
    }

    Sink m_sink;
    double m_rate;
    Fill m_fill;
    QScopedPointer<QThread> m_thread;
    std::atomic<bool> m_stop {false};
    QMutex m_gate;
    quint64 m_posted = 0;
    qint64 m_longestPost = 0;
};

} // namespace bench
