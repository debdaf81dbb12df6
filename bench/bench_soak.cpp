// A trading day through all four components: the sample market's quote
// panel, futures board, watchlist and option board shown at once, records
// for every security they show posted from a feed thread (about 4.3 million
// by default), and the user's churn every second: the futures board's page
// switched and scrolled, a watchlist group added and removed, the option
// board's page type switched. Every ten seconds it prints the resident
// memory and the GUI thread's time per delivered record; at the end the RSS
// slope after warm-up in MiB per million records, and the per-record time of
// the first and the last window.
//
//   bench_soak [records] [records per second]

#include "benchutil.h"

#include <hostcontext.h>
#include <icomponent.h>
#include <imodule.h>
#include <tarn.h>
#include <vdataset.h>
#include <vlocaldb.h>
#include <vmsgdlg.h>
#include <vquotmgr.h>
#include <vtablemodel.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>

#include <cstdio>
#include <malloc.h>

namespace {

// Confirmations are answered yes, boxes are not shown.
class Yes : public VMsgPresenter
{
public:
    bool present(const VMsgRequest &) override { return true; }
};

// The market and code of every row of every table of the component.
void collectShown(IComponent *component, QVector<QPair<char, QByteArray>> &securities)
{
    for (QTableView *table : component->findChildren<QTableView *>()) {
        auto *model = qobject_cast<VTableModel *>(table->model());
        if (!model)
            continue;
        const VDataset *ds = model->dataset();
        if (ds->fields()->indexOf(QStringLiteral("stkcode")) < 0)
            continue;
        for (int row = 0; row < ds->recordCount(); ++row) {
            const QByteArray code = ds->fieldValue(row, QStringLiteral("stkcode")).toString().toLatin1();
            const QString market = ds->fieldValue(row, QStringLiteral("market")).toString();
            if (!code.isEmpty() && market.size() == 1)
                securities.append({market.at(0).toLatin1(), code});
        }
    }
}

struct Sample
{
    double millionRecords;
    double rssMiB;
    double usPerRecord;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const quint64 total = args.size() > 1 ? args.at(1).toULongLong() : 4300000;
    const double rate = args.size() > 2 ? args.at(2).toDouble() : 50000;
    bench::logAsTheClient();
    Yes yes;
    VMsgDlg::setPresenter(&yes);

    QTemporaryDir dir;
    HostContext::Options options;
    options.configDbPath = dir.filePath(QStringLiteral("config.db"));
    options.dataDir = QStringLiteral(TARN_DATA_DIR);
    options.sysDate = 20261205;
    HostContext host(options);
    host.localDb()->setCfgParam(QStringLiteral("PG_Trd_FtQuotPanel"),
                                {{QStringLiteral("Check_Market"), QStringLiteral("H")},
                                 {QStringLiteral("SHQH_Check_Products"), QStringLiteral("cu=铜;au=黄金;ag=白银;rb=螺纹钢")}},
                                true);
    host.localDb()->setCfgParam(QStringLiteral("OptionalStk"),
                                {{QStringLiteral("自选股1"), QStringLiteral("1600519,1601318,1600036,0000858,0300750,")}},
                                false);
    IModule *module = LoadBizModule(&host);
    QList<IComponent *> components;
    for (const char *name : {"BCQuotPanel", "BCFtQuotPanel", "BCOptionalStk", "BCStoQuot"}) {
        IComponent *component = module->createComponent(nullptr, QLatin1String(name), QStringLiteral("soak"), nullptr);
        component->resize(1000, 600);
        component->show();
        components << component;
    }
    IComponent *panel = components.at(0);
    IComponent *board = components.at(1);
    IComponent *watchlist = components.at(2);
    IComponent *options_ = components.at(3);
    QMetaObject::invokeMethod(panel, "doSubscribeQuot", Q_ARG(char, '1'), Q_ARG(QString, QStringLiteral("600519")),
                              Q_ARG(QString, QStringLiteral("贵州茅台")), Q_ARG(double, 0.01),
                              Q_ARG(QString, QStringLiteral("A")));
    auto *underlyings = options_->findChild<QComboBox *>(QStringLiteral("cbTargetStk"));
    underlyings->setCurrentIndex(underlyings->findData(QStringLiteral("1510050")));
    options_->findChild<QComboBox *>(QStringLiteral("cbAllExpireDate"))->setCurrentIndex(0);
    bench::runFor(300);

    // Every security of every page and group, whether shown now or later.
    QVector<QPair<char, QByteArray>> securities {
        {'1', "600519"}, {'1', "601318"}, {'1', "600036"}, {'0', "000858"}, {'0', "300750"}};
    for (IComponent *component : components)
        collectShown(component, securities);
    const quint64 n = quint64(securities.size());
    std::printf("bench_soak: %llu records at %.0f/s for %llu securities, churn every second\n",
                static_cast<unsigned long long>(total), rate, static_cast<unsigned long long>(n));

    // The user's churn.
    int tick = 0;
    QTimer churn;
    QObject::connect(&churn, &QTimer::timeout, [&] {
        ++tick;
        const QList<QToolButton *> buttons = board->findChildren<QToolButton *>();
        if (!buttons.isEmpty())
            buttons.at(tick % buttons.size())->click();
        for (QTableView *table : board->findChildren<QTableView *>())
            table->verticalScrollBar()->setValue(tick % 7);
        if (tick % 2)
            QMetaObject::invokeMethod(watchlist, "addgroupname", Q_ARG(QString, QStringLiteral("组%1").arg(tick % 5)));
        else
            QMetaObject::invokeMethod(watchlist, "DeleteCurrentG", Q_ARG(int, 1));
        auto *pages = options_->findChild<QComboBox *>(QStringLiteral("cbQuotPanelType"));
        pages->setCurrentIndex(tick % pages->count());
    });
    churn.start(1000);

    malloc_trim(0);
    bench::PacedFeed feed(host.quotMgr(), rate, [&securities, n](quint64 sequence, VQuotData &record) {
        const auto &security = securities.at(int(sequence % n));
        record = bench::quote(security.first, security.second, sequence / n);
    });
    feed.start();
    QVector<Sample> samples;
    std::printf("%10s %10s %10s %12s\n", "posted M", "RSS MiB", "µs/record", "delivered/s");
    while (true) {
        const quint64 delivered = host.quotMgr()->recordCount();
        const qint64 cpu = bench::threadCpuNs();
        const qint64 wall = bench::nowNs();
        bench::runFor(10000);
        feed.pause();
        const quint64 posted = feed.posted();
        feed.resume();
        const double records = double(host.quotMgr()->recordCount() - delivered);
        const Sample sample {double(posted) / 1e6, bench::rssKiB() / 1024.0,
                             records > 0 ? double(bench::threadCpuNs() - cpu) / 1000.0 / records : 0.0};
        samples.append(sample);
        std::printf("%10.2f %10.1f %10.2f %12.0f\n", sample.millionRecords, sample.rssMiB, sample.usPerRecord,
                    records * 1e9 / double(bench::nowNs() - wall));
        std::fflush(stdout);
        if (posted >= total)
            break;
    }
    feed.stop();
    churn.stop();

    // Least-squares slope of RSS over records, after the first quarter.
    const int first = samples.size() / 4;
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    const int count = samples.size() - first;
    for (int i = first; i < samples.size(); ++i) {
        sx += samples.at(i).millionRecords;
        sy += samples.at(i).rssMiB;
        sxx += samples.at(i).millionRecords * samples.at(i).millionRecords;
        sxy += samples.at(i).millionRecords * samples.at(i).rssMiB;
    }
    const double slope = count > 1 ? (count * sxy - sx * sy) / (count * sxx - sx * sx) : 0.0;
    std::printf("RSS slope after warm-up: %.3f MiB per million records; per record %.2f µs in the first window, "
                "%.2f µs in the last\n",
                slope, samples.constFirst().usPerRecord, samples.constLast().usPerRecord);
    for (IComponent *component : components)
        module->freeComponent(component);
    UnloadBizModule();
    VMsgDlg::setPresenter(nullptr);
    return 0;
}
