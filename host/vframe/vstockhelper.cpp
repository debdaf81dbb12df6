#include "vstockhelper.h"

VStockHelper::~VStockHelper() = default;
