#pragma once

#include <QtCore/qglobal.h>

#if defined(VFRAME_LIBRARY)
#define VFRAME_EXPORT Q_DECL_EXPORT
#else
#define VFRAME_EXPORT Q_DECL_IMPORT
#endif
