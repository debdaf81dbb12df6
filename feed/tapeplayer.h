#pragma once

#include <vquotrejects.h>
#include <vquottape.h>

#include <QThread>

#include <atomic>

class VNatsQuotPublisher;

// Publishes a recording on its own thread at the recorded pace times a
// speed factor. The recording is as untrusted as the bus: a frame that does
// not decode is skipped, counted and logged by episode.
class TapePlayer : public QThread
{
    Q_OBJECT
public:
    TapePlayer(VQuotTapeReader *tape, VNatsQuotPublisher *publisher, double speed, QObject *parent = nullptr);
    ~TapePlayer() override;

    void requestStop();
    quint64 playedCount() const;
    const VQuotRejects &rejects() const;

protected:
    void run() override;

private:
    // Sleeps until the clock reaches nanoseconds; false when asked to stop meanwhile.
    bool waitUntil(const QElapsedTimer &clock, qint64 nanoseconds);

    VQuotTapeReader *m_tape;
    VNatsQuotPublisher *m_publisher;
    double m_speed;
    std::atomic<bool> m_stop {false};
    std::atomic<quint64> m_played {0};
    VQuotRejects m_rejects;
};
