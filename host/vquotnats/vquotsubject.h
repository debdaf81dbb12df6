#pragma once

#include "vquotnats_global.h"

#include <QByteArray>

// The bus subject of one security's quotes, "tarn.quot.<market>.<code>".
// Letters, digits, '-' and '_' stand as they are; every other byte of the
// market or the code is written %XX, so a subject never holds a token
// separator, a wildcard or white space, and two securities never share one.
namespace VQuotSubject {

constexpr char Prefix[] = "tarn.quot";

VQUOTNATS_EXPORT QByteArray of(char market, const QByteArray &code);

} // namespace VQuotSubject
