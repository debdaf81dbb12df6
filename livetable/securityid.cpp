#include "securityid.h"

#include <vquotdata.h>

SecurityId::SecurityId(char market, const char *code, int size)
{
    if (size <= 0 || size > MaxCodeBytes)
        return;
    m_market = market;
    m_size = quint8(size);
    std::memcpy(m_code, code, size_t(size));
}

SecurityId SecurityId::of(const VQuotData &record)
{
    return SecurityId(record.market, record.code, int(qstrnlen(record.code, sizeof record.code)));
}

SecurityId SecurityId::of(const QString &market, const QString &code)
{
    const QByteArray marketBytes = market.toUtf8();
    const QByteArray codeBytes = code.toUtf8();
    return SecurityId(marketBytes.isEmpty() ? '\0' : marketBytes.at(0), codeBytes.constData(), codeBytes.size());
}

QString SecurityId::marketText() const
{
    return m_market ? QString::fromUtf8(&m_market, 1) : QString();
}

QString SecurityId::codeText() const
{
    return QString::fromUtf8(m_code, m_size);
}

QString SecurityId::productKey() const
{
    return marketText() + QLatin1Char('|') + codeText();
}
