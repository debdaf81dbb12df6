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

QString VQuotFeed::linkStateText(LinkState state)
{
    switch (state) {
    case LinkState::Local: return QStringLiteral("进程内");
    case LinkState::Connecting: return QStringLiteral("正在连接");
    case LinkState::Connected: return QStringLiteral("已连接");
    case LinkState::Reconnecting: return QStringLiteral("连接中断, 正在重连");
    case LinkState::Refused: return QStringLiteral("拒绝登录 (用户名、密码或令牌错误)");
    case LinkState::Closed: return QStringLiteral("已断开");
    }
    return QString();
}

VQuotFeed::LinkState VQuotFeed::linkState() const
{
    return m_linkState;
}

QString VQuotFeed::linkDetail() const
{
    return m_linkDetail;
}

QString VQuotFeed::linkServers() const
{
    return m_linkServers;
}

void VQuotFeed::setLinkServers(const QString &servers)
{
    m_linkServers = servers;
}

void VQuotFeed::setLinkState(LinkState state, const QString &detail)
{
    if (state == m_linkState && detail == m_linkDetail)
        return;
    m_linkState = state;
    m_linkDetail = detail;
    emit linkStateChanged();
}

bool VQuotFeed::isCurrent() const
{
    return m_current;
}

void VQuotFeed::setCurrent(bool current)
{
    if (current == m_current)
        return;
    m_current = current;
    emit currentChanged(current);
}
