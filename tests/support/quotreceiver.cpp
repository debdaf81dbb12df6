#include "quotreceiver.h"

QuotReceiver::QuotReceiver()
    : m_subscriber(this, QStringLiteral("test"))
{
    m_subscriber.setRecvSlot(this, SLOT(doRecv(VQuotData *)));
}

bool QuotReceiver::subscribe(const QStringList &products)
{
    m_subscriber.clear();
    for (const QString &product : products)
        m_subscriber.addProduct(product.at(0).toLatin1(), product.mid(2));
    return m_subscriber.subscribe();
}

void QuotReceiver::doRecv(VQuotData *record)
{
    prices[record->productKey()] << record->lastPrice;
    latest.insert(record->productKey(), *record);
    if (onRecord)
        onRecord(*record);
}
