#include "latestquotes.h"

#include <vquotsubscriber.h>

#include <QObject>

#include <memory>

namespace {

std::unique_ptr<LatestQuotes> s_latest;

} // namespace

void LatestQuotes::start()
{
    if (!s_latest)
        s_latest = std::make_unique<LatestQuotes>();
}

void LatestQuotes::stop()
{
    s_latest.reset();
}

LatestQuotes *LatestQuotes::instance()
{
    return s_latest.get();
}

void LatestQuotes::follow(VQuotSubscriber *subscriber, bool subscribed)
{
    LatestQuotes *latest = instance();
    if (!latest || !subscriber)
        return;
    QVector<SecurityId> ids;
    if (subscribed) {
        for (const QString &key : subscriber->productList()) {
            char market = 0;
            QByteArray code;
            if (VQuotSubscriber::splitProductKey(key, &market, &code))
                ids << SecurityId(market, code.constData(), code.size());
        }
    }
    if (!ids.isEmpty() && !latest->m_watched.contains(subscriber)) {
        latest->m_watched.insert(subscriber);
        // A subscriber deleted while subscribed receives nothing any more.
        QObject::connect(subscriber, &QObject::destroyed, [subscriber] {
            if (LatestQuotes *live = instance()) {
                live->hold(subscriber, {});
                live->m_watched.remove(subscriber);
            }
        });
    }
    latest->hold(subscriber, std::move(ids));
}

void LatestQuotes::hold(const VQuotSubscriber *subscriber, QVector<SecurityId> ids)
{
    for (const SecurityId &id : qAsConst(ids))
        ++m_holders[id];
    for (const SecurityId &id : m_held.value(subscriber)) {
        auto holders = m_holders.find(id);
        if (holders != m_holders.end() && --*holders == 0) {
            m_holders.erase(holders);
            m_records.remove(id);
        }
    }
    if (ids.isEmpty())
        m_held.remove(subscriber);
    else
        m_held.insert(subscriber, std::move(ids));
}

void LatestQuotes::store(const VQuotData &record)
{
    const SecurityId id = SecurityId::of(record);
    if (m_holders.contains(id))
        m_records.insert(id, record);
}

const VQuotData *LatestQuotes::find(const SecurityId &id) const
{
    const auto found = m_records.constFind(id);
    return found != m_records.cend() ? &*found : nullptr;
}
