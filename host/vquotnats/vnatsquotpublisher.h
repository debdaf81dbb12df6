#pragma once

#include "vnatslink.h"
#include "vquotnats_global.h"

#include <QByteArray>

#include <atomic>

struct VQuotData;

// Publishes quote records on the bus, each as a frame (VQuotFrame) on its
// security's subject (VQuotSubject), numbered by a publish sequence that
// starts at the wall clock's nanoseconds when the publisher opens and grows
// by one a frame: records of one security are ordered by it, and a
// restarted publisher goes on above what it published before. The
// connection buffers what is published and sends it in large writes.
class VQUOTNATS_EXPORT VNatsQuotPublisher
{
public:
    // Starts connecting; false with error set when the settings are unusable.
    bool open(const VNatsSettings &settings, QString *error);
    VNatsLink &link() { return m_link; }

    // Any thread; the sequence follows the order of the calls. False when
    // the connection is closed.
    bool publish(const VQuotData &record);
    // Any thread: bytes as they are, for crafted frames.
    bool publish(const QByteArray &subject, const QByteArray &frame);
    // Sends what is buffered and waits up to timeoutMs for the server to
    // have it; false when it does not answer in time.
    bool flush(int timeoutMs);

private:
    VNatsLink m_link;
    std::atomic<quint64> m_sequence {0};
};
