#pragma once

#include "vwidget_global.h"

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QObject>

// Turns any number of repaint requests into at most one frame() per display
// frame (60 per second), never later than one frame after the first
// request: a request after a quiet spell is answered on the next pass of
// the event loop, so everything that arrives in the same pass shares one
// frame; requests within a frame of the last one wait for the next frame.
class VWIDGET_EXPORT VFramePacer : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 FrameIntervalNs = 1000000000 / 60;

    explicit VFramePacer(QObject *parent = nullptr);

    void request();

signals:
    void frame();

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    QBasicTimer m_timer;
    QElapsedTimer m_lastFrame;
};
