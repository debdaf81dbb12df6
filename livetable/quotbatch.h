#pragma once

#include "securityid.h"

#include <vquotdata.h>

#include <QHash>
#include <QObject>
#include <QVector>

class FramePacer;

// Holds the latest record of each security until the next frame's Write
// phase (FramePacer), then says so: a table showing a security quoted many
// times a frame writes it once, and what it writes is the newest record.
// Adding a record costs a hash look-up and a copy, nothing that grows with
// the table.
class QuotBatch : public QObject
{
    Q_OBJECT
public:
    explicit QuotBatch(QObject *parent = nullptr);

    // Replaces the waiting record of the same security.
    void add(const VQuotData &record);
    // The waiting records, each security once, in the order each first
    // came; the batch is empty afterwards.
    QVector<VQuotData> take();
    void clear();
    bool isEmpty() const { return m_records.isEmpty(); }

signals:
    // At the frame after records were added.
    void ready();

private:
    FramePacer *m_pacer;
    QVector<VQuotData> m_records;
    QHash<SecurityId, int> m_positions; // → index in m_records
};
