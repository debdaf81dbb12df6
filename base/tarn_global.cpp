#include "tarn_global.h"

namespace {
IHostContext *g_hostContext = nullptr;
} // namespace

IHostContext *tarn::hostContext()
{
    return g_hostContext;
}

void tarn::setHostContext(IHostContext *context)
{
    g_hostContext = context;
}
