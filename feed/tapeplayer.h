#pragma once

#include <vquotrejects.h>
#include <vquottape.h>

#include <QElapsedTimer>
#include <QObject>

#include <atomic>
#include <thread>

class VNatsQuotPublisher;
class VThreadWake;

// Publishes a recording on its own thread at the recorded pace times a
// speed factor. The recording is as untrusted as the bus: a frame that does
// not decode is skipped, counted and logged by episode.
class TapePlayer : public QObject
{
    Q_OBJECT
public:
    TapePlayer(VQuotTapeReader *tape, VNatsQuotPublisher *publisher, double speed, QObject *parent = nullptr);
    ~TapePlayer() override;

    void start();
    // Stops the playing and waits for its thread to end.
    void stop();
    bool isStarted() const { return m_thread.joinable() || m_finished; }
    quint64 playedCount() const;
    const VQuotRejects &rejects() const;

signals:
    // The recording is played out, on the player's owner's thread.
    void finished();

private:
    void run();
    // Sleeps until the clock reaches nanoseconds; false when asked to stop meanwhile.
    bool waitUntil(const QElapsedTimer &clock, qint64 nanoseconds);

    VQuotTapeReader *m_tape;
    VNatsQuotPublisher *m_publisher;
    double m_speed;
    std::atomic<bool> m_stop {false};
    std::atomic<quint64> m_played {0};
    VQuotRejects m_rejects;
    VThreadWake *m_done; // a child: the playing thread tells its end
    bool m_finished = false;
    std::thread m_thread;
};
