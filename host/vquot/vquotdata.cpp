#include "vquotdata.h"

#include <cstring>

QByteArray VQuotData::codeText() const
{
    return QByteArray(code, int(qstrnlen(code, sizeof code)));
}

bool VQuotData::isCodeTerminated() const
{
    return std::memchr(code, 0, sizeof code) != nullptr;
}

void VQuotData::setCode(const QByteArray &text)
{
    const size_t length = qMin(size_t(text.size()), sizeof code - 1);
    std::memcpy(code, text.constData(), length);
    std::memset(code + length, 0, sizeof code - length);
}

QString VQuotData::productKey() const
{
    return QString(QLatin1Char(market)) + QLatin1Char('|') + QString::fromUtf8(codeText());
}
