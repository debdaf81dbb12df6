#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QTimer;
class VNatsQuotPublisher;

// Keeps the bus's quote stream holding the latest record of every security
// tarn-feed publishes. After every (re)connection it makes the stream or
// brings it to this program's configuration; then, and every CheckMs while
// connected, it asks the bus for the stream: where the stream is gone it is
// made again; where it is made again, or holds fewer securities than were
// published by the check before (emptied by a restart of the whole cluster,
// purged), every security's latest record goes out once more, so a client
// that starts wanting a quiet security finds its record. A bus that gives no
// answer (a cluster still electing its leader) is asked again at the next
// check. What it finds is said once per change.
class StreamKeeper : public QObject
{
    Q_OBJECT
public:
    static constexpr int CheckMs = 1000;
    static constexpr int AnswerWaitMs = 500;

    using Say = std::function<void(const QString &text)>;
    StreamKeeper(VNatsQuotPublisher *publisher, Say say, QObject *parent = nullptr);

    // After every (re)connection: brings the stream to this program's
    // configuration (or makes it), then checks.
    void connected();
    // Checks now; the publisher's link is connected (or the check waits for it).
    void check();

private:
    enum class Finding { None, Kept, Unanswered, Refused };
    void tell(Finding finding, const QString &text);

    VNatsQuotPublisher *m_publisher;
    Say m_say;
    QTimer *m_timer; // a child
    int m_published = 0; // securities published by the check before
    bool m_configured = false; // on this connection
    Finding m_said = Finding::None;
};
