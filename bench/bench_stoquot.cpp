// The option board under load, in two parts.
//
// Markers: a changed cell's marker ends 800 ms after the change. The option
// table model serves every end from its highlight engine, one timer and a
// queue of deadlines (CellHighlights); beside it, the same model with one
// Qt timer per change (a timer id → cell map, each timer killed when it
// fires). For 1,000, 30,000 and 100,000 changes a second, fed for one
// second from a 1 ms timer on the GUI thread into a dataset of 80 contracts
// × 10 prices: how late each marker ends (median and worst, after its
// 800 ms), the changes the feed managed a second, and the GUI thread's CPU
// from the first change to the last end.
//
// Board: the option board shown offscreen at 1280x800 with a 40-strike
// chain (80 contracts on the combined page) and the underlying, quotes of
// all 81 offered in turn from a feed thread at 1,000, 10,000, 20,000 and
// 50,000 records a second, beside the plain table in interleaved rounds of
// the same run: the post→painted latency of the last prices in view (calls
// and puts), the GUI thread's CPU and its time per delivered record, and
// the paints of the calls table. At 20,000 records a second, the load the
// board has always been measured under, the naive board too: the plain
// table with a single-shot timer per changed cell that ends its 800 ms
// marker.
//
// Analytics: the same board at 20,000 and at 1,000 records a second with
// option prices around an underlying near 3, without analytics and with
// every analytic column, the smile and the term structure shown, in
// interleaved rounds: the figures above and the rows whose figures were
// worked out a second; then the implied-volatility solves a second of one
// core, on their own.
//
//   bench_stoquot [seconds per board measurement] [rounds] [markers|board|analytics]

#include "benchutil.h"

#include <hostcontext.h>
#include <icomponent.h>
#include <imodule.h>
#include <cellhighlights.h>
#include <stoquot/chainanalytics.h>
#include <stoquot/optionanalytics.h>
#include <stoquot/vsqtablemodel.h>
#include <tarn.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vdatadict.h>
#include <vconfig.h>
#include <vdataset.h>
#include <vlocaldb.h>
#include <vquotmgr.h>

#include <QApplication>
#include <QComboBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int Rows = 80;
constexpr int Prices = 10;
constexpr int FirstPrice = 2; // after the market and the code
constexpr qint64 MarkerNs = 800000000;
// The board's load as it has always been measured: the naive board runs there.
constexpr double NaiveRate = 20000;

// Records when a marker ends: the highlight engine says so (ended), a
// timer per change clears the cell's background.
template <typename Base>
class Clocked : public Base
{
public:
    Clocked()
    {
        QObject::connect(this->highlights(), &CellHighlights::ended, [this] { clears.append(bench::nowNs()); });
    }
    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (role == Qt::BackgroundRole && !value.isValid())
            clears.append(bench::nowNs());
        return Base::setData(index, value, role);
    }
    QVector<qint64> clears;
};

// The marker lifetime as one Qt timer per change: a timer id → cell map,
// each timer killed on its first expiry. The dataset's notification reaches
// this slot (connected by its signature, the most derived one wins).
class TimerPerChangeModel : public VSQTableModel
{
    Q_OBJECT
public slots:
    void doAfterUpdate(int row, int field)
    {
        m_timers.insert(startTimer(800), index(row, colIndexByFieldName(dataset()->fields()->at(field)->name())));
        VTableModel::doAfterUpdate(row, field);
    }

protected:
    void timerEvent(QTimerEvent *event) override
    {
        const auto it = m_timers.find(event->timerId());
        if (it == m_timers.end())
            return;
        setData(it.value(), QVariant(), Qt::BackgroundRole);
        killTimer(event->timerId());
        m_timers.erase(it);
    }

private:
    QHash<int, QModelIndex> m_timers;
};

struct MarkerFigures
{
    double achievedRate;
    double medianLateMs;
    double worstLateMs;
    double cpuPercent;
    int uncleared;
};

template <typename Model>
MarkerFigures runMarkers(double rate)
{
    // Each row a contract of its own: a marker belongs to its row's contract.
    VDataset dataset;
    dataset.setBusiness(false);
    dataset.addField(QStringLiteral("market"), QStringLiteral("市场"), vd::DT_String, 1, 9);
    dataset.addField(QStringLiteral("stkcode"), QStringLiteral("证券代码"), vd::DT_String, 33, 9);
    for (int field = 0; field < Prices; ++field)
        dataset.addField(QStringLiteral("price%1").arg(field), QStringLiteral("价%1").arg(field), vd::DT_Double, 33, 9);
    dataset.open();
    QHash<SecurityId, int> rows;
    for (int row = 0; row < Rows; ++row) {
        dataset.append();
        const QString code = QStringLiteral("10000%1").arg(row, 3, 10, QLatin1Char('0'));
        dataset.setFieldValue(row, 0, QStringLiteral("5"));
        dataset.setFieldValue(row, 1, code);
        rows.insert(SecurityId::of(QStringLiteral("5"), code), row);
    }
    Clocked<Model> model;
    model.setRowLocator([&rows](const SecurityId &contract) { return rows.value(contract, -1); });
    model.linkDatasetTable(&dataset, nullptr, false, true);

    QVector<qint64> changes;
    changes.reserve(int(rate) + 1);
    const qint64 start = bench::nowNs();
    const qint64 cpu = bench::threadCpuNs();
    QTimer feed;
    feed.setTimerType(Qt::PreciseTimer);
    QObject::connect(&feed, &QTimer::timeout, [&] {
        const qint64 now = bench::nowNs();
        const qint64 due = std::min<qint64>(qint64(rate), qint64(rate * double(now - start) / 1e9));
        for (qint64 n = changes.size(); n < due; ++n) {
            const int cell = int(n % (Rows * Prices));
            dataset.setFieldValue(cell / Prices, FirstPrice + cell % Prices, double(n));
            changes.append(bench::nowNs());
        }
        if (now - start >= 1000000000)
            feed.stop();
    });
    feed.start(1);
    // Every change's marker is due 800 ms after it; give up 20 s after the feed.
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        const bool fed = !feed.isActive();
        if ((fed && model.clears.size() >= changes.size()) || bench::nowNs() - start > 21000000000LL)
            loop.quit();
    });
    check.start(5);
    loop.exec();
    const double wall = double(bench::nowNs() - start);
    const double cpuPercent = 100.0 * double(bench::threadCpuNs() - cpu) / wall;

    // Every marker lasts the same, so the k-th clear ends the k-th change's.
    QVector<double> late;
    for (int k = 0; k < std::min(changes.size(), model.clears.size()); ++k)
        late.append(double(model.clears.at(k) - changes.at(k) - MarkerNs) / 1e6);
    std::sort(late.begin(), late.end());
    const double feedSeconds = 1.0;
    return {double(changes.size()) / feedSeconds, late.isEmpty() ? 0 : late.at(late.size() / 2),
            late.isEmpty() ? 0 : late.last(), cpuPercent, int(changes.size() - late.size())};
}

// A 40-strike chain of 510050 for one expiry, calls and puts, in the
// option-contract and securities caches.
QVector<QByteArray> prepareChain(HostContext &host)
{
    QVector<QVector<QVariant>> contracts;
    QVector<QVector<QVariant>> securities {{QStringLiteral("1510050"), QStringLiteral("1"), QStringLiteral("510050"),
                                            QStringLiteral("50ETF"), QStringLiteral("4"), 0.001}};
    QVector<QByteArray> codes;
    for (int strike = 0; strike < 40; ++strike) {
        for (const bool call : {true, false}) {
            const QString code = QStringLiteral("1000%1%2").arg(call ? 0 : 1).arg(strike, 3, 10, QLatin1Char('0'));
            const QString price = QString::number(2.0 + strike * 0.05, 'f', 3);
            contracts.append({QStringLiteral("1510050"), 20261223, price, call ? QStringLiteral("C") : QStringLiteral("P"), 20261223,
                              QStringLiteral("5") + code, code, QStringLiteral("5"), QStringLiteral("50ETF%1").arg(code)});
            securities.append({QStringLiteral("5") + code, QStringLiteral("5"), code, QStringLiteral("50ETF%1").arg(code),
                               QStringLiteral("S"), 0.0001});
            codes.append(code.toLatin1());
        }
    }
    auto *options = new VCacheItem(QStringLiteral("600570"));
    options->load({QStringLiteral("securityid"), QStringLiteral("expiredate"), QStringLiteral("exerciseprice"),
                   QStringLiteral("callorput"), QStringLiteral("enddate"), QStringLiteral("stkid"),
                   QStringLiteral("stkcode"), QStringLiteral("market"), QStringLiteral("contractname")},
                  contracts);
    auto *stocks = new VCacheItem(VCacheMgr::StockCacheName);
    stocks->load({QStringLiteral("stkid"), QStringLiteral("market"), QStringLiteral("stkcode"),
                  QStringLiteral("stkname"), QStringLiteral("stktype"), QStringLiteral("priceunit")},
                 securities);
    host.cacheMgr()->addCache(options);
    host.cacheMgr()->addCache(stocks);
    host.dataDict()->setItem(QStringLiteral("4"), QStringLiteral("1"), QStringLiteral("上交所"));
    return codes;
}

// The quotes of the chain's contracts and of the underlying, in turn;
// option prices a tenth of the generic quote's.
bench::PacedFeed::Fill chainQuotes(const QVector<QByteArray> &codes)
{
    return [codes](quint64 sequence, VQuotData &record) {
        const int n = codes.size() + 1;
        const int i = bench::spread(sequence, n);
        const quint64 round = sequence / quint64(n);
        if (i == codes.size()) {
            record = bench::quote('1', "510050", round);
            return;
        }
        record = bench::quote('5', codes.at(i), round);
        record.lastPrice /= 10.0;
        record.preClosingPrice /= 10.0;
        record.priceChange /= 10.0;
    };
}

// The option board shown at 1280x800 with the 50ETF chain's first month,
// restoring the scene of its configuration group when it has one.
IComponent *showBoard(IModule *module, const QString &group = QString())
{
    IComponent *board = module->createComponent(nullptr, QStringLiteral("BCStoQuot"), QStringLiteral("bench"), nullptr);
    if (!group.isEmpty()) {
        board->setComCfgGroup(group);
        board->restoreScene();
    }
    board->resize(1280, 800);
    board->show();
    auto *underlyings = board->findChild<QComboBox *>(QStringLiteral("cbTargetStk"));
    underlyings->setCurrentIndex(underlyings->findData(QStringLiteral("1510050")));
    board->findChild<QComboBox *>(QStringLiteral("cbAllExpireDate"))->setCurrentIndex(0);
    bench::runFor(200);
    return board;
}

// The board on its combined page, measured and freed.
bench::Shown measureBoard(IModule *module, VQuotMgr *quotes, const QVector<QByteArray> &codes, double rate, int ms)
{
    IComponent *board = showBoard(module);
    auto *calls = board->findChild<QTableView *>(QStringLiteral("tbvAllCall"));
    auto *puts = board->findChild<QTableView *>(QStringLiteral("tbvAllPut"));
    if (!calls || !puts || calls->model()->rowCount() != 40) {
        std::printf("the combined page does not show 40 strikes\n");
        std::exit(1);
    }
    bench::LatencyProbe probe(quotes);
    for (QTableView *table : {calls, puts})
        probe.watch(table->viewport(),
                    bench::datasetCellsInView(table, QStringLiteral("stkcode"), QStringLiteral("lastprice")));
    const bench::Shown shown = bench::measureShown(quotes, calls->viewport(), probe, rate, chainQuotes(codes), ms);
    module->freeComponent(board);
    return shown;
}

// The plain table of the chain and the underlying, or with markerMs the
// naive board; measured and freed.
bench::Shown measurePlain(VQuotMgr *quotes, const QVector<QByteArray> &codes, double rate, int ms, int markerMs)
{
    QVector<bench::PlainQuoteTable::Security> securities;
    for (const QByteArray &code : codes)
        securities.append({'5', code, QStringLiteral("50ETF%1").arg(QString::fromLatin1(code))});
    securities.append({'1', "510050", QStringLiteral("50ETF")});
    bench::PlainQuoteTable table(securities, bench::quoteHeaders(), bench::quoteTexts(4), markerMs);
    bench::runFor(200);
    bench::LatencyProbe probe(quotes);
    probe.watch(table.view()->viewport(), table.cellsInView());
    return bench::measureShown(quotes, table.view()->viewport(), probe, rate, chainQuotes(codes), ms);
}

void runBoard(HostContext &host, IModule *module, const QVector<QByteArray> &codes, int ms, int rounds)
{
    VQuotMgr *quotes = host.quotMgr();

    std::printf("\nboard: 40 strikes shown at 1280x800, quotes of the 80 contracts and the underlying offered in turn"
                " from a feed thread; %d ms per measurement after %d ms of warm-up, medians of %d interleaved rounds;"
                " paints: the calls table's\n",
                ms, bench::WarmUpMs, rounds);
    bench::printMachine();
    bench::printShownHeader("offered rec/s", "tarn", "plain table");
    std::vector<bench::Shown> naiveTarn;
    std::vector<bench::Shown> naive;
    for (const double rate : {1000.0, 10000.0, NaiveRate, 50000.0}) {
        std::vector<std::function<bench::Shown()>> sides {[&] { return measureBoard(module, quotes, codes, rate, ms); },
                                                          [&] { return measurePlain(quotes, codes, rate, ms, 0); }};
        if (rate == NaiveRate)
            sides.push_back([&] { return measurePlain(quotes, codes, rate, ms, int(MarkerNs / 1000000)); });
        const auto figures = bench::interleaved(quotes, rounds, sides);
        bench::printShownRow(QString::number(rate, 'f', 0), figures[0], figures[1]);
        if (figures.size() > 2) {
            naiveTarn = figures[0];
            naive = figures[2];
        }
    }
    std::printf("\nthe naive board (the plain table with an 800 ms single-shot timer per changed cell), same rounds\n");
    bench::printShownHeader("offered rec/s", "tarn", "naive board");
    bench::printShownRow(QString::number(NaiveRate, 'f', 0), naiveTarn, naive);
}

// A contract of the analytics' chain priced at its intrinsic value and a
// time value that falls away from the money, with the underlying at spot.
double analyticsPrice(bool call, int strike, double spot)
{
    const double k = 2.0 + strike * 0.05;
    const double moneyness = (k - spot) / 0.4;
    return std::max(0.0, call ? spot - k : k - spot) + 0.002 + 0.08 * std::exp(-moneyness * moneyness);
}

// The quotes of the chain's contracts and of the underlying, in turn: the
// underlying moves about 3, each contract is quoted a tick either side of
// its price.
bench::PacedFeed::Fill analyticsQuotes(const QVector<QByteArray> &codes)
{
    return [codes](quint64 sequence, VQuotData &record) {
        const int n = codes.size() + 1;
        const int i = bench::spread(sequence, n);
        const quint64 round = sequence / quint64(n);
        const double spot = 3.0 + double(int(round % 200) - 100) * 0.001;
        if (i == codes.size()) {
            record = bench::quote('1', "510050", round);
            record.lastPrice = spot;
            return;
        }
        record = bench::quote('5', codes.at(i), round);
        const double price = analyticsPrice(i % 2 == 0, i / 2, spot);
        record.lastPrice = price;
        record.preClosingPrice = price;
        record.bidPrice[0] = price - 0.0001;
        record.askPrice[0] = price + 0.0001;
    };
}

// The board on the chain with every analytic column, the smile and the
// term structure shown, or none (through its scene), offered rate records
// a second; measured and freed. rows, when given, takes the rows worked out
// a second.
bench::Shown measureAnalytics(IModule *module, HostContext &host, const QVector<QByteArray> &codes, bool shown,
                              double rate, int ms, std::vector<double> *rows = nullptr)
{
    const QString group = QStringLiteral("bench");
    QHash<QString, QVariant> scene;
    for (const char *key : {"ShowImpliedVolatility", "ShowDelta", "ShowGamma", "ShowVega", "ShowTheta",
                            "ShowIntrinsicValue", "ShowTimeValue", "ShowSmile", "ShowTermStructure"})
        scene.insert(QLatin1String(key), shown);
    host.config()->cfgLocalDb()->setCfgParam(group, scene, true);
    IComponent *board = showBoard(module, group);
    const ChainAnalytics *analytics = board->findChild<ChainAnalytics *>();
    auto *calls = board->findChild<QTableView *>(QStringLiteral("tbvAllCall"));
    auto *puts = board->findChild<QTableView *>(QStringLiteral("tbvAllPut"));
    bench::LatencyProbe probe(host.quotMgr());
    for (QTableView *table : {calls, puts})
        probe.watch(table->viewport(),
                    bench::datasetCellsInView(table, QStringLiteral("stkcode"), QStringLiteral("lastprice")));
    const quint64 worked = analytics->evaluations();
    const bench::Shown figures
        = bench::measureShown(host.quotMgr(), calls->viewport(), probe, rate, analyticsQuotes(codes), ms);
    // Over the warm-up and the window.
    if (rows)
        rows->push_back(double(analytics->evaluations() - worked) / (figures.load.seconds + bench::WarmUpMs / 1000.0));
    module->freeComponent(board);
    return figures;
}

// Implied-volatility solves a second of the thread, on a chain of 40
// strikes a side with the underlying moving, for ms of its CPU time.
double solvesPerSecond(int ms)
{
    quint64 solves = 0;
    quint64 round = 0;
    const qint64 start = bench::threadCpuNs();
    while (bench::threadCpuNs() - start < qint64(ms) * 1000000) {
        const double spot = 3.0 + double(int(round++ % 200) - 100) * 0.001;
        for (int strike = 0; strike < 40; ++strike) {
            for (const bool call : {true, false}) {
                const OptionInputs inputs {call, 2.0 + strike * 0.05, spot, analyticsPrice(call, strike, spot),
                                           18 / 365.0, 0.015};
                solves += OptionAnalytics::evaluate(inputs).status == OptionFigures::Solved;
            }
        }
    }
    return double(solves) * 1e9 / double(bench::threadCpuNs() - start);
}

void runAnalytics(HostContext &host, IModule *module, const QVector<QByteArray> &codes, int ms, int rounds)
{

    std::printf("\nanalytics: 40 strikes shown at 1280x800, records offered in turn from a feed thread; %d ms"
                " per measurement after %d ms of warm-up, medians of %d interleaved rounds; paints: the calls table's\n",
                ms, bench::WarmUpMs, rounds);
    bench::printMachine();
    bench::printShownHeader("offered rec/s", "without analytics", "every analytic, the smile, the term structure");
    std::vector<double> rows;
    for (const double rate : {20000.0, 1000.0}) {
        const auto figures = bench::interleaved(
            host.quotMgr(), rounds,
            {[&] { return measureAnalytics(module, host, codes, false, rate, ms); },
             [&] { return measureAnalytics(module, host, codes, true, rate, ms, rate > 1000 ? &rows : nullptr); }});
        bench::printShownRow(QString::number(rate, 'f', 0), figures[0], figures[1]);
    }
    std::printf("rows worked out with the analytics shown at 20000 rec/s: %.0f/s (median; each one implied-volatility"
                " solve)\n",
                bench::quantile(rows, 0.5));
    std::printf("implied-volatility solves on one core: %.0f/s\n", solvesPerSecond(2000));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bench::ShownArgs shown = bench::shownArgs(args);
    const int ms = shown.ms, rounds = shown.rounds;
    const QString part = args.value(3);
    bench::logAsTheClient();
    const bool analytics = part == QLatin1String("analytics");
    if (!analytics && part != QLatin1String("board")) {
        std::printf("bench_stoquot: markers ending 800 ms after each change; one second of changes each\n");
        std::printf("%9s | %-41s | %-41s\n", "", "one timer, a queue of deadlines", "a Qt timer per change");
        std::printf("%9s | %9s %9s %9s %7s %3s | %9s %9s %9s %7s %3s\n", "offered/s", "fed/s", "late p50", "late max",
                    "CPU", "!", "fed/s", "late p50", "late max", "CPU", "!");
        for (const double rate : {1000.0, 30000.0, 100000.0}) {
            const MarkerFigures queue = runMarkers<VSQTableModel>(rate);
            const MarkerFigures timers = runMarkers<TimerPerChangeModel>(rate);
            std::printf("%9.0f | %9.0f %7.1fms %7.1fms %6.1f%% %3d | %9.0f %7.1fms %7.1fms %6.1f%% %3d\n", rate,
                        queue.achievedRate, queue.medianLateMs, queue.worstLateMs, queue.cpuPercent, queue.uncleared,
                        timers.achievedRate, timers.medianLateMs, timers.worstLateMs, timers.cpuPercent,
                        timers.uncleared);
            std::fflush(stdout);
        }
        std::printf("(fed/s: changes made in the second; !: markers not ended 20 s after the feed)\n");
    }
    if (part == QLatin1String("markers"))
        return 0;
    QTemporaryDir dir;
    HostContext::Options options;
    options.configDbPath = dir.filePath(QStringLiteral("config.db"));
    options.sysDate = 20261205;
    HostContext host(options);
    const QVector<QByteArray> codes = prepareChain(host);
    IModule *module = LoadBizModule(&host);
    if (analytics)
        runAnalytics(host, module, codes, ms, rounds);
    else
        runBoard(host, module, codes, ms, rounds);
    UnloadBizModule();
    return 0;
}

#include "bench_stoquot.moc"
