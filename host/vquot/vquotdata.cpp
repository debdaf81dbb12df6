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
    // Built in place: this runs for every record of every table.
    const int length = int(qstrnlen(code, sizeof code));
    QString key;
    key.reserve(2 + length);
    key += QLatin1Char(market);
    key += QLatin1Char('|');
    key += QString::fromUtf8(code, length);
    return key;
}
