#include "vquotorder.h"

void VQuotOrder::track(const QByteArray &subject)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_latest.insert(subject, 0);
}

void VQuotOrder::forget(const QByteArray &subject)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_latest.remove(subject);
}
