#pragma once

#include <voutput.h>

#include <QLoggingCategory>
#include <QString>

// The futures board's traces: "tarn.ftquot".
Q_DECLARE_LOGGING_CATEGORY(lcFtQuot)

// A record of the futures board's log: level 0 an event, 3 a failure.
inline void ftQuotLog(int level, int line, const QString &message)
{
    VOutput(level, QStringLiteral("bcftquotpanel"), line, QString(), message);
}
