#pragma once

#include <QLoggingCategory>

// Internal traces of the quote bus.
Q_DECLARE_LOGGING_CATEGORY(lcQuotNats)
