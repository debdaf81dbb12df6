#include "tarn.h"

#include "module_helper.h"

namespace {
IHostContext *g_hostContext = nullptr;
} // namespace

IHostContext *tarn::hostContext()
{
    return g_hostContext;
}

IModule *LoadBizModule(IHostContext *hostContext)
{
    g_hostContext = hostContext;
    return GetModule();
}

bool UnloadBizModule()
{
    // Components are destroyed while the host context is still reachable.
    DestroyModule();
    g_hostContext = nullptr;
    return true;
}
