#include "storedchoices.h"

#include "ftquotlog.h"
#include "marketpage.h"

#include <ihostcontext.h>
#include <tarn_global.h>
#include <vconfig.h>
#include <vlocaldb.h>

namespace {

const QString Group = QStringLiteral("PG_Trd_FtQuotPanel");
const QString MarketKey = QStringLiteral("Check_Market");

VLocalDb *localDb()
{
    return tarn::hostContext()->config()->cfgLocalDb();
}

} // namespace

bool StoredChoices::load(QHash<QString, QVariant> &params, const QList<MarketPage *> &pages, QString *market)
{
    if (!localDb()->getCfgParam(Group, params)) {
        ftQuotLog(3, __LINE__, QStringLiteral("期货行情面板:读取本地配置文件参数失败."));
        return false;
    }
    for (MarketPage *page : pages) {
        const QStringList items = params.value(page->checkKey).toString().split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (const QString &item : items) {
            const QStringList parts = item.split(QLatin1Char('='), Qt::SkipEmptyParts);
            if (parts.size() == 2)
                page->checkedItems.insert(parts.at(0), parts.at(1));
        }
    }
    *market = params.value(MarketKey).toString();
    return true;
}

void StoredChoices::save(QHash<QString, QVariant> &params, const QList<MarketPage *> &pages, const MarketPage *current)
{
    params.clear();
    for (const MarketPage *page : pages) {
        QStringList items;
        for (auto it = page->checkedItems.cbegin(); it != page->checkedItems.cend(); ++it)
            items << QStringLiteral("%1=%2").arg(it.key(), it.value());
        params.insert(page->checkKey, items.join(QLatin1Char(';')));
    }
    if (current)
        params.insert(MarketKey, current->market);
    // A write that is not kept is logged by the database, once for a run of failures.
    localDb()->setCfgParam(Group, params, true);
}
