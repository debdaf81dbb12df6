#pragma once

#include <QtCore/qglobal.h>

#if defined(VWIDGET_LIBRARY)
#define VWIDGET_EXPORT Q_DECL_EXPORT
#else
#define VWIDGET_EXPORT Q_DECL_IMPORT
#endif
