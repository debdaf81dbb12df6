#pragma once

#include <ihostcontext.h>

#include <QPointer>
#include <QScopedPointer>
#include <QStringList>
#include <QWidget>

class VLocalDb;
class VQuotFeed;
class VSimQuotFeed;
struct SampleTable;
struct VSimInstrument;

// The concrete host context of tarn-host and of the tests: it owns every
// service a module reaches. Services are built from a configuration database
// path and the sample market's source folder, generated for the business
// date; tests replace the quote feed, fill caches by hand and choose the
// business date.
class HostContext : public IHostContext
{
public:
    struct Options
    {
        QString configDbPath; // the local configuration database (created when missing; its folder never is)
        bool configInMemory = false; // work on a copy in memory and leave the file as it is
        QString dataDir; // source folder of the sample market (see SampleSource); empty for no data
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
    // Makes a simulated feed that moves securities as the caches describe
    // them (simInstrument) and hands it to the quote manager, which owns it.
    // The caller starts it.
    VSimQuotFeed *installSimQuotFeed();
    // The simulation parameters of a security of the caches (SimInstruments).
    // False when the caches do not know it.
    bool simInstrument(char market, const QString &code, VSimInstrument &out);
    // The risk-free rate the sample market prices its options with (rate.csv; 0 without one).
    double riskFreeRate() const;
    // Every security of the securities cache as "market|code", in its order.
    QStringList securityKeys() const;
    // What could not be set up, one message per problem, each also logged (the
    // configuration database's by the database itself, in its own words).
    QStringList loadProblems() const;
    // Why this run's settings will not be kept, for the user: names the
    // configuration database and the reason. Empty when they will be, and
    // for a run asked to work on a copy in memory of a file that reads well.
    QString settingsProblem() const;

private:
    void loadData(const QString &dir);
    void installCache(const QString &name, const SampleTable &table, bool sourceRead);
    void problem(const QString &message);

    struct Services;
    QScopedPointer<Services> d;
    QPointer<QWidget> m_mainWindow;
    QStringList m_problems;
};
