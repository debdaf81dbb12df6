#include "testquotfeed.h"

#include <vquotdata.h>
#include <vquotmgr.h>

bool TestQuotFeed::subscribe(const QStringList &products)
{
    ++subscribeCalls;
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
    ++unsubscribeCalls;
    for (const QString &p : products)
        wanted.removeAll(p);
}

int TestQuotFeed::serverType() const
{
    return type;
}

void TestQuotFeed::inject(const VQuotData &record)
{
    manager()->deliver(record);
}
