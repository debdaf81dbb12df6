#pragma once

#include "vwidget_global.h"

#include <QObject>

// Turns any number of repaint requests into at most one frame() per display
// frame, never later than one frame after the first request: a request
// after a quiet spell is answered on the next pass of the event loop, so
// everything that arrives in the same pass shares one frame; requests
// within a frame of the last one wait for the next frame.
//
// All pacers of the GUI thread share one frame clock: their frames come in
// the same pass of the event loop, so a window showing several paced
// widgets is flushed once per frame, not once per widget.
//
// The clock keeps live data from taking the GUI thread: frames come 60 a
// second while the thread stays within ThreadBudget of one core; when it is
// busier, frames come further apart, down to MinFramesPerSecond, and speed
// up again as the load falls. A table whose every cell changes in every
// frame then shows fewer frames, not a saturated core, and the user's own
// work on the thread goes before live data.
class VWIDGET_EXPORT VFramePacer : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 FrameIntervalNs = 1000000000 / 60;
    static constexpr int MinFramesPerSecond = 10;
    static constexpr double ThreadBudget = 0.08;

    explicit VFramePacer(QObject *parent = nullptr);
    ~VFramePacer() override;

    void request();
    // The clock's present interval between frames, in ns.
    static qint64 frameIntervalNs();

signals:
    void frame();

private:
    friend class VFrameClock;
    bool m_pending = false;
};
