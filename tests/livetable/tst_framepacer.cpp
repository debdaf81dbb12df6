#include <framepacer.h>

#include <QElapsedTimer>
#include <QtTest>

class FramePacerTest : public QObject
{
    Q_OBJECT

private slots:
    // Frames that keep the thread busy come further apart, down to the
    // slowest rate; once they are light again the clock is back at 60 a
    // second.
    void busyFramesComeFurtherApart()
    {
        FramePacer pacer(FramePacer::Write);
        int busyMs = 20;
        connect(&pacer, &FramePacer::frame, this, [&] {
            QElapsedTimer busy;
            busy.start();
            while (busy.elapsed() < busyMs) {
            }
            pacer.request();
        });
        pacer.request();
        QTRY_COMPARE_WITH_TIMEOUT(FramePacer::frameIntervalNs(), 1000000000 / FramePacer::MinFramesPerSecond, 5000);
        busyMs = 0;
        QTRY_COMPARE_WITH_TIMEOUT(FramePacer::frameIntervalNs(), FramePacer::FastestIntervalNs, 5000);
    }
};

QTEST_MAIN(FramePacerTest)
#include "tst_framepacer.moc"
