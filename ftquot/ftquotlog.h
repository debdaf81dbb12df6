#pragma once

#include <voutput.h>

#include <QString>

// A record of the futures board's log: level 0 an event, 3 a failure.
inline void ftQuotLog(int level, int line, const QString &message)
{
    VOutput(level, QStringLiteral("bcftquotpanel"), line, QString(), message);
}
