// The watchlist with long lists: start-up (subscribing every security of
// every group), a switch to another group, and the cost of one quote record
// through the quote manager, for a security of the shown group and for one of
// a hidden group. The per-record cost should not grow with the lists.
//
// Then the watchlist shown at 1280x800 under a live feed: a feed thread
// posts records of one group's securities through the quote manager, and
// the GUI thread's CPU, the paints of the table and the quote latency (post
// to a probe subscriber's slot, called right after the watchlist's) are
// measured beside a plain QTableView over a QStandardItemModel fed the same
// way, one setData per changed cell.
//
//   bench_optionalstk [records] [seconds per shown measurement]

#include "benchutil.h"

#include <optionalstk/stkmodel.h>

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
#include <vquotsubscriber.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

// Records how long each record took from its post() to this slot.
class Probe : public QObject
{
    Q_OBJECT
public:
    explicit Probe(const QVector<QByteArray> &codes);
    std::vector<qint64> latencies;

public slots:
    void doRecvSubscribeQuot(VQuotData *record);

private:
    VQuotSubscriber m_subscriber;
};

// The baseline: a plain QTableView over a QStandardItemModel with the
// watchlist's columns, one row per security, and one setData per quote cell
// whose text changed. The texts are the watchlist's own (signs, 万 and 亿),
// formatted by a StkModel over a one-row scratch list, so both tables draw
// the same glyphs.
class PlainTable : public QObject
{
    Q_OBJECT
public:
    explicit PlainTable(const QVector<QByteArray> &codes);
    QTableView *view() { return &m_view; }

public slots:
    void doRecvSubscribeQuot(VQuotData *record);

private:
    QStandardItemModel m_model;
    QTableView m_view;
    QList<StkModel::Row> m_scratch;
    StkModel m_texts;
    QHash<QByteArray, int> m_rows;
    VQuotSubscriber m_subscriber;
};

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
                     QStringLiteral("证券%1").arg(i), QStringLiteral("0")});
    stocks->load({QStringLiteral("stkid"), QStringLiteral("market"), QStringLiteral("stkcode"),
                  QStringLiteral("stkname"), QStringLiteral("stktype")},
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

// Mean nanoseconds per record for the securities of one group: first, first + Groups, …
double deliver(VQuotMgr *quotes, int first, int n, int records)
{
    VQuotData record {};
    record.status = 1;
    record.market = Market;
    QElapsedTimer timer;
    timer.start();
    for (int r = 0; r < records; ++r) {
        record.setCode(stockCode((first + Groups * r) % n));
        record.lastPrice = 10.0 + r % 100 * 0.01;
        quotes->deliver(record);
    }
    return double(timer.nsecsElapsed()) / records;
}

void subscribeAll(VQuotSubscriber &subscriber, QObject *receiver, const QVector<QByteArray> &codes)
{
    subscriber.setRecvSlot(receiver, "1doRecvSubscribeQuot(VQuotData*)");
    for (const QByteArray &code : codes)
        subscriber.addProduct(Market, QString::fromLatin1(code));
    subscriber.subscribe();
}

// The q-quantile of the samples in microseconds, reordering them.
double quantileUs(std::vector<qint64> &samples, double q)
{
    if (samples.empty())
        return 0;
    const auto nth = samples.begin() + qint64(q * double(samples.size() - 1));
    std::nth_element(samples.begin(), nth, samples.end());
    return *nth / 1000.0;
}

struct Shown
{
    bench::GuiLoad load;
    double p50Us;
    double p99Us;
};

// Feeds the securities round-robin at rate records a second for ms
// milliseconds (after a short warm-up) while a shown table receives them.
Shown measureShown(VQuotMgr *quotes, QTableView *view, const QVector<QByteArray> &codes, double rate, int ms)
{
    bench::runFor(200); // first layout and paint of the shown table
    Probe probe(codes); // subscribed after the table's receiver, so it is called after it
    const quint64 n = quint64(codes.size());
    bench::PacedFeed feed(quotes, rate, [&codes, n](quint64 sequence, VQuotData &record) {
        record = bench::quote(Market, codes.at(int(sequence % n)), sequence / n);
    });
    feed.start();
    bench::runFor(300);
    probe.latencies.clear();
    const bench::GuiLoad load = bench::measureFor(view->viewport(), ms);
    std::vector<qint64> latencies = std::exchange(probe.latencies, {});
    feed.stop();
    while (quotes->queuedCount() > 0)
        QCoreApplication::processEvents();
    return {load, quantileUs(latencies, 0.5), quantileUs(latencies, 0.99)};
}

QTableView *shownView(QWidget *component)
{
    for (QTableView *view : component->findChildren<QTableView *>()) {
        if (view->isVisible())
            return view;
    }
    return nullptr;
}

const int Rounds = 3;

void shownRuns(int ms)
{
    std::printf("\nshown at 1280x800, one group, records posted every 1 ms from a feed thread, %d ms per measurement,"
                " medians of %d interleaved rounds\n",
                ms, Rounds);
    // area/s: the share of the table's area painted per second (1.0: one whole repaint).
    std::printf("%10s %10s %9s %9s %9s %9s %8s %8s %19s %19s\n", "securities", "records/s", "tarn CPU", "plain CPU",
                "tarn p/s", "plain p/s", "tarn a/s", "plain a/s", "tarn p50/p99 us", "plain p50/p99 us");
    for (int n : {300, 3000}) {
        QTemporaryDir dir;
        HostContext::Options options;
        options.configDbPath = dir.filePath(QStringLiteral("config.db"));
        HostContext host(options);
        prepare(host, n, 1);
        IModule *module = LoadBizModule(&host);
        QVector<QByteArray> codes;
        for (int i = 0; i < n; ++i)
            codes.append(stockCode(i));

        for (double rate : {1000.0, 10000.0, 50000.0}) {
            // Interleaved rounds, each figure the median of its rounds: the
            // machine's load drifts between measurements.
            std::vector<Shown> tarn;
            std::vector<Shown> plain;
            for (int round = 0; round < Rounds; ++round) {
                IComponent *watchlist = module->createComponent(nullptr, QStringLiteral("BCOptionalStk"),
                                                                QStringLiteral("shown"), nullptr);
                watchlist->resize(1280, 800);
                watchlist->show();
                QCoreApplication::processEvents();
                QTableView *view = shownView(watchlist);
                if (!view) {
                    std::printf("no shown table in the watchlist\n");
                    return;
                }
                tarn.push_back(measureShown(host.quotMgr(), view, codes, rate, ms));
                module->freeComponent(watchlist);

                PlainTable table(codes);
                plain.push_back(measureShown(host.quotMgr(), table.view(), codes, rate, ms));
            }
            auto median = [](std::vector<Shown> rounds, auto figure) {
                std::vector<double> values;
                for (const Shown &shown : rounds)
                    values.push_back(figure(shown));
                std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
                return values[values.size() / 2];
            };
            auto cpu = [](const Shown &s) { return s.load.cpuPercent; };
            auto paints = [](const Shown &s) { return s.load.paintsPerSecond; };
            auto share = [](const Shown &s) { return s.load.paintedShare; };
            auto p50 = [](const Shown &s) { return s.p50Us; };
            auto p99 = [](const Shown &s) { return s.p99Us; };
            std::printf("%10d %10.0f %8.1f%% %8.1f%% %9.1f %9.1f %8.1f %8.1f %9.0f/%-9.0f %9.0f/%-9.0f\n", n, rate,
                        median(tarn, cpu), median(plain, cpu), median(tarn, paints), median(plain, paints),
                        median(tarn, share), median(plain, share), median(tarn, p50), median(tarn, p99),
                        median(plain, p50), median(plain, p99));
            std::fflush(stdout);
        }
        UnloadBizModule();
    }
}

} // namespace

Probe::Probe(const QVector<QByteArray> &codes)
    : m_subscriber(nullptr, QStringLiteral("probe"))
{
    subscribeAll(m_subscriber, this, codes);
}

void Probe::doRecvSubscribeQuot(VQuotData *record)
{
    latencies.push_back(bench::nowNs() - record->preOpenInterest);
}

PlainTable::PlainTable(const QVector<QByteArray> &codes)
    : m_model(codes.size(), StkModel::ColumnCount)
    , m_subscriber(nullptr, QStringLiteral("plain"))
{
    m_model.setHorizontalHeaderLabels(StkModel::headerLabels());
    m_scratch.append(StkModel::Row());
    for (int column = 0; column < StkModel::ColumnCount; ++column)
        m_scratch.first().append(QString());
    m_texts.setHorizontalHeaderLabels(StkModel::headerLabels());
    m_texts.setRowSource(&m_scratch);
    for (int row = 0; row < codes.size(); ++row) {
        const QString code = QString::fromLatin1(codes.at(row));
        m_rows.insert(codes.at(row), row);
        for (int column = 0; column < StkModel::ColumnCount; ++column)
            m_model.setItem(row, column, new QStandardItem());
        m_model.item(row, StkModel::Market)->setText(QString(QLatin1Char(Market)));
        m_model.item(row, StkModel::StkId)->setText(QLatin1Char(Market) + code);
        m_model.item(row, StkModel::Code)->setText(code);
        m_model.item(row, StkModel::Name)->setText(QStringLiteral("证券%1").arg(row));
    }
    m_view.setModel(&m_model);
    m_view.resize(1280, 800);
    m_view.show();
    subscribeAll(m_subscriber, this, codes);
}

// The watchlist's quote columns, Last to LimitDown, as it formats them.
void PlainTable::doRecvSubscribeQuot(VQuotData *record)
{
    const int row = m_rows.value(record->codeText(), -1);
    if (row < 0)
        return;
    const double values[] = {record->lastPrice,     record->priceChangeRatio * 100.0, record->priceChange,
                             double(record->matchQuantity), record->bidPrice[0], record->askPrice[0],
                             record->matchAmount,   record->highPrice,  record->lowPrice,
                             record->openingPrice,  record->preClosingPrice, record->highLimitPrice,
                             record->lowLimitPrice};
    QStringList texts;
    for (double value : values)
        texts << QString::number(value, 'f', 2);
    StkModel::Row &scratch = m_scratch.first();
    for (int i = 0; i < texts.size(); ++i)
        scratch[StkModel::Last + i] = texts.at(i);
    for (int i = 0; i < texts.size(); ++i) {
        const QString text = m_texts.index(0, StkModel::Last + i).data().toString();
        const QModelIndex cell = m_model.index(row, StkModel::Last + i);
        if (m_model.itemFromIndex(cell)->text() != text)
            m_model.setData(cell, text);
    }
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int records = args.size() > 1 ? qMax(1, args.at(1).toInt()) : 20000;
    const int shownMs = args.size() > 2 ? qMax(1, args.at(2).toInt()) * 1000 : 3000;
    VLog::setFileLogging(false);

    std::printf("bench_optionalstk: %d groups, %d records per measurement\n", Groups, records);
    std::printf("%10s %12s %12s %16s %16s\n", "securities", "start-up ms", "switch ms", "shown ns/record",
                "hidden ns/record");
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
        std::fflush(stdout);
        UnloadBizModule();
    }
    shownRuns(shownMs);
    return 0;
}

#include "bench_optionalstk.moc"
