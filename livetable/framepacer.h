#pragma once

#include <QObject>

// Turns any number of requests into at most one frame() per display frame.
// All pacers of the GUI thread share one frame clock, and a frame runs in
// three phases: first the Write pacers (tables take the records that
// arrived and write them into their rows), then the Expire pacers
// (highlights whose time is up end, after the writes that may have lit them
// again), then the Paint pacers (views turn what changed into repaints,
// including what the frame just changed), and the frame ends with the
// window repaints those asked for. A record is thus
// on the screen in the frame after it arrived. A request after a quiet
// spell is served on the next pass of the event loop; requests within a
// frame of the last one wait for the next frame.
//
// The clock keeps live data from taking the GUI thread: frames come 60 a
// second while the frames' own work (writing and painting) stays within
// WorkBudget of one core; when it is heavier, frames come further apart,
// down to MinFramesPerSecond, and speed up again as the work falls. Work
// done per record, outside the frames, is not budgeted.
class FramePacer : public QObject
{
    Q_OBJECT
public:
    enum Phase { Write, Expire, Paint };

    static constexpr qint64 FastestIntervalNs = 1000000000 / 60;
    static constexpr int MinFramesPerSecond = 10;
    static constexpr double WorkBudget = 0.07;

    // The frame clock belongs to the module: it is made on the GUI thread
    // when the module is loaded (or by a pacer's first request; false on
    // another thread, which no pacer may use), and stopped and freed when
    // the module is unloaded, so that no timer of it outlives the module's
    // code. A pacer still waiting then waits no more.
    static bool startClock();
    static void stopClock();
    static bool isClockRunning();

    explicit FramePacer(Phase phase, QObject *parent = nullptr);
    ~FramePacer() override;

    Phase phase() const { return m_phase; }
    void request();
    // The clock's present interval between frames, in ns.
    static qint64 frameIntervalNs();
    // The GUI thread's time on a monotonic clock, in ms. During a frame it
    // is the time the frame began: what the frame does happens at one time,
    // and a frame writing thousands of cells reads the clock once.
    static qint64 nowMs();
    // The clock's time, in ms, during a frame too.
    static qint64 clockMs();

signals:
    void frame();

private:
    friend class FrameClock;
    const Phase m_phase;
    bool m_pending = false;
};
