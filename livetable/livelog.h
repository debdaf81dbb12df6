#pragma once

#include <QLoggingCategory>

// The live-table layer's traces: "tarn.live".
Q_DECLARE_LOGGING_CATEGORY(lcLive)
