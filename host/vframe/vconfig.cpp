#include "vconfig.h"

VConfig::VConfig(VLocalDb *localDb)
    : m_localDb(localDb)
{
}

VLocalDb *VConfig::cfgLocalDb() const
{
    return m_localDb;
}

void VConfig::setCfgLocalDb(VLocalDb *localDb)
{
    m_localDb = localDb;
}
