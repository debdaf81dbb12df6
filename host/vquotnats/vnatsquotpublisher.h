#pragma once

#include "vnatslink.h"
#include "vquotnats_global.h"

#include <vquotdata.h>

#include <QByteArray>
#include <QHash>

#include <atomic>
#include <mutex>

// Publishes quote records on the bus, each as a frame (VQuotFrame) on its
// security's subject (VQuotSubject), numbered by a publish sequence that
// starts at the wall clock's nanoseconds when the publisher opens and grows
// by one a frame: records of one security are ordered by it, and a
// restarted publisher goes on above what it published before. The
// connection buffers what is published and sends it in large writes. The
// publisher keeps the latest record of every security it published, to
// publish them all again where the bus lost them.
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
    // Any thread: the securities published, and their latest records
    // published again (numbered anew); how many.
    int latestCount() const;
    int republishLatest();
    // Sends what is buffered and waits up to timeoutMs for the server to
    // have it; false when it does not answer in time.
    bool flush(int timeoutMs);

private:
    bool send(const VQuotData &record);

    VNatsLink m_link;
    std::atomic<quint64> m_sequence {0};
    mutable std::mutex m_latestMutex;
    QHash<QByteArray, VQuotData> m_latest; // by subject
};
