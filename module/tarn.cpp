#include "tarn.h"

#include "module_helper.h"

#include <framepacer.h>
#include <latestquotes.h>

IModule *LoadBizModule(IHostContext *hostContext)
{
    tarn::setHostContext(hostContext);
    // The live tables' frame clock and latest records belong to the loaded module.
    FramePacer::startClock();
    LatestQuotes::start();
    return GetModule();
}

bool UnloadBizModule()
{
    // Components are destroyed while the host context is still reachable,
    // the live tables' clock and records once no component uses them.
    DestroyModule();
    LatestQuotes::stop();
    FramePacer::stopClock();
    tarn::setHostContext(nullptr);
    return true;
}
