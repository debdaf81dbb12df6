// The watchlist with long lists: start-up (subscribing every security of
// every group), a switch to another group, and the cost of one quote record
// through the quote manager, for a security of the shown group and for one of
// a hidden group. The per-record cost should not grow with the lists.
//
//   bench_optionalstk [records]

#include <hostcontext.h>
#include <icomponent.h>
#include <imodule.h>
#include <tarn.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vlocaldb.h>
#include <vlogsink.h>
#include <vquotdata.h>
#include <vquotmgr.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

namespace {

const int Groups = 5;

QString stockId(int i)
{
    return QStringLiteral("1%1").arg(600000 + i);
}

QByteArray stockCode(int i)
{
    return QByteArray::number(600000 + i);
}

// A stock cache of n securities, and the groups sharing them out in turn.
void prepare(HostContext &host, int n)
{
    auto *stocks = new VCacheItem(VCacheMgr::StockCacheName);
    QVector<QVector<QVariant>> rows;
    rows.reserve(n);
    for (int i = 0; i < n; ++i)
        rows.append({stockId(i), QStringLiteral("1"), QString::fromLatin1(stockCode(i)),
                     QStringLiteral("证券%1").arg(i), QStringLiteral("0")});
    stocks->load({QStringLiteral("stkid"), QStringLiteral("market"), QStringLiteral("stkcode"),
                  QStringLiteral("stkname"), QStringLiteral("stktype")},
                 rows);
    host.cacheMgr()->addCache(stocks);

    QString lists[Groups];
    for (int i = 0; i < n; ++i)
        lists[i % Groups] += stockId(i) + QLatin1Char(',');
    QSqlQuery query(host.localDb()->database());
    query.prepare(QStringLiteral("INSERT INTO cfgparam (groupname, paramname, paramvalue, encrypt) "
                                 "VALUES ('OptionalStk', :name, :value, '0')"));
    for (int g = 0; g < Groups; ++g) {
        query.bindValue(QStringLiteral(":name"), QStringLiteral("组%1").arg(g + 1));
        query.bindValue(QStringLiteral(":value"), lists[g]);
        query.exec();
    }
}

// Mean nanoseconds per record for the securities of one group: first, first + Groups, …
double deliver(VQuotMgr *quotes, int first, int n, int records)
{
    VQuotData record {};
    record.status = 1;
    record.market = '1';
    QElapsedTimer timer;
    timer.start();
    for (int r = 0; r < records; ++r) {
        record.setCode(stockCode((first + Groups * r) % n));
        record.lastPrice = 10.0 + r % 100 * 0.01;
        quotes->deliver(record);
    }
    return double(timer.nsecsElapsed()) / records;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int records = args.size() > 1 ? qMax(1, args.at(1).toInt()) : 20000;
    VLog::setFileLogging(false);

    std::printf("bench_optionalstk: %d groups, %d records per measurement\n", Groups, records);
    std::printf("%10s %12s %12s %16s %16s\n", "securities", "start-up ms", "switch ms", "shown ns/record",
                "hidden ns/record");
    for (int n : {1000, 5000, 20000}) {
        QTemporaryDir dir;
        HostContext::Options options;
        options.configDbPath = dir.filePath(QStringLiteral("config.db"));
        HostContext host(options);
        prepare(host, n);
        IModule *module = LoadBizModule(&host);

        QElapsedTimer timer;
        timer.start();
        IComponent *watchlist
            = module->createComponent(nullptr, QStringLiteral("BCOptionalStk"), QStringLiteral("bench"), nullptr);
        const double startUp = timer.nsecsElapsed() / 1e6;

        // Group 1 is shown: securities 0, 5, 10, …; group 2 holds 1, 6, 11, …
        const double shown = deliver(host.quotMgr(), 0, n, records);
        const double hidden = deliver(host.quotMgr(), 1, n, records);

        const QList<QAbstractButton *> tabs = watchlist->findChildren<QAbstractButton *>();
        QAbstractButton *second = nullptr;
        for (QAbstractButton *tab : tabs) {
            if (tab->text() == QStringLiteral("组2"))
                second = tab;
        }
        timer.start();
        if (second)
            second->click();
        const double switching = timer.nsecsElapsed() / 1e6;

        std::printf("%10d %12.1f %12.1f %16.0f %16.0f\n", n, startUp, switching, shown, hidden);
        UnloadBizModule();
    }
    return 0;
}
