#pragma once

#include "vframe_global.h"

#include <QString>

class QWidget;
class VBusiness;
class VCacheMgr;
class VConfig;
class VDataDict;
class VQuotMgr;
class VStockHelper;
class VStyleMgr;

// The host's services, handed to a module at load time. The host owns every
// service; pointers stay valid until the module is unloaded.
class VFRAME_EXPORT IHostContext
{
public:
    virtual ~IHostContext();
    virtual QString hostName() const = 0;
    virtual QWidget *mainWindow() const = 0;

    virtual VConfig *config() = 0;
    virtual VDataDict *dataDict() = 0;
    virtual VCacheMgr *cacheMgr() = 0;
    virtual VBusiness *business() = 0;
    virtual VStyleMgr *styleMgr() = 0;
    virtual VQuotMgr *quotMgr() = 0;
    // The trading account the client is logged in with (empty when offline).
    virtual QString userId() const = 0;
    virtual VStockHelper *stockHelper() = 0;
};
