#pragma once

#include <ihostcontext.h>

#include <QPointer>
#include <QScopedPointer>
#include <QStringList>
#include <QWidget>

class VLocalDb;
class VQuotFeed;

// The concrete host context of tarn-host and of the tests: it owns every
// service a module reaches. Services are built from a configuration database
// path and a data folder; tests replace the quote feed, fill caches by hand
// and choose the business date.
class HostContext : public IHostContext
{
public:
    struct Options
    {
        QString configDbPath; // the local configuration database (created when missing)
        QString dataDir; // reference data; empty for none
        int sysDate = 0; // business date yyyymmdd; 0 for today
    };

    explicit HostContext(const Options &options);
    ~HostContext() override;

    QString hostName() const override;
    QWidget *mainWindow() const override;
    VConfig *config() override;
    VDataDict *dataDict() override;
    VCacheMgr *cacheMgr() override;
    VBusiness *business() override;
    VStyleMgr *styleMgr() override;
    VQuotMgr *quotMgr() override;
    QString userId() const override;
    VStockHelper *stockHelper() override;

    void setMainWindow(QWidget *window);
    VLocalDb *localDb() const;
    // Takes ownership; replaces the feed the quote manager reads from.
    void setQuotFeed(VQuotFeed *feed);
    // What could not be loaded from the data folder, one message per problem.
    QStringList loadProblems() const;

private:
    void loadData(const QString &dir);

    struct Services;
    QScopedPointer<Services> d;
    QPointer<QWidget> m_mainWindow;
    QStringList m_problems;
};
