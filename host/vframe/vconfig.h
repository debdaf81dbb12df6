#pragma once

#include "vframe_global.h"

class VLocalDb;

// The host's configuration: for a module, the local configuration database.
class VFRAME_EXPORT VConfig
{
public:
    explicit VConfig(VLocalDb *localDb = nullptr);
    VLocalDb *cfgLocalDb() const;
    void setCfgLocalDb(VLocalDb *localDb);

private:
    VLocalDb *m_localDb;
};
