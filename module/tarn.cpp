#include "tarn.h"

#include "module_helper.h"

IModule *LoadBizModule(IHostContext *hostContext)
{
    tarn::setHostContext(hostContext);
    return GetModule();
}

bool UnloadBizModule()
{
    // Components are destroyed while the host context is still reachable.
    DestroyModule();
    tarn::setHostContext(nullptr);
    return true;
}
