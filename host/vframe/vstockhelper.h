#pragma once

#include "vframe_global.h"

class VStockEdit;

// Attaches the host's security look-up to security entry widgets.
class VFRAME_EXPORT VStockHelper
{
public:
    virtual ~VStockHelper();
    virtual void connectStockEdit(VStockEdit *edit) = 0;
};
