#include "vframepacer.h"

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimerEvent>
#include <QVector>

#if defined(Q_OS_WIN)
#include <qt_windows.h>
#else
#include <time.h>
#endif

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
// frame, its interval adapted to the thread's load at the end of every
// window of WindowNs.
class VFrameClock : public QObject
{
public:
    static constexpr qint64 WindowNs = 250000000;
    static constexpr qint64 MaxIntervalNs = 1000000000 / VFramePacer::MinFramesPerSecond;

    // Made on the first request, on the GUI thread, and kept for the
    // process's life.
    static VFrameClock &instance()
    {
        static VFrameClock *clock = new VFrameClock;
        return *clock;
    }

    void add(VFramePacer *pacer)
    {
        m_waiting.append(pacer);
        if (m_timer.isActive())
            return;
        qint64 waitNs = 0;
        if (m_lastFrame.isValid())
            waitNs = qMax<qint64>(0, m_intervalNs - m_lastFrame.nsecsElapsed());
        // Rounded up: a frame never comes early.
        m_timer.start(int((waitNs + 999999) / 1000000), Qt::PreciseTimer, this);
    }

    void remove(VFramePacer *pacer) { m_waiting.removeOne(pacer); }
    qint64 intervalNs() const { return m_intervalNs; }

protected:
    void timerEvent(QTimerEvent *event) override
    {
        if (event->timerId() != m_timer.timerId()) {
            QObject::timerEvent(event);
            return;
        }
        m_timer.stop();
        adapt();
        m_lastFrame.start();
        // A frame may delete pacers or request the next frame.
        const QVector<VFramePacer *> due = std::exchange(m_waiting, {});
        QVector<QPointer<VFramePacer>> alive;
        alive.reserve(due.size());
        for (VFramePacer *pacer : due)
            alive.append(pacer);
        for (const QPointer<VFramePacer> &pacer : qAsConst(alive)) {
            if (!pacer)
                continue;
            pacer->m_pending = false;
            emit pacer->frame();
        }
    }

private:
    VFrameClock()
    {
        m_window.start();
        m_windowCpuNs = threadCpuNs();
    }

    // Scales the interval by the thread's load over the budget. With a
    // load of other work o and a cost of w per frame the interval settles
    // where o + w / interval meets the budget, in a few windows; a step at
    // most halves or doubles it, so one slow pass does not throw the rate
    // about.
    void adapt()
    {
        const qint64 windowNs = m_window.nsecsElapsed();
        if (windowNs < WindowNs || m_windowCpuNs < 0)
            return;
        const qint64 cpuNs = threadCpuNs();
        const double load = double(cpuNs - m_windowCpuNs) / double(windowNs);
        const double factor = qBound(0.5, load / VFramePacer::ThreadBudget, 2.0);
        m_intervalNs = qBound(VFramePacer::FrameIntervalNs, qint64(double(m_intervalNs) * factor), MaxIntervalNs);
        m_windowCpuNs = cpuNs;
        m_window.start();
    }

    QBasicTimer m_timer;
    QElapsedTimer m_lastFrame;
    QElapsedTimer m_window;
    qint64 m_windowCpuNs = -1;
    qint64 m_intervalNs = VFramePacer::FrameIntervalNs;
    QVector<VFramePacer *> m_waiting;
};

qint64 VFramePacer::frameIntervalNs()
{
    return VFrameClock::instance().intervalNs();
}

VFramePacer::VFramePacer(QObject *parent)
    : QObject(parent)
{
}

VFramePacer::~VFramePacer()
{
    if (m_pending)
        VFrameClock::instance().remove(this);
}

void VFramePacer::request()
{
    if (m_pending)
        return;
    m_pending = true;
    VFrameClock::instance().add(this);
}
