#pragma once

#include <voutput.h>

#include <QString>

// A failure record of the option board's log.
inline void stoQuotLog(int line, const QString &message)
{
    VOutput(3, QStringLiteral("bcstoquot"), line, QString(), message);
}
