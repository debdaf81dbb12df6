#pragma once

#include <QLoggingCategory>

// The simulated market's traces: "tarn.market".
Q_DECLARE_LOGGING_CATEGORY(lcMarket)
