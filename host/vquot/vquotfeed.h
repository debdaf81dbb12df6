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
    explicit VQuotFeed(QObject *parent = nullptr);
    ~VQuotFeed() override;

    // Called by the manager when it adopts the feed.
    virtual void attach(VQuotMgr *manager);
    // Securities ("market|code") that were wanted by nobody and now are; false refuses them all.
    virtual bool subscribe(const QStringList &products) = 0;
    // Securities that nobody wants any longer.
    virtual void unsubscribe(const QStringList &products) = 0;
    virtual int serverType() const;

protected:
    VQuotMgr *manager() const;

private:
    VQuotMgr *m_manager = nullptr;
};
