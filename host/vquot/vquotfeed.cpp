#include "vquotfeed.h"

#include "vquotdata.h"

VQuotFeed::VQuotFeed(QObject *parent)
    : QObject(parent)
{
}

VQuotFeed::~VQuotFeed() = default;

void VQuotFeed::attach(VQuotMgr *manager)
{
    m_manager = manager;
}

int VQuotFeed::serverType() const
{
    return vq::QST_Full;
}

VQuotMgr *VQuotFeed::manager() const
{
    return m_manager;
}
