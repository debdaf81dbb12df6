#include "ihostcontext.h"

IHostContext::~IHostContext() = default;
