#include "testquotfeed.h"

#include "quotrecord.h"

#include <vquotmgr.h>

bool TestQuotFeed::subscribe(const QStringList &products)
{
    ++subscribeCalls;
    for (const QString &p : products) {
        if (answer)
            manager()->post(makeQuotRecord(p));
        if (!refuse && !wanted.contains(p))
            wanted << p;
    }
    return !refuse;
}

void TestQuotFeed::unsubscribe(const QStringList &products)
{
    for (const QString &p : products)
        wanted.removeAll(p);
}

void TestQuotFeed::inject(const VQuotData &record)
{
    manager()->deliver(record);
}
