#pragma once

#include "vquotnats_global.h"

#include <QByteArray>
#include <QHash>
#include <mutex>

// Keeps each security's records from going backwards when they come by two
// roads, the live subject and the stream's latest record, and after a
// failover from servers that may lag: per wanted subject the highest publish
// sequence handed on. A record at or below it is older than what the client
// has (an image that a live record overtook) and is left out. Version-1
// records (sequence 0) carry no order and always pass. Any thread.
class VQUOTNATS_EXPORT VQuotOrder
{
public:
    // The subject is wanted from now on, with no record yet.
    void track(const QByteArray &subject);
    void forget(const QByteArray &subject);

    // Calls pass() when the subject is wanted and sequence is newer than
    // anything passed on before, under one lock with the check, so records
    // leave in sequence order whichever thread brings them. False when the
    // record was left out.
    template<typename Pass> bool admit(const char *subject, quint64 sequence, Pass pass)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto latest = m_latest.find(QByteArray::fromRawData(subject, int(qstrlen(subject))));
        if (latest == m_latest.end() || (sequence != 0 && sequence <= *latest))
            return false;
        if (sequence != 0)
            *latest = sequence;
        pass();
        return true;
    }

private:
    std::mutex m_mutex;
    QHash<QByteArray, quint64> m_latest;
};
