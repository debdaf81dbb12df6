// The futures quote board shown at 1280x800 with every contract of the
// Shanghai exchange checked, while a feed thread offers quotes for all of
// them, 50,000 records a second in total. The board subscribes only the rows
// in view, so the quote manager drops the rest. Beside it, a naive board: a
// QTableView over a QStandardItemModel subscribed to every contract, one
// setData per changed cell and one single-shot timer per change to end the
// cell's flash. For each: the GUI thread's CPU, the paints of the table, the
// records delivered a second, and the resident memory over the run.
// Qt keeps a thread's timers in one list that every single-shot timer walks
// when it fires, so the naive board falls behind and its measurement ends
// late (and the run lasts minutes); its figures are rates over the real
// length, which is printed.
//
//   bench_ftquotpanel [seconds] [tarn]    (tarn: the board alone, for long runs)

#include "benchutil.h"

#include <hostcontext.h>
#include <icomponent.h>
#include <imodule.h>
#include <tarn.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vdatadict.h>
#include <vlocaldb.h>
#include <vlogsink.h>
#include <vquotdata.h>
#include <vquotmgr.h>
#include <vquotsubscriber.h>

#include <QApplication>
#include <QColor>
#include <QLoggingCategory>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <malloc.h>

namespace {

const char Market = 'H';
const int PerProduct = 20;
const double Rate = 50000;
const int BusinessDate = 20261205;

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
        stocks.append({id, QString(QLatin1Char(Market)), code, QStringLiteral("合约%1").arg(code), QStringLiteral("Q")});
    }
    auto *contractCache = new VCacheItem(QStringLiteral("851101"));
    contractCache->load({QStringLiteral("stkid"), QStringLiteral("market"), QStringLiteral("productid"),
                         QStringLiteral("expiredate"), QStringLiteral("stkcode"), QStringLiteral("convertunit")},
                        contracts);
    auto *stockCache = new VCacheItem(VCacheMgr::StockCacheName);
    stockCache->load({QStringLiteral("stkid"), QStringLiteral("market"), QStringLiteral("stkcode"),
                      QStringLiteral("stkname"), QStringLiteral("stktype")},
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

// The naive board: the futures board's columns, one row per contract, every
// contract subscribed. A changed cell gets setData, a flash background and
// its own 600 ms single-shot timer that clears it.
class NaiveBoard : public QObject
{
    Q_OBJECT
public:
    explicit NaiveBoard(const QVector<QByteArray> &codes);
    QTableView *view() { return &m_view; }

public slots:
    void doRecvSubscribeQuot(VQuotData *record);

private:
    QStandardItemModel m_model;
    QTableView m_view;
    QHash<QByteArray, int> m_rows;
    VQuotSubscriber m_subscriber;
};

// Columns of the naive board: the board's leading four, then its quotes.
const int FirstQuoteColumn = 4;

NaiveBoard::NaiveBoard(const QVector<QByteArray> &codes)
    : m_model(codes.size(), 0)
    , m_subscriber(nullptr, QStringLiteral("naive"))
{
    m_model.setHorizontalHeaderLabels({QStringLiteral("订阅"), QStringLiteral("产品"), QStringLiteral("合约代码"),
                                       QStringLiteral("合约名称"), QStringLiteral("最新价"), QStringLiteral("涨跌↑↓"),
                                       QStringLiteral("涨跌幅(%)"), QStringLiteral("买价"), QStringLiteral("买量"),
                                       QStringLiteral("卖价"), QStringLiteral("卖量"), QStringLiteral("成交量"),
                                       QStringLiteral("今开盘"), QStringLiteral("昨结算"), QStringLiteral("最高价"),
                                       QStringLiteral("最低价"), QStringLiteral("持仓量"), QStringLiteral("合约乘数")});
    m_subscriber.setRecvSlot(this, "1doRecvSubscribeQuot(VQuotData*)");
    for (int row = 0; row < codes.size(); ++row) {
        const QString code = QString::fromLatin1(codes.at(row));
        m_rows.insert(codes.at(row), row);
        m_model.setData(m_model.index(row, 0), QStringLiteral("+"));
        m_model.setData(m_model.index(row, 1), QStringLiteral("品种%1").arg(row / PerProduct));
        m_model.setData(m_model.index(row, 2), code);
        m_model.setData(m_model.index(row, 3), QStringLiteral("合约%1").arg(code));
        m_model.setData(m_model.index(row, m_model.columnCount() - 1), 10);
        m_subscriber.addProduct(Market, code);
    }
    m_view.setModel(&m_model);
    m_view.resize(1280, 800);
    m_view.show();
    m_subscriber.subscribe();
}

void NaiveBoard::doRecvSubscribeQuot(VQuotData *record)
{
    const int row = m_rows.value(record->codeText(), -1);
    if (row < 0)
        return;
    // The quote columns in order, as the futures board fills them.
    const QVariant values[] = {record->lastPrice,
                               record->priceChange,
                               record->priceChangeRatio * 100.0,
                               record->bidPrice[0],
                               uint(record->bidVolume[0]),
                               record->askPrice[0],
                               uint(record->askVolume[0]),
                               qint64(record->matchQuantity),
                               record->openingPrice,
                               record->preSettlementPrice,
                               record->highPrice,
                               record->lowPrice,
                               qint64(record->openInterest)};
    for (int i = 0; i < int(std::size(values)); ++i) {
        const int column = FirstQuoteColumn + i;
        const QModelIndex cell = m_model.index(row, column);
        if (cell.data() == values[i])
            continue;
        m_model.setData(cell, values[i]);
        m_model.setData(cell, QColor(207, 227, 250), Qt::BackgroundRole);
        QTimer::singleShot(600, this, [this, row, column] {
            m_model.setData(m_model.index(row, column), QVariant(), Qt::BackgroundRole);
        });
    }
}

struct Figures
{
    bench::GuiLoad load;
    double recordsPerSecond; // delivered by the quote manager
    int subscribed; // contracts the quote manager delivers
    double seconds; // the measurement's length: a loop that falls behind ends it late
    double peakMiB;
    double growthMiB;
};

// Offers quotes of every contract round-robin for a second of warm-up and
// then ms milliseconds of measurement, sampling the resident memory every
// 100 ms.
Figures measure(VQuotMgr *quotes, QTableView *table, const QVector<QByteArray> &codes, int ms)
{
    malloc_trim(0); // what an earlier board freed does not count as resident
    const quint64 n = quint64(codes.size());
    bench::PacedFeed feed(quotes, Rate, [&codes, n](quint64 sequence, VQuotData &record) {
        record = bench::quote(Market, codes.at(int(sequence % n)), sequence / n);
    });
    feed.start();
    bench::runFor(1000);
    const int subscribed = quotes->wantedProducts().size();

    const long first = bench::rssKiB();
    long peak = first;
    long last = first;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        last = bench::rssKiB();
        peak = std::max(peak, last);
    });
    sampler.start(100);
    const quint64 records = quotes->recordCount();
    const qint64 start = bench::nowNs();
    const bench::GuiLoad load = bench::measureFor(table->viewport(), ms);
    const double seconds = double(bench::nowNs() - start) / 1e9;
    const quint64 delivered = quotes->recordCount() - records;
    sampler.stop();

    feed.stop();
    while (quotes->queuedCount() > 0)
        QCoreApplication::processEvents();
    return {load, double(delivered) / seconds, subscribed, seconds, peak / 1024.0, (last - first) / 1024.0};
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int ms = args.size() > 1 ? qMax(1, args.at(1).toInt()) * 1000 : 10000;
    const bool withNaive = args.value(2) != QLatin1String("tarn");
    // As the client runs: no echo of the log on stderr; no log file either.
    QLoggingCategory::setFilterRules(QStringLiteral("vexa.log.info=false"));
    VLog::setFileLogging(false);

    std::printf("bench_ftquotpanel: shown at 1280x800, quotes of every contract offered at %.0f records/s"
                " from a feed thread, 1 s warm-up, %d ms per measurement\n",
                Rate, ms);
    // subs: contracts delivered to the board; rec/s: records delivered a
    // second; peak and grow: resident MiB, highest and last minus first;
    // window: the measurement's real length in seconds.
    std::printf("%9s %9s %9s %9s %9s %9s %11s %11s %9s %9s %10s %10s %12s\n", "contracts", "tarn subs", "tarn CPU",
                "naive CPU", "tarn p/s", "naive p/s", "tarn rec/s", "naive rec/s", "tarn peak", "tarn grow",
                "naive peak", "naive grow", "naive window");
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

        IComponent *board
            = module->createComponent(nullptr, QStringLiteral("BCFtQuotPanel"), QStringLiteral("bench"), nullptr);
        board->resize(1280, 800);
        board->show();
        bench::runFor(200); // first layout and paint
        auto *table = board->findChild<QTableView *>(QStringLiteral("tbSHQH"));
        if (!table || !table->isVisible() || table->model()->rowCount() != n) {
            std::printf("the Shanghai page is not shown with %d rows\n", n);
            return 1;
        }
        const Figures tarn = measure(host.quotMgr(), table, codes, ms);
        module->freeComponent(board);

        Figures naive {};
        if (withNaive) {
            NaiveBoard naiveBoard(codes);
            bench::runFor(200);
            naive = measure(host.quotMgr(), naiveBoard.view(), codes, ms);
        }
        std::printf("%9d %9d %8.1f%% %8.1f%% %9.1f %9.1f %11.0f %11.0f %9.1f %9.1f %10.1f %10.1f %12.1f\n", n,
                    tarn.subscribed, tarn.load.cpuPercent, naive.load.cpuPercent, tarn.load.paintsPerSecond,
                    naive.load.paintsPerSecond, tarn.recordsPerSecond, naive.recordsPerSecond, tarn.peakMiB,
                    tarn.growthMiB, naive.peakMiB, naive.growthMiB, naive.seconds);
        std::fflush(stdout);
        UnloadBizModule();
    }
    return 0;
}

#include "bench_ftquotpanel.moc"
