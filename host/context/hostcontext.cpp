#include "hostcontext.h"

#include "hoststockhelper.h"
#include "samplemarket.h"
#include "siminstruments.h"

#include <vbusiness.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vconfig.h>
#include <vdatadict.h>
#include <vlocaldb.h>
#include <voutput.h>
#include <vquotmgr.h>
#include <vquotsubscriber.h>
#include <vsimquotfeed.h>
#include <vstockhelper.h>
#include <vstylemgr.h>

#include <QDate>

struct HostContext::Services
{
    Services(const QString &dbPath, VLocalDb::Mode dbMode)
        : localDb(dbPath, dbMode)
        , config(&localDb)
        , stockHelper(&cacheMgr, &dataDict)
    {
    }

    VLocalDb localDb;
    VConfig config;
    VDataDict dataDict;
    VCacheMgr cacheMgr;
    VBusiness business;
    VStyleMgr styleMgr;
    VQuotMgr quotMgr;
    HostStockHelper stockHelper;
    SampleOptionModel optionModel;
    MarketLiquidity liquidity;
};

HostContext::HostContext(const Options &options)
{
    d.reset(new Services(options.configDbPath,
                         options.configInMemory ? VLocalDb::Mode::InMemory : VLocalDb::Mode::InFile));
    // The database has logged why its file keeps no change; listed here for the host to show.
    if (!d->localDb.problem().isEmpty())
        m_problems << settingsProblem();

    if (options.sysDate > 0) {
        if (QDate::fromString(QString::number(options.sysDate), QStringLiteral("yyyyMMdd")).isValid())
            d->business.setSysDate(options.sysDate);
        else
            problem(QStringLiteral("业务日期[%1]无效,使用今天").arg(options.sysDate));
    }
    if (!options.dataDir.isEmpty())
        loadData(options.dataDir);
}

HostContext::~HostContext() = default;

QString HostContext::hostName() const
{
    return QStringLiteral("tarn-host");
}

QWidget *HostContext::mainWindow() const
{
    return m_mainWindow;
}

VConfig *HostContext::config()
{
    return &d->config;
}

VDataDict *HostContext::dataDict()
{
    return &d->dataDict;
}

VCacheMgr *HostContext::cacheMgr()
{
    return &d->cacheMgr;
}

VBusiness *HostContext::business()
{
    return &d->business;
}

VStyleMgr *HostContext::styleMgr()
{
    return &d->styleMgr;
}

VQuotMgr *HostContext::quotMgr()
{
    return &d->quotMgr;
}

QString HostContext::userId() const
{
    return QString();
}

VStockHelper *HostContext::stockHelper()
{
    return &d->stockHelper;
}

void HostContext::setMainWindow(QWidget *window)
{
    m_mainWindow = window;
}

VLocalDb *HostContext::localDb() const
{
    return &d->localDb;
}

void HostContext::setQuotFeed(VQuotFeed *feed)
{
    d->quotMgr.setFeed(feed);
}

VSimQuotFeed *HostContext::installSimQuotFeed()
{
    auto *feed = new VSimQuotFeed;
    feed->setResolver(
        [this](char market, const QString &code, VSimInstrument &out) { return simInstrument(market, code, out); });
    setQuotFeed(feed);
    return feed;
}

bool HostContext::simInstrument(char market, const QString &code, VSimInstrument &out)
{
    const QDate date = QDate::fromString(QString::number(d->business.sysDate()), QStringLiteral("yyyyMMdd"));
    return SimInstruments(&d->cacheMgr, d->optionModel, d->liquidity, date).resolve(market, code, out);
}

double HostContext::riskFreeRate() const
{
    return d->optionModel.riskFreeRate;
}

QStringList HostContext::securityKeys() const
{
    const VCacheItem *securities = d->cacheMgr.stockCache();
    QStringList keys;
    for (int i = 0; securities && i < securities->recordCount1(); ++i) {
        const QString market = securities->fieldValue1(i, QStringLiteral("market")).toString();
        if (market.size() == 1)
            keys << VQuotSubscriber::productKey(market.at(0).toLatin1(),
                                                securities->fieldValue1(i, QStringLiteral("stkcode")).toString());
    }
    return keys;
}

QStringList HostContext::loadProblems() const
{
    return m_problems;
}

QString HostContext::settingsProblem() const
{
    const QString problem = d->localDb.problem();
    return problem.isEmpty() ? problem : QStringLiteral("本次运行的设置不会保存: %1").arg(problem);
}

void HostContext::problem(const QString &message)
{
    m_problems << message;
    VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(), message);
}

// Generates the sample market for the business date. A cache whose source
// files could not be read at all is still registered but stays abnormal, so
// components report it in their own words; everything else is served.
void HostContext::loadData(const QString &dir)
{
    SampleSource source;
    source.read(dir);
    const QDate date = QDate::fromString(QString::number(d->business.sysDate()), QStringLiteral("yyyyMMdd"));
    const SampleMarket market = SampleMarket::generate(source, date);
    m_problems << source.problems() << market.problems;
    d->optionModel = source.optionModel;
    d->liquidity = source.liquidity;

    for (const SampleDictItem &item : market.dictItems)
        d->dataDict.setItem(item.entry, item.item, item.text);
    const bool anySecurities = source.hasRead(SampleSource::Securities) || source.hasRead(SampleSource::Futures)
        || source.hasRead(SampleSource::Options);
    installCache(VCacheMgr::StockCacheName, market.securities, anySecurities);
    installCache(SampleMarket::FuturesCacheName, market.futures, source.hasRead(SampleSource::Futures));
    installCache(SampleMarket::OptionCacheName, market.options, source.hasRead(SampleSource::Options));
}

void HostContext::installCache(const QString &name, const SampleTable &table, bool sourceRead)
{
    auto *item = new VCacheItem(name);
    if (sourceRead && !item->load(table.fields, table.rows))
        problem(QStringLiteral("缓存[%1]装载失败").arg(name));
    d->cacheMgr.addCache(item);
}
