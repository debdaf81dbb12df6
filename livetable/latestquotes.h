#pragma once

#include "securityid.h"

#include <vquotdata.h>

#include <QHash>
#include <QSet>
#include <QVector>

class VQuotSubscriber;

// The latest record of every security the module receives, so that a table
// or panel that starts showing a security the module already receives shows
// it at its next frame (QuotBatch::addLatest) instead of at the security's
// next record, which a quiet security may not send for minutes. Records come
// in as the batches hand them to their frames. Which securities the module
// receives, the components tell through follow() after each subscription
// change; a security no subscriber receives any longer is forgotten, since
// its record would be stale by the time a component shows it again. The
// store belongs to the loaded module: started when it is loaded, freed when
// it is unloaded.
class LatestQuotes
{
public:
    static void start();
    static void stop();
    // Null while the module is not loaded.
    static LatestQuotes *instance();

    // What subscriber receives from now on: its product list once
    // subscribed, nothing once unsubscribed or destroyed. Nothing while no
    // module is loaded.
    static void follow(VQuotSubscriber *subscriber, bool subscribed);

    // Kept while some subscriber receives the security.
    void store(const VQuotData &record);
    // Null when no record of the security came since a subscriber started receiving it.
    const VQuotData *find(const SecurityId &id) const;

private:
    void hold(const VQuotSubscriber *subscriber, QVector<SecurityId> ids);

    QHash<SecurityId, VQuotData> m_records;
    QHash<SecurityId, int> m_holders; // subscribers receiving each security
    QHash<const VQuotSubscriber *, QVector<SecurityId>> m_held;
    QSet<const VQuotSubscriber *> m_watched; // told of their destruction
};
