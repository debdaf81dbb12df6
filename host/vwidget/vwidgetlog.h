#pragma once

#include <QLoggingCategory>

// The logging category of the widget library's stand-in: "tarn.vwidget".
Q_DECLARE_LOGGING_CATEGORY(lcWidget)
