#pragma once

#include <vframepacer.h>

#include <QCoreApplication>
#include <QSignalSpy>

// Waits for the paced widgets' next display frame and the paints it asks
// for. All pacers share one clock, so a frame requested now comes with the
// frame of everything already waiting; the clock spaces frames out while
// the thread is busy, as a test's thread is, so a fixed wait is not enough.
inline bool waitForFrame()
{
    VFramePacer pacer;
    QSignalSpy frame(&pacer, &VFramePacer::frame);
    pacer.request();
    if (!frame.wait(2000))
        return false;
    QCoreApplication::processEvents();
    return true;
}
