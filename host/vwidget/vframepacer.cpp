#include "vframepacer.h"

#include <QTimerEvent>

VFramePacer::VFramePacer(QObject *parent)
    : QObject(parent)
{
}

void VFramePacer::request()
{
    if (m_timer.isActive())
        return;
    qint64 waitNs = 0;
    if (m_lastFrame.isValid())
        waitNs = qMax<qint64>(0, FrameIntervalNs - m_lastFrame.nsecsElapsed());
    // Rounded up: a frame never comes early.
    m_timer.start(int((waitNs + 999999) / 1000000), Qt::PreciseTimer, this);
}

void VFramePacer::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timer.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    m_timer.stop();
    m_lastFrame.start();
    emit frame();
}
