#include "vframepacer.h"

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimerEvent>
#include <QVector>

// The GUI thread's frame clock: one timer for every pacer waiting for a frame.
class VFrameClock : public QObject
{
public:
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
            waitNs = qMax<qint64>(0, VFramePacer::FrameIntervalNs - m_lastFrame.nsecsElapsed());
        // Rounded up: a frame never comes early.
        m_timer.start(int((waitNs + 999999) / 1000000), Qt::PreciseTimer, this);
    }

    void remove(VFramePacer *pacer) { m_waiting.removeOne(pacer); }

protected:
    void timerEvent(QTimerEvent *event) override
    {
        if (event->timerId() != m_timer.timerId()) {
            QObject::timerEvent(event);
            return;
        }
        m_timer.stop();
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
    QBasicTimer m_timer;
    QElapsedTimer m_lastFrame;
    QVector<VFramePacer *> m_waiting;
};

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
