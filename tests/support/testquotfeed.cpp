#include "testquotfeed.h"

#include "quotrecord.h"

#include <vquotmgr.h>

bool TestQuotFeed::subscribe(const QStringList &products)
{
    ++subscribeCalls;
    for (const QString &p : products) {
        if (answer)
            manager()->post(makeQuotRecord(p));
    }
    if (refuse)
        return false;
    for (const QString &p : products) {
        if (!wanted.contains(p))
            wanted << p;
    }
    return true;
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
