#pragma once

#include "vlog_global.h"

#include <QString>

// Writes one log record to every installed sink. Level 0 marks a normal
// event, 3 a failure; 1 and 2 are informational and warning records.
// Safe to call from any thread.
VLOG_EXPORT void VOutput(int level, const QString &file, int line, const QString &function, const QString &message);
