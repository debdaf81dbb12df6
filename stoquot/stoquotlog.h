#pragma once

#include <voutput.h>

#include <QLoggingCategory>
#include <QString>

// The option board's traces: "tarn.stoquot".
Q_DECLARE_LOGGING_CATEGORY(lcStoQuot)

// A failure record of the option board's log.
inline void stoQuotLog(int line, const QString &message)
{
    VOutput(3, QStringLiteral("bcstoquot"), line, QString(), message);
}
