#include "vquotorder.h"

void VQuotOrder::track(const QByteArray &subject)
{
    QMutexLocker lock(&m_mutex);
    m_latest.insert(subject, 0);
}

void VQuotOrder::forget(const QByteArray &subject)
{
    QMutexLocker lock(&m_mutex);
    m_latest.remove(subject);
}
