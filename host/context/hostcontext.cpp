#include "hostcontext.h"

#include "hoststockhelper.h"

#include <vbusiness.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vconfig.h>
#include <vdatadict.h>
#include <vlocaldb.h>
#include <voutput.h>
#include <vquotmgr.h>
#include <vstockhelper.h>
#include <vstylemgr.h>

#include <QDir>
#include <QFileInfo>

struct HostContext::Services
{
    explicit Services(const QString &dbPath)
        : localDb(dbPath)
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
};

HostContext::HostContext(const Options &options)
    : d(new Services(options.configDbPath))
{
    if (!d->localDb.isOpen())
        m_problems << QStringLiteral("配置库不可用: %1").arg(options.configDbPath);
    if (options.sysDate > 0)
        d->business.setSysDate(options.sysDate);
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

QStringList HostContext::loadProblems() const
{
    return m_problems;
}

// The data folder holds "dict.csv" (entry,item,text) and one "<cache>.csv"
// per cache, named as the cache is opened ("stock", "851101", "600570").
void HostContext::loadData(const QString &dir)
{
    const QDir folder(dir);
    if (!folder.exists()) {
        m_problems << QStringLiteral("数据目录不存在: %1").arg(dir);
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(), m_problems.constLast());
        return;
    }
    const QString dictPath = folder.filePath(QStringLiteral("dict.csv"));
    if (QFileInfo::exists(dictPath) && !d->dataDict.loadCsv(dictPath))
        m_problems << QStringLiteral("数据字典读取失败: %1").arg(dictPath);

    const QFileInfoList files = folder.entryInfoList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name);
    for (const QFileInfo &file : files) {
        if (file.fileName() == QLatin1String("dict.csv"))
            continue;
        auto *item = new VCacheItem(file.completeBaseName());
        if (!item->loadCsv(file.filePath()))
            m_problems << QStringLiteral("缓存[%1]读取失败: %2").arg(item->name(), file.filePath());
        d->cacheMgr.addCache(item);
    }
}
