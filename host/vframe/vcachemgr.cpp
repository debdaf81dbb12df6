#include "vcachemgr.h"

#include "vcacheitem.h"
#include "vframelog.h"
#include "vfutils.h"

#include <voutput.h>

#include <QMetaMethod>

const QString VCacheMgr::StockCacheName = QStringLiteral("stock");

namespace {

VCacheMgr *s_instance = nullptr;

void logFailure(int line, const QString &message)
{
    VOutput(3, QStringLiteral(__FILE__), line, QString(), message);
}

} // namespace

VCacheMgr::VCacheMgr(QObject *parent)
    : QObject(parent)
{
    s_instance = this;
}

VCacheMgr::~VCacheMgr()
{
    if (s_instance == this)
        s_instance = nullptr;
}

VCacheMgr *VCacheMgr::instance()
{
    return s_instance;
}

bool VCacheMgr::addCache(VCacheItem *item)
{
    if (!item)
        return false;
    if (m_caches.contains(item->name())) {
        logFailure(__LINE__, QStringLiteral("缓存[%1]已存在,新的同名缓存被忽略").arg(item->name()));
        delete item;
        return false;
    }
    item->setParent(this);
    m_caches.insert(item->name(), item);
    return true;
}

VCacheItem *VCacheMgr::cache(const QString &name) const
{
    return m_caches.value(name);
}

VCacheItem *VCacheMgr::stockCache() const
{
    return cache(StockCacheName);
}

VCacheItem *VCacheMgr::dynCache(const QString &name, QVariantMap *filter, QObject *receiver, const char *slot)
{
    VCacheItem *item = cache(name);
    if (!item) {
        logFailure(__LINE__, QStringLiteral("动态缓存[%1]不存在").arg(name));
        return nullptr;
    }
    if (filter && !filter->isEmpty())
        qCDebug(lcFrame) << "cache" << name << "served whole, filter ignored:" << *filter;
    if (!receiver || !slot)
        return item;

    const QMetaMethod method = vf::methodOf(receiver, QByteArray(slot));
    const QMetaMethod loaded = QMetaMethod::fromSignal(&VCacheItem::loaded);
    if (!method.isValid() || !QMetaObject::checkConnectArgs(loaded, method)) {
        logFailure(__LINE__,
                   QStringLiteral("动态缓存[%1]无法连接%2的[%3]")
                       .arg(name, QString::fromLatin1(receiver->metaObject()->className()), QString::fromLatin1(slot)));
        return item;
    }
    // A second request for the same receiver and slot finds the connection made.
    QObject::connect(item, loaded, receiver, method, Qt::UniqueConnection);
    return item;
}

QString VCacheMgr::stkCodeToStkId(const QString &market, const QString &code) const
{
    const VCacheItem *stocks = stockCache();
    if (!stocks || !stocks->isNormal())
        return QString();
    QList<QVariantMap> records;
    if (stocks->query(records, QStringLiteral("market;stkcode"), {market, code}, QStringLiteral("stkid"), true) == 0)
        return QString();
    return records.constFirst().value(QStringLiteral("stkid")).toString();
}
