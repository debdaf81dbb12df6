#pragma once

#include <tarn_global.h>

class IModule;

extern "C" {
// Stores hostContext for the whole library (the last call wins) and returns the one module.
TARN_EXPORT IModule *LoadBizModule(IHostContext *hostContext);
// Destroys the module with every component still alive, then forgets the host context.
TARN_EXPORT bool UnloadBizModule();
}
