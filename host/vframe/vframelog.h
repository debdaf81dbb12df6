#pragma once

#include <QLoggingCategory>

// The logging category of the frame library's stand-in: "tarn.vframe".
Q_DECLARE_LOGGING_CATEGORY(lcFrame)
