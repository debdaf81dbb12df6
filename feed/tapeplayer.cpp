#include "tapeplayer.h"

#include <vnatsquotpublisher.h>
#include <vthreadwake.h>

#include <chrono>

namespace {

// The player sleeps only when it is this far ahead of the recording, so
// records close together go out in one burst rather than one sleep each.
constexpr qint64 MinSleepNs = 1000000;
// The longest single sleep, so a stop is noticed soon.
constexpr qint64 MaxSleepNs = 100000000;

} // namespace

TapePlayer::TapePlayer(VQuotTapeReader *tape, VNatsQuotPublisher *publisher, double speed, QObject *parent)
    : QObject(parent)
    , m_tape(tape)
    , m_publisher(publisher)
    , m_speed(speed)
    , m_done(new VThreadWake(this))
{
    connect(m_done, &VThreadWake::woken, this, [this] {
        stop();
        m_finished = true;
        emit finished();
    });
}

TapePlayer::~TapePlayer()
{
    stop();
}

void TapePlayer::start()
{
    if (isStarted())
        return;
    m_thread = std::thread([this] {
        run();
        m_done->wake();
    });
}

void TapePlayer::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

quint64 TapePlayer::playedCount() const
{
    return m_played;
}

const VQuotRejects &TapePlayer::rejects() const
{
    return m_rejects;
}

void TapePlayer::run()
{
    QElapsedTimer clock;
    clock.start();
    qint64 stamp = 0;
    QByteArray frame;
    while (!m_stop && m_tape->next(&stamp, &frame)) {
        VQuotData record;
        QString detail;
        const VQuotFrame::Defect defect = VQuotFrame::decode(frame.constData(), size_t(frame.size()), record, &detail);
        if (defect != VQuotFrame::Defect::None) {
            m_rejects.reject(defect, "--replay", detail);
            continue;
        }
        if (!waitUntil(clock, qint64(double(qMax<qint64>(stamp, 0)) / m_speed)))
            return;
        m_publisher->publish(record);
        ++m_played;
    }
}

bool TapePlayer::waitUntil(const QElapsedTimer &clock, qint64 nanoseconds)
{
    for (qint64 ahead = nanoseconds - clock.nsecsElapsed(); ahead > MinSleepNs;
         ahead = nanoseconds - clock.nsecsElapsed()) {
        if (m_stop)
            return false;
        std::this_thread::sleep_for(std::chrono::nanoseconds(qMin(ahead, MaxSleepNs)));
    }
    return !m_stop;
}
