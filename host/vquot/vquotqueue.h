#pragma once

#include "vquotdata.h"

#include <QByteArray>
#include <QHashFunctions>
#include <QVector>

#include <unordered_map>
#include <vector>

namespace vq {
// The route key of a record, "market|code", over a caller's buffer: looking a
// record's security up allocates nothing.
QByteArray routeKey(const VQuotData &record, char (&buffer)[sizeof(VQuotData::code) + 2]);
} // namespace vq

// The records waiting for the GUI thread, at most one per security. A newer
// record of a security that is still waiting replaces the older one in
// place: a record is a whole snapshot, so a receiver loses nothing it would
// show, and the queue never holds more records than there are wanted
// securities. Records of securities nobody wants are refused.
//
// Not thread-safe: the quote manager guards it with its post mutex. Its
// storage is the standard library's, all of it in code ThreadSanitizer sees.
class VQuotQueue
{
public:
    enum Result { Queued, Conflated, Unwanted };

    // The security "market|code" now has subscribers, or no longer has any
    // (a record of it still waiting is discarded).
    void want(const QByteArray &key);
    void unwant(const QByteArray &key);

    Result push(const VQuotData &record);
    // Hands the waiting records over in the order their securities first
    // arrived; batch's old storage becomes the queue's next buffer.
    void take(std::vector<VQuotData> &batch);
    int size() const { return int(m_records.size()); }

private:
    struct KeyHash
    {
        size_t operator()(const QByteArray &key) const { return qHash(key); }
    };
    // Per wanted security the position of its waiting record, -1 when none.
    // Node-based, so the pointers in m_positions stay valid while other
    // securities come and go.
    std::unordered_map<QByteArray, int, KeyHash> m_wanted;
    std::vector<VQuotData> m_records;
    std::vector<int *> m_positions; // beside m_records: the m_wanted entry of each record
};
