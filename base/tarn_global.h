#pragma once

#include <QtCore/qglobal.h>

// The plug-in exports only its entry points and the classes the host links
// against; everything else keeps hidden visibility.
#define TARN_EXPORT Q_DECL_EXPORT

class IHostContext;

namespace tarn {
// The host context handed to the last LoadBizModule; null before the first
// load and after UnloadBizModule. The only road from the module and its
// components to the host.
IHostContext *hostContext();
// Only the entry points set it.
void setHostContext(IHostContext *context);
} // namespace tarn
