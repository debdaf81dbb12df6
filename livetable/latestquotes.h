#pragma once

#include "securityid.h"

#include <vquotdata.h>

#include <QHash>

// The latest record of every security the module receives, so that a table
// or panel that starts showing a security the module already receives shows
// it at its next frame (QuotBatch::addLatest) instead of at the security's
// next record, which a quiet security may not send for minutes. Records come
// in as the batches hand them to their frames. The store belongs to the
// loaded module: started when it is loaded, freed when it is unloaded.
class LatestQuotes
{
public:
    static void start();
    static void stop();
    // Null while the module is not loaded.
    static LatestQuotes *instance();

    void store(const VQuotData &record);
    // Null when no record of the security came.
    const VQuotData *find(const SecurityId &id) const;

private:
    QHash<SecurityId, VQuotData> m_records;
};
