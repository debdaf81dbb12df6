#include "vstocksource.h"

VStockSource::~VStockSource() = default;
