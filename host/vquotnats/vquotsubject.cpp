#include "vquotsubject.h"

namespace VQuotSubject {

namespace {

QByteArray token(const QByteArray &text)
{
    // '.' and '~' are unreserved in percent-encoding; here they must be escaped too.
    return text.toPercentEncoding(QByteArray(), QByteArrayLiteral(".~"));
}

} // namespace

QByteArray of(char market, const QByteArray &code)
{
    return QByteArray(Prefix) + '.' + token(QByteArray(1, market)) + '.' + token(code);
}

} // namespace VQuotSubject
