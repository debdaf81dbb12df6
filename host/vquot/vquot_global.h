#pragma once

#include <QtCore/qglobal.h>

#if defined(VQUOT_LIBRARY)
#define VQUOT_EXPORT Q_DECL_EXPORT
#else
#define VQUOT_EXPORT Q_DECL_IMPORT
#endif
