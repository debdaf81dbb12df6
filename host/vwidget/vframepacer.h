#pragma once

#include "vwidget_global.h"

#include <QObject>

// Turns any number of repaint requests into at most one frame() per display
// frame (60 per second), never later than one frame after the first
// request: a request after a quiet spell is answered on the next pass of
// the event loop, so everything that arrives in the same pass shares one
// frame; requests within a frame of the last one wait for the next frame.
// All pacers of the GUI thread share one frame clock: their frames come in
// the same pass of the event loop, so a window showing several paced
// widgets is flushed once per frame, not once per widget.
class VWIDGET_EXPORT VFramePacer : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 FrameIntervalNs = 1000000000 / 60;

    explicit VFramePacer(QObject *parent = nullptr);
    ~VFramePacer() override;

    void request();

signals:
    void frame();

private:
    friend class VFrameClock;
    bool m_pending = false;
};
