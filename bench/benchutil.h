#pragma once

// What the benches share: clocks, the GUI thread's CPU time, the process's
// resident memory, the machine's load beside the bench, a paint counter, a
// paced feed thread posting quote records to a VQuotMgr, a probe timing
// records from their post to the paint of their cell, the plain table that
// the components are measured beside, and quantiles and medians of
// interleaved rounds. Linux only (/proc, CLOCK_THREAD_CPUTIME_ID).

#include <vdataset.h>
#include <vlogsink.h>
#include <vquotdata.h>
#include <vquotmgr.h>
#include <vquotsubscriber.h>
#include <vtablemodel.h>

#include <QColor>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QHash>
#include <QLoggingCategory>
#include <QMutex>
#include <QPaintEvent>
#include <QRegion>
#include <QStandardItemModel>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <QVector>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <limits>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace bench {

// Steady-clock nanoseconds; the feeds stamp records with it.
inline qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// CPU time consumed by the calling thread.
inline qint64 threadCpuNs()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// A "Name:  1234 kB" line of /proc/self/status in KiB, -1 when missing.
inline long statusKiB(const char *name)
{
    FILE *file = std::fopen("/proc/self/status", "r");
    if (!file)
        return -1;
    const size_t length = std::strlen(name);
    long value = -1;
    char line[256];
    while (std::fgets(line, sizeof line, file)) {
        if (std::strncmp(line, name, length) == 0 && line[length] == ':') {
            value = std::strtol(line + length + 1, nullptr, 10);
            break;
        }
    }
    std::fclose(file);
    return value;
}

inline long rssKiB()
{
    return statusKiB("VmRSS");
}

// The machine's one-minute load average, -1 when unreadable.
inline double loadAverage()
{
    double load = -1;
    if (FILE *file = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(file, "%lf", &load) != 1)
            load = -1;
        std::fclose(file);
    }
    return load;
}

// The cores kept busy by other processes since construction: the machine's
// busy time (/proc/stat) less this process's (/proc/self/stat), per second.
// Other developers build on the same two cores, so the benches print it
// beside their figures.
class LoadBeside
{
public:
    LoadBeside()
        : m_start(now())
    {
    }
    double cores() const
    {
        const Ticks end = now();
        const double seconds = double(end.wallNs - m_start.wallNs) / 1e9;
        if (seconds <= 0)
            return 0;
        const double other = double((end.busy - m_start.busy) - (end.own - m_start.own));
        return std::max(0.0, other / double(sysconf(_SC_CLK_TCK)) / seconds);
    }

private:
    struct Ticks
    {
        qint64 busy = 0;
        qint64 own = 0;
        qint64 wallNs = 0;
    };
    static Ticks now()
    {
        Ticks ticks;
        ticks.wallNs = nowNs();
        if (FILE *file = std::fopen("/proc/stat", "r")) {
            unsigned long long user, nice, system, idle, iowait, irq, softirq, steal;
            if (std::fscanf(file, "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &user, &nice, &system, &idle, &iowait,
                            &irq, &softirq, &steal)
                == 8)
                ticks.busy = qint64(user + nice + system + irq + softirq + steal);
            std::fclose(file);
        }
        if (FILE *file = std::fopen("/proc/self/stat", "r")) {
            char line[1024];
            const size_t length = std::fread(line, 1, sizeof line - 1, file);
            line[length] = 0;
            // After the command's closing parenthesis: state, five ids,
            // flags, four fault counts, then user and system time.
            const char *fields = std::strrchr(line, ')');
            unsigned long long user = 0, system = 0;
            if (fields
                && std::sscanf(fields + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user, &system)
                    == 2)
                ticks.own = qint64(user + system);
            std::fclose(file);
        }
        return ticks;
    }
    Ticks m_start;
};

// The q-quantile of the samples (nearest rank below), 0 when there are none.
inline double quantile(std::vector<double> samples, double q)
{
    if (samples.empty())
        return 0;
    const auto nth = samples.begin() + qint64(q * double(samples.size() - 1));
    std::nth_element(samples.begin(), nth, samples.end());
    return *nth;
}

// The median over interleaved rounds of one figure of each round: the
// machine's load drifts between measurements, and a round that caught a
// build beside it should not move the figure.
template <typename Round, typename Figure>
double median(const std::vector<Round> &rounds, Figure figure)
{
    std::vector<double> values;
    for (const Round &round : rounds)
        values.push_back(figure(round));
    return quantile(values, 0.5);
}

// A security's quote in its round-th update: the last price moves a cent
// every update within ±1 of a previous close of 10, volume and amount grow,
// ten levels a cent apart around the last price.
inline VQuotData quote(char market, const QByteArray &code, quint64 round)
{
    VQuotData r {};
    r.status = 1;
    r.market = market;
    r.setCode(code);
    const double last = 10.0 + double(int(round % 200) - 100) * 0.01;
    r.lastPrice = last;
    r.preClosingPrice = r.openingPrice = 10.0;
    r.highPrice = r.highLimitPrice = 11.0;
    r.lowPrice = r.lowLimitPrice = 9.0;
    r.priceChange = last - 10.0;
    r.priceChangeRatio = r.priceChange / 10.0;
    r.matchQuantity = qint64(100 * (round + 1));
    r.matchAmount = double(r.matchQuantity) * last;
    r.avgPrice = last;
    for (int level = 0; level < 10; ++level) {
        r.askPrice[level] = last + 0.01 * (level + 1);
        r.bidPrice[level] = last - 0.01 * level;
        r.askVolume[level] = uint32_t(100 + (round + level) % 500);
        r.bidVolume[level] = uint32_t(200 + (round + level) % 300);
    }
    return r;
}

// The security of a feed's sequence-th record among n, each once every n
// records: in an order that spreads neighbouring rows (the rows in view)
// evenly over the cycle, so that a slow feed of a long list reaches the
// rows in view all the time rather than in one burst per cycle.
inline int spread(quint64 sequence, int n)
{
    const quint64 stride = 7919; // a prime: any n it does not divide gets every security once a cycle
    return int((n % stride == 0 ? sequence : sequence * stride) % quint64(n));
}

// Counts the paint events of one widget (or a view's viewport).
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QObject *watched) { watched->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
    int count = 0;
};

struct GuiLoad
{
    double cpuPercent; // of one core
    double paintsPerSecond;
    double seconds; // the window's real length
};

// Runs the event loop for ms milliseconds.
inline void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop for ms milliseconds; the GUI thread's CPU time over
// that window and the paints of painted.
inline GuiLoad measureFor(QObject *painted, int ms)
{
    PaintCounter paints(painted);
    const qint64 wall = nowNs();
    const qint64 cpu = threadCpuNs();
    runFor(ms);
    const double elapsed = double(nowNs() - wall);
    return {100.0 * double(threadCpuNs() - cpu) / elapsed, paints.count * 1e9 / elapsed, elapsed / 1e9};
}

// A feed thread posting one batch a millisecond through VQuotMgr::post (or
// handing it to a sink), rate records a second in all. fill(sequence, record) writes the record
// numbered sequence (0, 1, 2, … over the feed's life); every record of a
// batch is then stamped with nowNs() in preOpenInterest just before the batch
// is posted. After a pause, or once the thread is more than 10 ms behind,
// its schedule restarts from now instead of catching up in a burst.
class PacedFeed
{
public:
    using Fill = std::function<void(quint64 sequence, VQuotData &record)>;
    using Sink = std::function<void(const QVector<VQuotData> &batch)>;

    PacedFeed(Sink sink, double rate, Fill fill)
        : m_sink(std::move(sink))
        , m_rate(rate)
        , m_fill(std::move(fill))
    {
    }
    PacedFeed(VQuotMgr *manager, double rate, Fill fill)
        : PacedFeed([manager](const QVector<VQuotData> &batch) { manager->post(batch); }, rate, std::move(fill))
    {
    }
    ~PacedFeed() { stop(); }

    void start()
    {
        m_thread.reset(QThread::create([this] { run(); }));
        m_thread->start();
    }
    // Posts nothing after ns from now, whether or not the GUI thread keeps
    // up: a measurement of a table that falls behind ends once it has
    // received what was posted.
    void stopAfter(qint64 ns) { m_deadline = nowNs() + ns; }
    // Not while paused.
    void stop()
    {
        m_stop = true;
        if (m_thread)
            m_thread->wait();
        m_thread.reset();
    }
    // Holds the feed between two batches: no post() is running once pause()
    // returns, and what fill() wrote is visible to the caller.
    void pause() { m_gate.lock(); }
    void resume() { m_gate.unlock(); }

    // Read while paused or stopped. The longest post() call since the last
    // take, which starts the next window.
    quint64 posted() const { return m_posted; }
    qint64 takeLongestPostNs() { return std::exchange(m_longestPost, 0); }

private:
    void run()
    {
        using Clock = std::chrono::steady_clock;
        const auto period = std::chrono::milliseconds(1);
        auto deadline = Clock::now();
        quint64 batches = 0;
        QVector<VQuotData> batch;
        while (!m_stop && nowNs() < m_deadline) {
            deadline += period;
            if (Clock::now() - deadline > 10 * period)
                deadline = Clock::now();
            std::this_thread::sleep_until(deadline);
            QMutexLocker gate(&m_gate);
            const quint64 due = quint64(m_rate * double(++batches) / 1000.0);
            if (due == m_posted)
                continue;
            batch.resize(int(due - m_posted));
            for (VQuotData &record : batch)
                m_fill(m_posted++, record);
            const qint64 stamp = nowNs();
            for (VQuotData &record : batch)
                record.preOpenInterest = stamp;
            m_sink(batch);
            m_longestPost = qMax(m_longestPost, nowNs() - stamp);
        }
    }

    Sink m_sink;
    double m_rate;
    Fill m_fill;
    QScopedPointer<QThread> m_thread;
    std::atomic<bool> m_stop {false};
    std::atomic<qint64> m_deadline {std::numeric_limits<qint64>::max()};
    QMutex m_gate;
    quint64 m_posted = 0;
    qint64 m_longestPost = 0;
};

// Quotes of every security of one market in turn, spread over the cycle (spread()).
inline PacedFeed::Fill inTurn(char market, const QVector<QByteArray> &codes)
{
    return [market, codes](quint64 sequence, VQuotData &record) {
        record = quote(market, codes.at(spread(sequence, codes.size())), sequence / quint64(codes.size()));
    };
}

// The cells of column in the rows of view that are in view, clipped to the
// viewport, by the code codeOf reads from each row.
inline QHash<QByteArray, QRect> cellsInView(const QTableView *view, int column,
                                            const std::function<QByteArray(int row)> &codeOf)
{
    QHash<QByteArray, QRect> cells;
    const QAbstractItemModel *model = view->model();
    const QRect area = view->viewport()->rect();
    const int first = view->rowAt(0);
    if (!model || column < 0 || first < 0)
        return cells;
    int last = view->rowAt(area.height() - 1);
    if (last < 0)
        last = model->rowCount() - 1;
    for (int row = first; row <= last; ++row) {
        const QRect rect = view->visualRect(model->index(row, column)) & area;
        if (!rect.isEmpty())
            cells.insert(codeOf(row), rect);
    }
    return cells;
}

// The same for a table over a dataset: the code read from codeField, the
// cell of cellField.
inline QHash<QByteArray, QRect> datasetCellsInView(const QTableView *view, const QString &codeField,
                                                   const QString &cellField)
{
    const auto *model = qobject_cast<const VTableModel *>(view->model());
    const VDataset *dataset = model ? model->dataset() : nullptr;
    if (!dataset)
        return {};
    return cellsInView(view, model->colIndexByFieldName(cellField), [dataset, codeField](int row) {
        return dataset->fieldValue(row, codeField).toString().toUtf8();
    });
}

// Times records from their post to the paint that shows them. The feed
// stamps every record with nowNs() in preOpenInterest (PacedFeed does). A
// tap on the quote manager sees each record as it is delivered, on the GUI
// thread, and keeps the stamps of the watched securities until a paint of
// their widget covers the centre of their cell (for a cell given without a
// rect: any paint of the widget); each stamp then gives one latency, taken
// as that paint starts. Securities are told apart by code; records of
// securities not watched (rows out of view) are not timed. One probe per
// quote manager at a time.
class LatencyProbe : public QObject
{
public:
    explicit LatencyProbe(VQuotMgr *quotes)
        : m_quotes(quotes)
    {
        quotes->setTap([this](const VQuotData &record) { seen(record); });
    }
    ~LatencyProbe() override { m_quotes->setTap(nullptr); }

    // Watches cells of widget: code → the cell in the widget's coordinates.
    void watch(QWidget *widget, const QHash<QByteArray, QRect> &cells)
    {
        widget->installEventFilter(this);
        for (auto it = cells.cbegin(); it != cells.cend(); ++it) {
            m_cellOf.insert(it.key(), m_cells.size());
            m_cells.append({widget, it.value(), {}});
        }
    }
    // Starts a window: the stamps seen so far are dropped.
    void restart()
    {
        for (Cell &cell : m_cells)
            cell.stamps.clear();
        m_waiting.clear();
        m_ms.clear();
    }
    // The latencies since restart(), in ms.
    std::vector<double> takeMs() { return std::exchange(m_ms, {}); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint || m_waiting.isEmpty())
            return false;
        const QRegion &region = static_cast<QPaintEvent *>(event)->region();
        const qint64 now = nowNs();
        for (int i = 0; i < m_waiting.size();) {
            Cell &cell = m_cells[m_waiting.at(i)];
            if (cell.widget != watched || !(cell.rect.isNull() || region.contains(cell.rect.center()))) {
                ++i;
                continue;
            }
            for (const qint64 stamp : qAsConst(cell.stamps))
                m_ms.push_back(double(now - stamp) / 1e6);
            cell.stamps.clear();
            m_waiting[i] = m_waiting.constLast();
            m_waiting.removeLast();
        }
        return false;
    }

private:
    struct Cell
    {
        QObject *widget;
        QRect rect;
        QVector<qint64> stamps; // of the records not painted yet
    };

    void seen(const VQuotData &record)
    {
        const QByteArray code = QByteArray::fromRawData(record.code, int(qstrnlen(record.code, sizeof record.code)));
        const auto found = m_cellOf.constFind(code);
        if (found == m_cellOf.cend())
            return;
        Cell &cell = m_cells[*found];
        if (cell.stamps.isEmpty())
            m_waiting.append(*found);
        cell.stamps.append(record.preOpenInterest);
    }

    VQuotMgr *m_quotes;
    QHash<QByteArray, int> m_cellOf; // code → index in m_cells
    QVector<Cell> m_cells;
    QVector<int> m_waiting; // the cells holding stamps
    std::vector<double> m_ms;
};

// The baseline the components are measured beside: a plain QTableView over
// a QStandardItemModel, shown at 1280x800, as a quote table is written
// without tarn's live-table layer. One row per security (code, name, then
// the quote columns), every security subscribed, and one setData per quote
// cell whose text changed. With a flash time it is the naive board: a
// changed cell also gets a highlight background and a single-shot timer of
// its own that clears it.
class PlainQuoteTable : public QObject
{
    Q_OBJECT
public:
    static constexpr int FirstQuoteColumn = 2;

    struct Security
    {
        char market;
        QByteArray code;
        QString name;
    };
    // Writes the texts of a record's quote columns, in column order.
    using Texts = std::function<void(const VQuotData &record, QStringList &texts)>;

    PlainQuoteTable(const QVector<Security> &securities, const QStringList &quoteHeaders, Texts texts,
                    int flashMs = 0)
        : m_model(securities.size(), FirstQuoteColumn + quoteHeaders.size())
        , m_texts(std::move(texts))
        , m_flashMs(flashMs)
        , m_subscriber(nullptr, QStringLiteral("plain"))
    {
        m_model.setHorizontalHeaderLabels(QStringList {QStringLiteral("代码"), QStringLiteral("名称")} + quoteHeaders);
        for (int row = 0; row < securities.size(); ++row) {
            const Security &security = securities.at(row);
            m_rows.insert(security.code, row);
            m_model.setItem(row, 0, new QStandardItem(QString::fromUtf8(security.code)));
            m_model.setItem(row, 1, new QStandardItem(security.name));
            for (int column = FirstQuoteColumn; column < m_model.columnCount(); ++column)
                m_model.setItem(row, column, new QStandardItem());
            m_subscriber.addProduct(security.market, QString::fromUtf8(security.code));
        }
        m_subscriber.setRecvSlot(this, "1doRecvSubscribeQuot(VQuotData*)");
        m_view.setModel(&m_model);
        m_view.resize(1280, 800);
        m_view.show();
        m_subscriber.subscribe();
    }

    QTableView *view() { return &m_view; }
    // The first quote column's cells in view, by code.
    QHash<QByteArray, QRect> cellsInView() const
    {
        return bench::cellsInView(&m_view, FirstQuoteColumn,
                                  [this](int row) { return m_model.item(row, 0)->text().toUtf8(); });
    }

public slots:
    void doRecvSubscribeQuot(VQuotData *record)
    {
        const int row = m_rows.value(record->codeText(), -1);
        if (row < 0)
            return;
        m_texts(*record, m_quote);
        for (int i = 0; i < m_quote.size(); ++i) {
            const int column = FirstQuoteColumn + i;
            QStandardItem *item = m_model.item(row, column);
            if (item->text() == m_quote.at(i))
                continue;
            item->setText(m_quote.at(i));
            if (m_flashMs > 0) {
                item->setData(QColor(207, 227, 250), Qt::BackgroundRole);
                QTimer::singleShot(m_flashMs, this, [this, row, column] {
                    m_model.item(row, column)->setData(QVariant(), Qt::BackgroundRole);
                });
            }
        }
    }

private:
    QStandardItemModel m_model;
    QTableView m_view;
    QHash<QByteArray, int> m_rows;
    Texts m_texts;
    QStringList m_quote;
    const int m_flashMs;
    VQuotSubscriber m_subscriber; // last: unsubscribed before the table goes
};

// The plain table's usual quote columns, and their texts as an application
// writes them (QString::number), prices with decimals decimals.
inline QStringList quoteHeaders()
{
    return {QStringLiteral("最新价"), QStringLiteral("涨跌"),   QStringLiteral("涨跌幅(%)"), QStringLiteral("买价"),
            QStringLiteral("买量"),   QStringLiteral("卖价"),   QStringLiteral("卖量"),      QStringLiteral("成交量"),
            QStringLiteral("成交额"), QStringLiteral("今开"),   QStringLiteral("最高"),      QStringLiteral("最低"),
            QStringLiteral("昨收"),   QStringLiteral("持仓量")};
}

inline PlainQuoteTable::Texts quoteTexts(int decimals)
{
    return [decimals](const VQuotData &r, QStringList &texts) {
        const auto price = [decimals](double value) { return QString::number(value, 'f', decimals); };
        texts = QStringList {price(r.lastPrice),
                             price(r.priceChange),
                             QString::number(r.priceChangeRatio * 100.0, 'f', 2),
                             price(r.bidPrice[0]),
                             QString::number(r.bidVolume[0]),
                             price(r.askPrice[0]),
                             QString::number(r.askVolume[0]),
                             QString::number(r.matchQuantity),
                             QString::number(r.matchAmount, 'f', 0),
                             price(r.openingPrice),
                             price(r.highPrice),
                             price(r.lowPrice),
                             price(r.preClosingPrice),
                             QString::number(r.openInterest)};
    };
}

// One side's figures over one measurement window.
struct Shown
{
    GuiLoad load; // the GUI thread, and the paints of the widget measured
    double delivered; // records handed to subscribers a second
    double usPerRecord; // the GUI thread's CPU time per delivered record, all of it
    double p50Ms; // post → painted
    double p99Ms;
    int timed; // records timed
    double beside; // cores busy with other processes
    double plannedSeconds; // the window asked for
};

constexpr int WarmUpMs = 500;

// Feeds rate records a second to a shown component or table (fill writes
// each record; PacedFeed stamps them) for a warm-up and then ms
// milliseconds, while probe times the records it watches: the GUI thread's
// load with the paints of painted, the records delivered, the latencies.
// The feed stops before it returns; what it queued is left to drain().
inline Shown measureShown(VQuotMgr *quotes, QWidget *painted, LatencyProbe &probe, double rate,
                          const PacedFeed::Fill &fill, int ms)
{
    PacedFeed feed(quotes, rate, fill);
    feed.stopAfter(qint64(WarmUpMs + ms) * 1000000);
    feed.start();
    runFor(WarmUpMs);
    probe.restart();
    const LoadBeside beside;
    const quint64 records = quotes->recordCount();
    const GuiLoad load = measureFor(painted, ms);
    const double delivered = double(quotes->recordCount() - records);
    const std::vector<double> latencies = probe.takeMs();
    const double besideCores = beside.cores();
    feed.stop();
    const double cpuUs = load.cpuPercent / 100.0 * load.seconds * 1e6;
    return {load,
            delivered / load.seconds,
            delivered > 0 ? cpuUs / delivered : 0.0,
            quantile(latencies, 0.5),
            quantile(latencies, 0.99),
            int(latencies.size()),
            besideCores,
            ms / 1000.0};
}

// Logging as the client runs it: no echo of informational records on
// stderr, and no log file.
inline void logAsTheClient()
{
    QLoggingCategory::setFilterRules(QStringLiteral("tarn.vlog.info=false"));
    VLog::setFileLogging(false);
}

// The shown measurements' command line from argument `first` on:
// [seconds per measurement] [rounds].
struct ShownArgs
{
    int ms = 1500;
    int rounds = 3;
};

inline ShownArgs shownArgs(const QStringList &args, int first = 1)
{
    ShownArgs shown;
    if (args.size() > first)
        shown.ms = qMax(1, int(args.at(first).toDouble() * 1000));
    if (args.size() > first + 1)
        shown.rounds = qMax(1, args.at(first + 1).toInt());
    return shown;
}

// Hands out what the quote manager still holds. After the side that
// subscribed them is gone, records cost a look-up each; a side that fell
// behind would take seconds to receive them.
inline void drain(VQuotMgr *quotes)
{
    while (quotes->queuedCount() > 0)
        QCoreApplication::processEvents();
}

// Interleaved rounds: every round measures each side once, in order, and
// drains the quote manager after each. Per side, the figures of its rounds.
inline std::vector<std::vector<Shown>> interleaved(VQuotMgr *quotes, int rounds,
                                                   const std::vector<std::function<Shown()>> &sides)
{
    std::vector<std::vector<Shown>> figures(sides.size());
    for (int round = 0; round < rounds; ++round) {
        for (size_t side = 0; side < sides.size(); ++side) {
            figures[side].push_back(sides[side]());
            drain(quotes);
        }
    }
    return figures;
}

// The rows of printShownRow(): two sides, a and b, each the medians of its
// rounds: records delivered a second, post→painted latency p50 and p99 (ms)
// and the records timed over all rounds, the GUI thread's CPU (% of a
// core), its time per delivered record (µs) and the paints a second; then
// the cores other processes kept busy meanwhile and a's CPU over b's.
inline void printShownHeader(const char *what, const char *a, const char *b)
{
    std::printf("%-18s | %-55s | %-55s |\n", "", a, b);
    std::printf("%-18s | %8s %7s %7s %6s %7s %7s %6s | %8s %7s %7s %6s %7s %7s %6s | %6s %6s\n", what, "rec/s",
                "p50 ms", "p99 ms", "timed", "CPU %", "us/rec", "p/s", "rec/s", "p50 ms", "p99 ms", "timed", "CPU %",
                "us/rec", "p/s", "beside", "CPU a/b");
}

inline void printShownRow(const QString &label, const std::vector<Shown> &a, const std::vector<Shown> &b)
{
    const auto side = [](const std::vector<Shown> &rounds) {
        int timed = 0;
        for (const Shown &round : rounds)
            timed += round.timed;
        std::printf(" %8.0f %7.2f %7.2f %6d %7.1f %7.2f %6.1f |",
                    median(rounds, [](const Shown &s) { return s.delivered; }),
                    median(rounds, [](const Shown &s) { return s.p50Ms; }),
                    median(rounds, [](const Shown &s) { return s.p99Ms; }), timed,
                    median(rounds, [](const Shown &s) { return s.load.cpuPercent; }),
                    median(rounds, [](const Shown &s) { return s.usPerRecord; }),
                    median(rounds, [](const Shown &s) { return s.load.paintsPerSecond; }));
    };
    std::printf("%-18s |", qPrintable(label));
    side(a);
    side(b);
    std::vector<Shown> all = a;
    all.insert(all.end(), b.begin(), b.end());
    const auto cpu = [](const Shown &s) { return s.load.cpuPercent; };
    const double bCpu = median(b, cpu);
    std::printf(" %6.2f %6.2f", median(all, [](const Shown &s) { return s.beside; }),
                bCpu > 0 ? median(a, cpu) / bCpu : 0.0);
    // A side that falls behind ends its window late: its figures are then
    // rates over the real length.
    for (const auto &[name, rounds] : {std::pair {"a", &a}, std::pair {"b", &b}}) {
        const double late = median(*rounds, [](const Shown &s) { return s.load.seconds / s.plannedSeconds; });
        if (late > 1.2)
            std::printf("  (%s fell behind: windows %.1fx as long)", name, late);
    }
    std::printf("\n");
    std::fflush(stdout);
}

// The machine as a bench starts: cores and load average.
inline void printMachine()
{
    std::printf("machine: %ld cores, load average %.2f at the start; \"beside\": cores other processes kept busy "
                "during the measurements\n",
                sysconf(_SC_NPROCESSORS_ONLN), loadAverage());
}

} // namespace bench
