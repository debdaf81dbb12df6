// The futures quote board shown at 1280x800 with every contract of the
// Shanghai exchange checked (200 and 2,000 contracts), while a feed thread
// offers quotes of all of them in turn at 1,000, 10,000 and 50,000
// records a second. The board subscribes only its rows in view, so the
// quote manager drops the rest. Beside it, in interleaved rounds of the
// same run, the plain table subscribed to every contract, and with 200
// contracts at 50,000 records a second the naive board too: the plain
// table with a single-shot timer per changed cell that ends the cell's
// 600 ms flash, fed for a shorter window, since it falls far behind. For each: the
// post→painted latency of the last prices in view, the GUI thread's CPU and
// its time per delivered record, and the paints a second.
//
//   bench_ftquotpanel [seconds per measurement] [rounds] [tarn]   (tarn: the board alone)

#include "benchutil.h"

#include <hostcontext.h>
#include <icomponent.h>
#include <imodule.h>
#include <tarn.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vdatadict.h>
#include <vlocaldb.h>
#include <vquotmgr.h>

#include <QApplication>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

const char Market = 'H';
const int PerProduct = 20;
const int BusinessDate = 20261205;
// Records offered a second; the naive board is measured at the heaviest.
const double Rates[] = {1000, 10000, 50000};
const double NaiveRate = 50000;
const int NaiveContracts = 200;
const int FlashMs = 600;
const int NaiveMs = 500;

QString productId(int product)
{
    return QStringLiteral("p%1").arg(product, 3, 10, QLatin1Char('0'));
}

// The i-th contract: the (i % PerProduct)-th month of product i / PerProduct.
QString contractCode(int i)
{
    return productId(i / PerProduct) + QString::number(2701 + i % PerProduct);
}

// The contract and securities caches, the product names, and a stored
// configuration that checks every product and shows the Shanghai page.
void prepare(HostContext &host, const QVector<QByteArray> &codes)
{
    QVector<QVector<QVariant>> contracts;
    QVector<QVector<QVariant>> stocks;
    for (int i = 0; i < codes.size(); ++i) {
        const QString code = QString::fromLatin1(codes.at(i));
        const QString id = QLatin1Char(Market) + code;
        contracts.append({id, QString(QLatin1Char(Market)), productId(i / PerProduct), 20270115 + i % PerProduct,
                          code, 10});
        stocks.append(
            {id, QString(QLatin1Char(Market)), code, QStringLiteral("合约%1").arg(code), QStringLiteral("Q"), 0.5});
    }
    auto *contractCache = new VCacheItem(QStringLiteral("851101"));
    contractCache->load({QStringLiteral("stkid"), QStringLiteral("market"), QStringLiteral("productid"),
                         QStringLiteral("expiredate"), QStringLiteral("stkcode"), QStringLiteral("convertunit")},
                        contracts);
    auto *stockCache = new VCacheItem(VCacheMgr::StockCacheName);
    stockCache->load({QStringLiteral("stkid"), QStringLiteral("market"), QStringLiteral("stkcode"),
                      QStringLiteral("stkname"), QStringLiteral("stktype"), QStringLiteral("priceunit")},
                     stocks);
    host.cacheMgr()->addCache(contractCache);
    host.cacheMgr()->addCache(stockCache);

    QStringList checked;
    for (int product = 0; product * PerProduct < codes.size(); ++product) {
        const QString name = QStringLiteral("品种%1").arg(product);
        host.dataDict()->setItem(QStringLiteral("30070"), productId(product), name);
        checked << productId(product) + QLatin1Char('=') + name;
    }
    host.localDb()->setCfgParam(QStringLiteral("PG_Trd_FtQuotPanel"),
                                {{QStringLiteral("Check_Market"), QString(QLatin1Char(Market))},
                                 {QStringLiteral("SHQH_Check_Products"), checked.join(QLatin1Char(';'))}},
                                true);
}

// The board made through the module and shown, measured and freed.
bench::Shown measureBoard(IModule *module, VQuotMgr *quotes, const QVector<QByteArray> &codes, double rate, int ms)
{
    IComponent *board
        = module->createComponent(nullptr, QStringLiteral("BCFtQuotPanel"), QStringLiteral("bench"), nullptr);
    board->resize(1280, 800);
    board->show();
    bench::runFor(200); // first layout and paint; the rows in view are subscribed
    auto *table = board->findChild<QTableView *>(QStringLiteral("tbSHQH"));
    if (!table || !table->isVisible() || table->model()->rowCount() != codes.size()) {
        std::printf("the Shanghai page is not shown with %d rows\n", codes.size());
        std::exit(1);
    }
    bench::LatencyProbe probe(quotes);
    probe.watch(table->viewport(),
                bench::datasetCellsInView(table, QStringLiteral("stkcode"), QStringLiteral("lastprice")));
    const bench::Shown shown = bench::measureShown(quotes, table->viewport(), probe, rate, bench::inTurn(Market, codes), ms);
    module->freeComponent(board);
    return shown;
}

// The plain table, or with flashMs the naive board, made, measured and freed.
bench::Shown measurePlain(VQuotMgr *quotes, const QVector<QByteArray> &codes, double rate, int ms, int flashMs)
{
    QVector<bench::PlainQuoteTable::Security> securities;
    for (const QByteArray &code : codes)
        securities.append({Market, code, QStringLiteral("合约%1").arg(QString::fromLatin1(code))});
    bench::PlainQuoteTable table(securities, bench::quoteHeaders(), bench::quoteTexts(2), flashMs);
    bench::runFor(200);
    bench::LatencyProbe probe(quotes);
    probe.watch(table.view()->viewport(), table.cellsInView());
    return bench::measureShown(quotes, table.view()->viewport(), probe, rate, bench::inTurn(Market, codes), ms);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bench::ShownArgs shown = bench::shownArgs(args);
    const int ms = shown.ms, rounds = shown.rounds;
    const bool tarnOnly = args.value(3) == QLatin1String("tarn");
    bench::logAsTheClient();

    std::printf("bench_ftquotpanel: the board shown at 1280x800, quotes of every contract offered in turn from a"
                " feed thread; %d ms per measurement after %d ms of warm-up, medians of %d interleaved rounds\n",
                ms, bench::WarmUpMs, rounds);
    bench::printMachine();
    bench::printShownHeader("contracts, rec/s", "tarn (subscribes its rows in view)", "plain table (every contract)");
    QString naiveLabel;
    std::vector<bench::Shown> naiveTarn;
    std::vector<bench::Shown> naive;
    for (int n : {200, 2000}) {
        QVector<QByteArray> codes;
        for (int i = 0; i < n; ++i)
            codes.append(contractCode(i).toLatin1());
        QTemporaryDir dir;
        HostContext::Options options;
        options.configDbPath = dir.filePath(QStringLiteral("config.db"));
        options.sysDate = BusinessDate;
        HostContext host(options);
        prepare(host, codes);
        IModule *module = LoadBizModule(&host);
        VQuotMgr *quotes = host.quotMgr();

        for (const double rate : Rates) {
            std::vector<std::function<bench::Shown()>> sides {
                [&] { return measureBoard(module, quotes, codes, rate, ms); }};
            if (!tarnOnly)
                sides.push_back([&] { return measurePlain(quotes, codes, rate, ms, 0); });
            // The naive board falls so far behind that its window ends many
            // times late (with 2,000 contracts, minutes late): it runs beside
            // 200, fed for a short window.
            if (!tarnOnly && rate == NaiveRate && n == NaiveContracts)
                sides.push_back([&] { return measurePlain(quotes, codes, rate, NaiveMs, FlashMs); });
            const auto figures = bench::interleaved(quotes, rounds, sides);
            const QString label = QStringLiteral("%1, %2").arg(n).arg(rate, 0, 'f', 0);
            bench::printShownRow(label, figures[0], tarnOnly ? std::vector<bench::Shown>() : figures[1]);
            if (figures.size() > 2) {
                naiveLabel = label;
                naiveTarn = figures[0];
                naive = figures[2];
            }
        }
        UnloadBizModule();
    }
    if (!naive.empty()) {
        std::printf("\nthe naive board (the plain table with a %d ms single-shot timer per changed cell), same rounds,"
                    " fed for %d ms\n",
                    FlashMs, NaiveMs);
        bench::printShownHeader("contracts, rec/s", "tarn", "naive board");
        bench::printShownRow(naiveLabel, naiveTarn, naive);
    }
    return 0;
}
