#pragma once

#include "vwidget_global.h"

#include <vquotdata.h>

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QVector>

class VFramePacer;

// Holds the latest record of each security until the next display frame
// (VFramePacer), then says so: a table showing a security quoted many times
// a frame writes it once, and what it writes is the newest record.
class VWIDGET_EXPORT VQuotBatch : public QObject
{
    Q_OBJECT
public:
    explicit VQuotBatch(QObject *parent = nullptr);

    // Replaces the waiting record of the same market and code.
    void add(const VQuotData &record);
    // The waiting records, each security once, in the order each first
    // came; the batch is empty afterwards.
    QVector<VQuotData> take();
    void clear();

signals:
    // At the frame after records were added.
    void ready();

private:
    VFramePacer *m_pacer;
    QVector<VQuotData> m_records;
    QHash<QByteArray, int> m_positions; // market byte and code → index in m_records
};
