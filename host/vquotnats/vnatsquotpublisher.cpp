#include "vnatsquotpublisher.h"

#include "vquotframe.h"
#include "vquotsubject.h"

#include <QDateTime>

#include <nats/nats.h>

bool VNatsQuotPublisher::open(const VNatsSettings &settings, QString *error)
{
    m_sequence = quint64(QDateTime::currentMSecsSinceEpoch()) * 1000000;
    return m_link.open(settings, error);
}

// The latest records and the sequence move together under one lock: a
// record published again is never numbered above a newer one of its security.
bool VNatsQuotPublisher::publish(const VQuotData &record)
{
    std::lock_guard<std::mutex> lock(m_latestMutex);
    m_latest.insert(VQuotSubject::of(record.market, record.codeText()), record);
    return send(record);
}

bool VNatsQuotPublisher::send(const VQuotData &record)
{
    char frame[VQuotFrame::Size];
    VQuotFrame::encode(record, ++m_sequence, frame);
    return natsConnection_Publish(m_link.connection(), VQuotSubject::of(record.market, record.codeText()).constData(),
                                  frame, VQuotFrame::Size)
        == NATS_OK;
}

int VNatsQuotPublisher::latestCount() const
{
    std::lock_guard<std::mutex> lock(m_latestMutex);
    return m_latest.size();
}

int VNatsQuotPublisher::republishLatest()
{
    std::lock_guard<std::mutex> lock(m_latestMutex);
    int sent = 0;
    for (const VQuotData &record : qAsConst(m_latest))
        sent += send(record) ? 1 : 0;
    return sent;
}

bool VNatsQuotPublisher::publish(const QByteArray &subject, const QByteArray &frame)
{
    return natsConnection_Publish(m_link.connection(), subject.constData(), frame.constData(), frame.size()) == NATS_OK;
}

bool VNatsQuotPublisher::flush(int timeoutMs)
{
    return natsConnection_FlushTimeout(m_link.connection(), timeoutMs) == NATS_OK;
}
