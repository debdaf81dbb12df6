#pragma once

#include <QtCore/qglobal.h>

#if defined(VQUOTNATS_LIBRARY)
#define VQUOTNATS_EXPORT Q_DECL_EXPORT
#else
#define VQUOTNATS_EXPORT Q_DECL_IMPORT
#endif
