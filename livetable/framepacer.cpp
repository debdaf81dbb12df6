#include "framepacer.h"

#include "livelog.h"

#include <voutput.h>

#include <QBasicTimer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPointer>
#include <QThread>
#include <QTimerEvent>
#include <QVector>

#include <algorithm>
#include <iterator>
#include <utility>

#if defined(Q_OS_WIN)
#include <qt_windows.h>
#else
#include <time.h>
#endif

Q_LOGGING_CATEGORY(lcLive, "tarn.live", QtInfoMsg)

namespace {

// CPU time of the calling thread, in ns; -1 where it cannot be read.
qint64 threadCpuNs()
{
#if defined(Q_OS_WIN)
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user))
        return -1;
    auto ns = [](const FILETIME &time) {
        return qint64((quint64(time.dwHighDateTime) << 32 | time.dwLowDateTime) * 100);
    };
    return ns(kernel) + ns(user);
#else
    timespec now;
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) != 0)
        return -1;
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
#endif
}

} // namespace

// The GUI thread's frame clock: one timer for every pacer waiting for a
// frame, its interval set after every frame from the frames' recent work.
class FrameClock : public QObject
{
public:
    static constexpr qint64 SlowestIntervalNs = 1000000000 / FramePacer::MinFramesPerSecond;
    // The most work one frame counts: twice what sets the slowest rate.
    static constexpr qint64 MostCountedWorkNs = qint64(2 * SlowestIntervalNs * FramePacer::WorkBudget);

    // The clock, made on first use; null on any thread but the GUI thread,
    // whose event loop alone runs its timer (said once).
    static FrameClock *instance()
    {
        if (s_clock)
            return s_clock;
        const QCoreApplication *app = QCoreApplication::instance();
        if (!app || QThread::currentThread() != app->thread()) {
            static bool said = false;
            if (!std::exchange(said, true))
                VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                        QStringLiteral("帧时钟只能在界面线程上使用, 其他线程的请求被忽略"));
            return nullptr;
        }
        s_clock = new FrameClock;
        return s_clock;
    }
    // Frees the clock, its timer with it; pacers still waiting wait no more.
    static void destroy()
    {
        FrameClock *clock = std::exchange(s_clock, nullptr);
        if (!clock)
            return;
        for (const QVector<FramePacer *> &waiting : clock->m_waiting) {
            for (FramePacer *pacer : waiting)
                pacer->m_pending = false;
        }
        delete clock;
    }
    // The clock if there is one.
    static FrameClock *current() { return s_clock; }

    void add(FramePacer *pacer)
    {
        m_waiting[pacer->phase()].append(pacer);
        // A request made during a frame is served by it (one for a later
        // phase than the running one) or scheduled when the frame ends.
        if (!m_inFrame)
            schedule();
    }

    void remove(FramePacer *pacer) { m_waiting[pacer->phase()].removeOne(pacer); }
    qint64 intervalNs() const { return m_intervalNs; }
    qint64 nowMs() const { return m_inFrame ? m_frameStartMs : m_epoch.elapsed(); }
    qint64 clockMs() const { return m_epoch.elapsed(); }

protected:
    void timerEvent(QTimerEvent *event) override
    {
        if (event->timerId() != m_timer.timerId()) {
            QObject::timerEvent(event);
            return;
        }
        m_timer.stop();
        if (m_learnLateness)
            learnLateness(m_epoch.nsecsElapsed() - m_timerDueNs);
        m_lastFrame.start();
        const qint64 start = threadCpuNs();
        m_frameStartMs = m_epoch.elapsed();
        m_inFrame = true;
        for (const FramePacer::Phase phase : {FramePacer::Write, FramePacer::Expire, FramePacer::Paint})
            run(phase);
        // The repaints the frame asked for, now: they are its work too.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        m_inFrame = false;
        if (start >= 0)
            adapt(threadCpuNs() - start);
        schedule();
    }

private:
    FrameClock() { m_epoch.start(); }

    void schedule()
    {
        const auto none = [](const QVector<FramePacer *> &waiting) { return waiting.isEmpty(); };
        if (m_timer.isActive() || std::all_of(std::begin(m_waiting), std::end(m_waiting), none))
            return;
        qint64 waitNs = 0;
        if (m_lastFrame.isValid())
            waitNs = qMax<qint64>(0, m_intervalNs - m_lastFrame.nsecsElapsed());
        // Earlier by the timer's usual lateness, to its nearest millisecond:
        // frames come at the interval on average. A timer waits whole
        // milliseconds and comes a millisecond or more late once the event
        // loop has woken and served the records queued meanwhile; counted
        // from its start, frames came 54-57 a second at a 16.7 ms interval.
        const int ms = int(qMax<qint64>(0, waitNs - qint64(m_lateNs) + 500000) / 1000000);
        // A timer due at once says nothing of lateness: the frame is late already.
        m_learnLateness = ms > 0;
        m_timerDueNs = m_epoch.nsecsElapsed() + qint64(ms) * 1000000;
        m_timer.start(ms, Qt::PreciseTimer, this);
    }

    // Emits the frame of every pacer of phase waiting now; a frame may
    // delete pacers or request the next frame.
    void run(FramePacer::Phase phase)
    {
        const QVector<FramePacer *> due = std::exchange(m_waiting[phase], {});
        QVector<QPointer<FramePacer>> alive;
        alive.reserve(due.size());
        for (FramePacer *pacer : due)
            alive.append(pacer);
        for (const QPointer<FramePacer> &pacer : qAsConst(alive)) {
            if (!pacer)
                continue;
            pacer->m_pending = false;
            emit pacer->frame();
        }
    }

    // Sets the interval where the frames' average work takes WorkBudget of
    // it. The average follows the last dozen frames or so, and a frame
    // counts at most twice the work that sets the slowest rate: one slow
    // frame (a sort, a new chain) moves the interval by 25 ms at most, for
    // a few frames, and a rate set from the work itself, not corrected step
    // by step, holds steady instead of swinging around it.
    void adapt(qint64 workNs)
    {
        const qint64 counted = qBound<qint64>(0, workNs, MostCountedWorkNs);
        m_averageWorkNs += (double(counted) - m_averageWorkNs) / 8;
        const bool wasFastest = m_intervalNs == FramePacer::FastestIntervalNs;
        m_intervalNs = qBound(FramePacer::FastestIntervalNs, qint64(m_averageWorkNs / FramePacer::WorkBudget),
                              SlowestIntervalNs);
        if (wasFastest != (m_intervalNs == FramePacer::FastestIntervalNs))
            qCDebug(lcLive).nospace() << (wasFastest ? "frames spaced out to " : "frames back at ")
                                      << m_intervalNs / 1000 << " us, " << qint64(m_averageWorkNs / 1000)
                                      << " us of work a frame";
    }

    // How late the timer comes after the time it was started for, on
    // average over the last dozen frames or so.
    void learnLateness(qint64 lateNs)
    {
        m_lateNs += (double(qBound(-MostCountedLatenessNs, lateNs, MostCountedLatenessNs)) - m_lateNs) / 8;
    }

    static constexpr qint64 MostCountedLatenessNs = 5000000;

    QBasicTimer m_timer;
    QElapsedTimer m_epoch;
    qint64 m_timerDueNs = 0; // when the timer was started to come, on m_epoch
    bool m_learnLateness = false;
    double m_lateNs = 0;
    qint64 m_frameStartMs = 0;
    QElapsedTimer m_lastFrame;
    double m_averageWorkNs = 0;
    qint64 m_intervalNs = FramePacer::FastestIntervalNs;
    bool m_inFrame = false;
    QVector<FramePacer *> m_waiting[3]; // by phase

    static FrameClock *s_clock;
};

FrameClock *FrameClock::s_clock = nullptr;

bool FramePacer::startClock()
{
    return FrameClock::instance();
}

void FramePacer::stopClock()
{
    FrameClock::destroy();
}

bool FramePacer::isClockRunning()
{
    return FrameClock::current();
}

qint64 FramePacer::frameIntervalNs()
{
    const FrameClock *clock = FrameClock::instance();
    return clock ? clock->intervalNs() : FastestIntervalNs;
}

qint64 FramePacer::nowMs()
{
    const FrameClock *clock = FrameClock::instance();
    return clock ? clock->nowMs() : 0;
}

qint64 FramePacer::clockMs()
{
    const FrameClock *clock = FrameClock::instance();
    return clock ? clock->clockMs() : 0;
}

FramePacer::FramePacer(Phase phase, QObject *parent)
    : QObject(parent)
    , m_phase(phase)
{
}

FramePacer::~FramePacer()
{
    if (FrameClock *clock = m_pending ? FrameClock::current() : nullptr)
        clock->remove(this);
}

void FramePacer::request()
{
    if (m_pending)
        return;
    if (FrameClock *clock = FrameClock::instance()) {
        m_pending = true;
        clock->add(this);
    }
}
