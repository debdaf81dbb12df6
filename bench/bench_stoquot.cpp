// The option board under load, in two parts.
//
// Markers: a changed cell's marker is cleared 800 ms after the change. The
// option table model serves every deadline from one timer and a queue;
// beside it, the same model with one Qt timer per change (a timer id → cell
// map, each timer killed when it fires). For 1,000, 30,000 and 100,000
// changes a second, fed for one second from a 1 ms timer on the GUI thread
// into a dataset of 80 rows × 10 prices: how late each marker is cleared
// (median and worst, after its 800 ms), the changes the feed managed a
// second, and the GUI thread's CPU from the first change to the last clear.
//
// Board: the option board shown offscreen at 1280x800 with a 40-strike
// chain (80 contracts on the combined page) and the underlying, quotes of
// all 81 offered round-robin at 20,000 records a second from a feed thread:
// the GUI thread's CPU, the window's frames a second (its backing store
// flushes) and the paints of the busiest table.
//
//   bench_stoquot [seconds of the board's measurement] [markers|board]

#include "benchutil.h"

#include <hostcontext.h>
#include <icomponent.h>
#include <imodule.h>
#include <stoquot/vsqtablemodel.h>
#include <tarn.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vdatadict.h>
#include <vdataset.h>
#include <vlogsink.h>
#include <vquotmgr.h>

#include <QApplication>
#include <QComboBox>
#include <QLoggingCategory>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimerEvent>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int Rows = 80;
constexpr int Prices = 10;
constexpr qint64 MarkerNs = 800000000;

// Records when a marker is cleared (setData of an invalid background).
template <typename Base>
class Clocked : public Base
{
public:
    using Base::Base;
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
    VDataset dataset;
    dataset.setBusiness(false);
    for (int field = 0; field < Prices; ++field)
        dataset.addField(QStringLiteral("price%1").arg(field), QStringLiteral("价%1").arg(field), vd::DT_Double, 33, 9);
    dataset.open();
    for (int row = 0; row < Rows; ++row)
        dataset.append();
    Clocked<Model> model;
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
            dataset.setFieldValue(cell / Prices, cell % Prices, double(n));
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
                                            QStringLiteral("50ETF")}};
    QVector<QByteArray> codes;
    for (int strike = 0; strike < 40; ++strike) {
        for (const bool call : {true, false}) {
            const QString code = QStringLiteral("1000%1%2").arg(call ? 0 : 1).arg(strike, 3, 10, QLatin1Char('0'));
            const QString price = QString::number(2.0 + strike * 0.05, 'f', 3);
            contracts.append({QStringLiteral("1510050"), 20261223, price, call ? QStringLiteral("C") : QStringLiteral("P"), 20261223,
                              QStringLiteral("5") + code, code, QStringLiteral("5"), QStringLiteral("50ETF%1").arg(code)});
            securities.append({QStringLiteral("5") + code, QStringLiteral("5"), code, QStringLiteral("50ETF%1").arg(code)});
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
                  QStringLiteral("stkname")},
                 securities);
    host.cacheMgr()->addCache(options);
    host.cacheMgr()->addCache(stocks);
    host.dataDict()->setItem(QStringLiteral("4"), QStringLiteral("1"), QStringLiteral("上交所"));
    return codes;
}

// Counts a window's backing-store flushes.
class FrameCounter : public QObject
{
public:
    explicit FrameCounter(QObject *window) { window->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::UpdateRequest)
            ++count;
        return false;
    }
    int count = 0;
};

int runBoard(int ms)
{
    QTemporaryDir dir;
    HostContext::Options options;
    options.configDbPath = dir.filePath(QStringLiteral("config.db"));
    options.sysDate = 20261205;
    HostContext host(options);
    const QVector<QByteArray> codes = prepareChain(host);
    IModule *module = LoadBizModule(&host);
    IComponent *board = module->createComponent(nullptr, QStringLiteral("BCStoQuot"), QStringLiteral("bench"), nullptr);
    board->resize(1280, 800);
    board->show();
    auto *underlyings = board->findChild<QComboBox *>(QStringLiteral("cbTargetStk"));
    underlyings->setCurrentIndex(underlyings->findData(QStringLiteral("1510050")));
    board->findChild<QComboBox *>(QStringLiteral("cbAllExpireDate"))->setCurrentIndex(0);
    bench::runFor(200);
    auto *calls = board->findChild<QTableView *>(QStringLiteral("tbvAllCall"));
    if (calls->model()->rowCount() != 40) {
        std::printf("the combined page does not show 40 strikes\n");
        return 1;
    }

    const quint64 n = quint64(codes.size()) + 1;
    bench::PacedFeed feed(host.quotMgr(), 20000, [&codes, n](quint64 sequence, VQuotData &record) {
        const quint64 i = sequence % n;
        record = i == quint64(codes.size()) ? bench::quote('1', "510050", sequence / n)
                                              : bench::quote('5', codes.at(int(i)), sequence / n);
        // Option prices: a tenth of the generic quote's.
        record.lastPrice /= 10.0;
        record.preClosingPrice /= 10.0;
        record.priceChange /= 10.0;
    });
    feed.start();
    bench::runFor(1000);
    FrameCounter frames(board);
    QVector<bench::PaintCounter *> paints;
    for (const char *name : {"tbvAllCall", "tbvAllExercisePrice", "tbvAllPut"})
        paints.append(new bench::PaintCounter(board->findChild<QTableView *>(QLatin1String(name))->viewport()));
    const quint64 records = host.quotMgr()->recordCount();
    const qint64 start = bench::nowNs();
    const bench::GuiLoad load = bench::measureFor(board, ms);
    const double seconds = double(bench::nowNs() - start) / 1e9;
    const double delivered = double(host.quotMgr()->recordCount() - records) / seconds;
    int busiest = 0;
    for (bench::PaintCounter *counter : paints)
        busiest = std::max(busiest, counter->count);
    qDeleteAll(paints);
    feed.stop();
    while (host.quotMgr()->queuedCount() > 0)
        QCoreApplication::processEvents();

    std::printf("\nboard: 40 strikes shown at 1280x800, 20000 records/s offered, %d ms\n", ms);
    std::printf("%10s %12s %14s %12s\n", "GUI CPU", "frames/s", "table paint/s", "records/s");
    std::printf("%9.1f%% %12.1f %14.1f %12.0f\n", load.cpuPercent, frames.count / seconds, busiest / seconds, delivered);
    module->freeComponent(board);
    UnloadBizModule();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int ms = args.size() > 1 ? qMax(1, args.at(1).toInt()) * 1000 : 10000;
    QLoggingCategory::setFilterRules(QStringLiteral("vexa.log.info=false"));
    VLog::setFileLogging(false);
    const QString part = args.value(2);
    if (part == QLatin1String("board"))
        return runBoard(ms);

    std::printf("bench_stoquot: markers cleared 800 ms after each change; one second of changes each\n");
    std::printf("%9s | %-41s | %-41s\n", "", "one timer, a queue of deadlines", "a Qt timer per change");
    std::printf("%9s | %9s %9s %9s %7s %3s | %9s %9s %9s %7s %3s\n", "offered/s", "fed/s", "late p50", "late max",
                "CPU", "!", "fed/s", "late p50", "late max", "CPU", "!");
    for (const double rate : {1000.0, 30000.0, 100000.0}) {
        const MarkerFigures queue = runMarkers<VSQTableModel>(rate);
        const MarkerFigures timers = runMarkers<TimerPerChangeModel>(rate);
        std::printf("%9.0f | %9.0f %7.1fms %7.1fms %6.1f%% %3d | %9.0f %7.1fms %7.1fms %6.1f%% %3d\n", rate,
                    queue.achievedRate, queue.medianLateMs, queue.worstLateMs, queue.cpuPercent, queue.uncleared,
                    timers.achievedRate, timers.medianLateMs, timers.worstLateMs, timers.cpuPercent, timers.uncleared);
        std::fflush(stdout);
    }
    std::printf("(fed/s: changes made in the second; !: markers not cleared 20 s after the feed)\n");
    return part == QLatin1String("markers") ? 0 : runBoard(ms);
}

#include "bench_stoquot.moc"
