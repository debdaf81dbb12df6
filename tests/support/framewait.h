#pragma once

#include <framepacer.h>

#include <QCoreApplication>
#include <QSignalSpy>

// Waits for the next display frame and the paints it asks for. All pacers
// share one clock, so a frame requested now comes with the frame of
// everything already waiting; the clock spaces frames out while frames are
// busy, so a fixed wait is not enough.
inline bool waitForFrame()
{
    FramePacer pacer(FramePacer::Paint);
    QSignalSpy frame(&pacer, &FramePacer::frame);
    pacer.request();
    if (!frame.wait(2000))
        return false;
    QCoreApplication::processEvents();
    return true;
}
