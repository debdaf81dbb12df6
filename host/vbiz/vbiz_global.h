#pragma once

#include <QtCore/qglobal.h>

#if defined(VBIZ_LIBRARY)
#define VBIZ_EXPORT Q_DECL_EXPORT
#else
#define VBIZ_EXPORT Q_DECL_IMPORT
#endif
