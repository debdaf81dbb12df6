#pragma once

#include "vquot_global.h"

#include <QObject>
#include <QStringList>

struct VQuotData;
class VQuotMgr;

// Where the quote manager's records come from: a server connection, a
// simulator, a test. The manager tells the feed which securities anyone
// wants; the feed hands records to the manager with VQuotMgr::post (any
// thread) or VQuotMgr::deliver (GUI thread).
class VQUOT_EXPORT VQuotFeed : public QObject
{
    Q_OBJECT
public:
    // How the feed reaches its source. A feed inside the process is Local;
    // one that connects to a server goes between the others.
    enum class LinkState {
        Local,
        Connecting,
        Connected,
        Reconnecting, // the connection was lost; the feed reconnects on its own
        Refused, // the server refused the credentials; the feed gives up
        Closed, // the feed gave up for another reason
    };
    Q_ENUM(LinkState)

    explicit VQuotFeed(QObject *parent = nullptr);
    ~VQuotFeed() override;

    // Called by the manager when it adopts the feed.
    virtual void attach(VQuotMgr *manager);
    // Securities ("market|code") that were wanted by nobody and now are; false refuses them all.
    virtual bool subscribe(const QStringList &products) = 0;
    // Securities that nobody wants any longer.
    virtual void unsubscribe(const QStringList &products) = 0;
    virtual int serverType() const;

    // The state in words, for the user and the log.
    static QString linkStateText(LinkState state);
    LinkState linkState() const;
    // The source's address and, when it is not connected, why; never credentials.
    QString linkDetail() const;
    // Every server the feed may reach its source through, as they may be
    // shown; empty for a source inside the process.
    QString linkServers() const;
    // Whether what the feed delivered is current: its link is up and the
    // latest records asked for after the last (re)connection have arrived.
    // A feed inside the process always is.
    bool isCurrent() const;

signals:
    void linkStateChanged();
    void currentChanged(bool current);

protected:
    VQuotMgr *manager() const;
    void setLinkState(LinkState state, const QString &detail);
    void setLinkServers(const QString &servers);
    void setCurrent(bool current);

private:
    VQuotMgr *m_manager = nullptr;
    LinkState m_linkState = LinkState::Local;
    QString m_linkDetail;
    QString m_linkServers;
    bool m_current = true;
};
