#pragma once

#include <QLoggingCategory>

// Internal traces of the quote service.
Q_DECLARE_LOGGING_CATEGORY(lcQuot)
