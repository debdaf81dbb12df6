#pragma once

#include <QLoggingCategory>

// The watchlist's traces: "tarn.optionalstk".
Q_DECLARE_LOGGING_CATEGORY(lcOptionalStk)
