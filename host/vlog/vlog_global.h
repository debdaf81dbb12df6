#pragma once

#include <QtCore/qglobal.h>

#if defined(VLOG_LIBRARY)
#define VLOG_EXPORT Q_DECL_EXPORT
#else
#define VLOG_EXPORT Q_DECL_IMPORT
#endif
