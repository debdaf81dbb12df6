// The watchlist with long lists: start-up (subscribing every security of
// every group) and a switch to another group. Then the watchlist shown at
// 1280x800 under a live feed: a feed thread posts records of the shown
// group's securities (300, 3,000 and 20,000) in turn at 1,000, 10,000 and
// 50,000 records a second, and beside it, in interleaved rounds of the same
// run, the plain table gets the same records: the post→painted latency of
// the last prices in view, the GUI thread's CPU and its time per delivered
// record (the receiving slot, the frames that write and paint the records,
// everything), and the paints a second.
//
//   bench_optionalstk [seconds per shown measurement] [rounds]

#include "benchutil.h"

#include <quotetext.h>

#include <optionalstk/bcoptionalstk.h>
#include <optionalstk/stkmodel.h>

#include <hostcontext.h>
#include <icomponent.h>
#include <imodule.h>
#include <tarn.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vlocaldb.h>
#include <vquotdata.h>
#include <vquotmgr.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#include <iterator>
#include <memory>

namespace {

const int Groups = 5;
const char Market = '1';

QString stockId(int i)
{
    return QStringLiteral("1%1").arg(600000 + i);
}

QByteArray stockCode(int i)
{
    return QByteArray::number(600000 + i);
}

// A stock cache of n securities, and the groups sharing them out in turn.
void prepare(HostContext &host, int n, int groups)
{
    auto *stocks = new VCacheItem(VCacheMgr::StockCacheName);
    QVector<QVector<QVariant>> rows;
    rows.reserve(n);
    for (int i = 0; i < n; ++i)
        rows.append({stockId(i), QStringLiteral("1"), QString::fromLatin1(stockCode(i)),
                     QStringLiteral("证券%1").arg(i), QStringLiteral("0"), 0.01});
    stocks->load({QStringLiteral("stkid"), QStringLiteral("market"), QStringLiteral("stkcode"),
                  QStringLiteral("stkname"), QStringLiteral("stktype"), QStringLiteral("priceunit")},
                 rows);
    host.cacheMgr()->addCache(stocks);

    QVector<QString> lists(groups);
    for (int i = 0; i < n; ++i)
        lists[i % groups] += stockId(i) + QLatin1Char(',');
    QSqlQuery query(host.localDb()->database());
    query.prepare(QStringLiteral("INSERT INTO cfgparam (groupname, paramname, paramvalue, encrypt) "
                                 "VALUES ('OptionalStk', :name, :value, '0')"));
    for (int g = 0; g < groups; ++g) {
        query.bindValue(QStringLiteral(":name"), QStringLiteral("组%1").arg(g + 1));
        query.bindValue(QStringLiteral(":value"), lists[g]);
        query.exec();
    }
}

QTableView *shownView(QWidget *component)
{
    for (QTableView *view : component->findChildren<QTableView *>()) {
        if (view->isVisible())
            return view;
    }
    return nullptr;
}

void startUpRuns()
{
    std::printf("bench_optionalstk: %d groups sharing the securities\n", Groups);
    // receive: the receiving slot's work per record (the watchlist hidden),
    // once the batch holds a frame's worth of records; growing: the same in
    // the first two frames, while the batch's storage grows to that size
    // (fresh memory, faulted in page by page); write: the frame's work per
    // security it writes (one record each), over every frame.
    std::printf("%10s %12s %12s %12s %12s %12s\n", "securities", "start-up ms", "switch ms", "receive ns",
                "growing ns", "write ns");
    for (int n : {1000, 5000, 20000}) {
        QTemporaryDir dir;
        HostContext::Options options;
        options.configDbPath = dir.filePath(QStringLiteral("config.db"));
        HostContext host(options);
        prepare(host, n, Groups);
        IModule *module = LoadBizModule(&host);

        QElapsedTimer timer;
        timer.start();
        IComponent *watchlist
            = module->createComponent(nullptr, QStringLiteral("BCOptionalStk"), QStringLiteral("bench"), nullptr);
        const double startUp = timer.nsecsElapsed() / 1e6;

        QAbstractButton *second = nullptr;
        for (QAbstractButton *tab : watchlist->findChildren<QAbstractButton *>()) {
            if (tab->text() == QStringLiteral("组2"))
                second = tab;
        }
        timer.start();
        if (second)
            second->click();
        const double switching = timer.nsecsElapsed() / 1e6;

        // Every security of the shown group once, a few rounds, straight into the slot.
        auto *receiver = qobject_cast<BCOptionalStk *>(watchlist);
        const int growing = 2;
        const int rounds = growing + 5;
        qint64 growingNs = 0;
        qint64 receiveNs = 0;
        qint64 writeNs = 0;
        int grown = 0;
        int received = 0;
        int written = 0;
        for (int round = 1; round <= rounds; ++round) {
            QVector<VQuotData> records;
            for (int i = 1; i < n; i += Groups)
                records.append(bench::quote(Market, stockCode(i), quint64(round)));
            qint64 cpu = bench::threadCpuNs();
            for (VQuotData &record : records)
                receiver->doRecvSubscribe(&record);
            const qint64 receiving = bench::threadCpuNs() - cpu;
            cpu = bench::threadCpuNs();
            bench::runFor(40); // the frame that writes them
            writeNs += bench::threadCpuNs() - cpu;
            written += records.size();
            if (round <= growing) {
                growingNs += receiving;
                grown += records.size();
            } else {
                receiveNs += receiving;
                received += records.size();
            }
        }
        std::printf("%10d %12.1f %12.1f %12.0f %12.0f %12.0f\n", n, startUp, switching, double(receiveNs) / received,
                    double(growingNs) / grown, double(writeNs) / written);
        std::fflush(stdout);
        module->freeComponent(watchlist);
        UnloadBizModule();
    }
}

// The watchlist made through the module, showing its one group; measured and freed.
bench::Shown measureWatchlist(IModule *module, VQuotMgr *quotes, const QVector<QByteArray> &codes, double rate, int ms)
{
    IComponent *watchlist
        = module->createComponent(nullptr, QStringLiteral("BCOptionalStk"), QStringLiteral("shown"), nullptr);
    watchlist->resize(1280, 800);
    watchlist->show();
    bench::runFor(200);
    QTableView *view = shownView(watchlist);
    if (!view || view->model()->rowCount() != codes.size()) {
        std::printf("the watchlist does not show its group of %d securities\n", codes.size());
        std::exit(1);
    }
    bench::LatencyProbe probe(quotes);
    const QAbstractItemModel *model = view->model();
    probe.watch(view->viewport(), bench::cellsInView(view, StkModel::Last, [model](int row) {
                    return model->index(row, StkModel::Code).data(Qt::UserRole).toString().toUtf8();
                }));
    const bench::Shown shown = bench::measureShown(quotes, view->viewport(), probe, rate, bench::inTurn(Market, codes), ms);
    module->freeComponent(watchlist);
    return shown;
}

// The texts of a record's quote columns as the module's one formatter writes
// them for a stock, so that both tables draw the same glyphs.
bench::PlainQuoteTable::Texts watchlistTexts()
{
    return [format = QuoteFormat::of(0.01, QStringLiteral("0"))](const VQuotData &r, QStringList &texts) {
        using K = QuoteFormat::Kind;
        const std::pair<K, double> values[] = {
            {K::Price, r.lastPrice},       {K::Percent, r.priceChangeRatio * 100.0}, {K::Change, r.priceChange},
            {K::Volume, double(r.matchQuantity)}, {K::Price, r.bidPrice[0]},       {K::Price, r.askPrice[0]},
            {K::Amount, r.matchAmount},    {K::Price, r.highPrice},                  {K::Price, r.lowPrice},
            {K::Price, r.openingPrice},    {K::Price, r.preClosingPrice},            {K::Price, r.highLimitPrice},
            {K::Price, r.lowLimitPrice}};
        texts.clear();
        for (const auto &[kind, value] : values)
            texts << format.text(kind, value);
    };
}

bench::Shown measurePlain(VQuotMgr *quotes, const QVector<QByteArray> &codes, double rate, int ms)
{
    QVector<bench::PlainQuoteTable::Security> securities;
    for (int i = 0; i < codes.size(); ++i)
        securities.append({Market, codes.at(i), QStringLiteral("证券%1").arg(i)});
    const QStringList labels = StkModel::headerLabels();
    bench::PlainQuoteTable table(securities, labels.mid(StkModel::Last, StkModel::LimitDown - StkModel::Last + 1),
                                 watchlistTexts());
    bench::runFor(200);
    bench::LatencyProbe probe(quotes);
    probe.watch(table.view()->viewport(), table.cellsInView());
    return bench::measureShown(quotes, table.view()->viewport(), probe, rate, bench::inTurn(Market, codes), ms);
}

void shownRuns(int ms, int rounds)
{
    std::printf("\nshown at 1280x800, one group, quotes of its securities offered in turn from a feed thread; %d ms per"
                " measurement after %d ms of warm-up, medians of %d interleaved rounds\n",
                ms, bench::WarmUpMs, rounds);
    bench::printMachine();
    bench::printShownHeader("securities, rec/s", "tarn", "plain table");
    const struct
    {
        int securities;
        QVector<double> rates;
    } lists[] = {{300, {1000, 10000, 50000}}, {3000, {1000, 10000, 50000}}, {20000, {50000}}};
    for (const auto &list : lists) {
        QTemporaryDir dir;
        HostContext::Options options;
        options.configDbPath = dir.filePath(QStringLiteral("config.db"));
        HostContext host(options);
        prepare(host, list.securities, 1);
        IModule *module = LoadBizModule(&host);
        VQuotMgr *quotes = host.quotMgr();
        QVector<QByteArray> codes;
        for (int i = 0; i < list.securities; ++i)
            codes.append(stockCode(i));
        for (const double rate : list.rates) {
            const auto figures = bench::interleaved(
                quotes, rounds,
                {[&] { return measureWatchlist(module, quotes, codes, rate, ms); },
                 [&] { return measurePlain(quotes, codes, rate, ms); }});
            bench::printShownRow(QStringLiteral("%1, %2").arg(list.securities).arg(rate, 0, 'f', 0), figures[0],
                                 figures[1]);
        }
        UnloadBizModule();
    }
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bench::ShownArgs shown = bench::shownArgs(args);
    const int ms = shown.ms, rounds = shown.rounds;
    bench::logAsTheClient();
    startUpRuns();
    shownRuns(ms, rounds);
    return 0;
}
