#pragma once

#include "securityid.h"

#include <vquotdata.h>

#include <QObject>

#include <vector>

class FramePacer;

// Holds the latest record of each security until the next frame's Write
// phase (FramePacer), then says so: a table showing a security quoted many
// times a frame writes it once, and what it writes is the newest record.
// The records a frame takes are the module's latest (LatestQuotes).
// Adding a record is a probe into a flat table and a copy; nothing is
// allocated once the batch has held a frame's worth of securities, and
// starting a new frame clears nothing.
class QuotBatch : public QObject
{
    Q_OBJECT
public:
    explicit QuotBatch(QObject *parent = nullptr);
    ~QuotBatch() override;

    // Replaces the waiting record of the same security.
    void add(const VQuotData &record);
    // The module's latest record of the security (LatestQuotes), unless a
    // record of it waits already: a security newly shown shows at the next
    // frame what the module last received of it.
    void addLatest(const SecurityId &id);
    // The waiting records, each security once, in the order each first
    // came; the batch starts again empty. Valid until the next take().
    const std::vector<VQuotData> &take();
    void clear();
    bool isEmpty() const { return m_records.empty(); }

signals:
    // At the frame after records were added.
    void ready();

private:
    struct Slot
    {
        quint32 generation = 0; // the slot is taken in this generation only
        quint32 record = 0;
    };

    void grow();
    // Where the security's record is, or the free slot for it.
    Slot &slotOf(const SecurityId &id);

    FramePacer *m_pacer;
    std::vector<VQuotData> m_records;
    std::vector<VQuotData> m_taken;
    std::vector<SecurityId> m_ids; // of m_records
    std::vector<Slot> m_slots; // open addressing, a power of two long
    quint32 m_generation = 1;
};
