#pragma once

#include <vquotfeed.h>

#include <QStringList>

struct VQuotData;

// A feed the test drives: it accepts or refuses subscriptions, counts them,
// and injects records straight into the manager's delivery.
class TestQuotFeed : public VQuotFeed
{
    Q_OBJECT
public:
    using VQuotFeed::VQuotFeed;

    bool subscribe(const QStringList &products) override;
    void unsubscribe(const QStringList &products) override;
    int serverType() const override { return type; }

    void inject(const VQuotData &record);
    // As a feed that connects to a server reports its connection.
    using VQuotFeed::setLinkServers;
    using VQuotFeed::setLinkState;
    using VQuotFeed::setCurrent;

    bool refuse = false;
    bool answer = false; // posts a record of every security asked for, before it accepts or refuses
    int type = 0;
    int subscribeCalls = 0;
    QStringList wanted; // what the feed currently streams
};
