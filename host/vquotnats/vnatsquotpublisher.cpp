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

bool VNatsQuotPublisher::publish(const VQuotData &record)
{
    char frame[VQuotFrame::Size];
    VQuotFrame::encode(record, ++m_sequence, frame);
    return natsConnection_Publish(m_link.connection(), VQuotSubject::of(record.market, record.codeText()).constData(),
                                  frame, VQuotFrame::Size)
        == NATS_OK;
}

bool VNatsQuotPublisher::publish(const QByteArray &subject, const QByteArray &frame)
{
    return natsConnection_Publish(m_link.connection(), subject.constData(), frame.constData(), frame.size()) == NATS_OK;
}

bool VNatsQuotPublisher::flush(int timeoutMs)
{
    return natsConnection_FlushTimeout(m_link.connection(), timeoutMs) == NATS_OK;
}
