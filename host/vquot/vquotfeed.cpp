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

VQuotFeed::LinkState VQuotFeed::linkState() const
{
    return m_linkState;
}

QString VQuotFeed::linkDetail() const
{
    return m_linkDetail;
}

void VQuotFeed::setLinkState(LinkState state, const QString &detail)
{
    if (state == m_linkState && detail == m_linkDetail)
        return;
    m_linkState = state;
    m_linkDetail = detail;
    emit linkStateChanged();
}
