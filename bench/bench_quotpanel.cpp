// The cost of one quote record on the quote panel: writing the items and
// levels in one update batch, and painting the whole panel (what a receiver
// that calls update() after every record pays), for a few layouts. Then the
// quote panel component shown under a feed thread posting 50,000 records a
// second of its security: the GUI thread's CPU and the panel's paints.
//
//   bench_quotpanel [records] [seconds shown]

#include "benchutil.h"

#include <hostcontext.h>
#include <icomponent.h>
#include <imodule.h>
#include <tarn.h>
#include <vlogsink.h>
#include <vquotdataitem.h>
#include <vquotdataitems.h>
#include <vquotpanel.h>
#include <vquotstyle.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

namespace {

// One record as a receiver writes it: thirteen items and ten levels.
void writeRecord(VQuotPanel &panel, int i)
{
    VQuotDataItems *items = panel.quotItems();
    const double last = 10.0 + (i % 21 - 10) * 0.01;
    panel.beginUpdate();
    items->preClosingPrice()->setValue(10.0);
    for (int id = VQuotDataItems::OpeningPrice; id <= VQuotDataItems::AvgPrice; ++id)
        items->item(VQuotDataItems::Id(id))->setValue(last);
    items->matchQuantity()->setValue(qint64(100000 + i));
    items->matchAmount()->setValue(1.0e9 + i);
    items->delistFlag()->setValue(QStringLiteral("正常"));
    for (int stall = 0; stall < 10; ++stall)
        panel.setQuotData(vd::QuotStall(stall), last + 0.01 * (stall + 1), 100 + i % 500, last - 0.01 * stall,
                          200 + i % 300);
    panel.endUpdate();
}

// The component made through the module, subscribed to one security and
// shown at its size hint; records of that security are posted every 1 ms.
void shownComponent(int ms)
{
    const double rate = 50000;
    const QByteArray code = QByteArrayLiteral("600000");
    QTemporaryDir dir;
    HostContext::Options options;
    options.configDbPath = dir.filePath(QStringLiteral("config.db"));
    HostContext host(options);
    IModule *module = LoadBizModule(&host);
    IComponent *component
        = module->createComponent(nullptr, QStringLiteral("BCQuotPanel"), QStringLiteral("bench"), nullptr);
    QMetaObject::invokeMethod(component, "doSubscribeQuot", Q_ARG(char, '1'), Q_ARG(QString, QString::fromLatin1(code)),
                              Q_ARG(QString, QStringLiteral("浦发银行")), Q_ARG(double, 0.01),
                              Q_ARG(QString, QStringLiteral("0")));
    component->resize(component->sizeHint());
    component->show();
    auto *panel = component->findChild<VQuotPanel *>(QStringLiteral("quotPanel"));
    if (!panel) {
        std::printf("  no quote panel in the component\n");
        return;
    }
    bench::runFor(200);

    VQuotMgr *quotes = host.quotMgr();
    bench::PacedFeed feed(quotes, rate,
                          [&code](quint64 sequence, VQuotData &record) { record = bench::quote('1', code, sequence); });
    feed.start();
    bench::runFor(300);
    const quint64 records = quotes->recordCount();
    const bench::GuiLoad load = bench::measureFor(panel, ms);
    const double delivered = double(quotes->recordCount() - records) * 1000.0 / ms;
    feed.stop();
    while (quotes->queuedCount() > 0)
        QCoreApplication::processEvents();

    std::printf("  %-22s %4dx%-4d  %.0f records/s posted, %.0f/s delivered: GUI thread CPU %.1f%%, %.1f paints/s\n",
                "component, shown", panel->width(), panel->height(), rate, delivered, load.cpuPercent,
                load.paintsPerSecond);
    module->freeComponent(component);
    UnloadBizModule();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int n = args.size() > 1 ? qMax(1, args.at(1).toInt()) : 2000;
    const int shownMs = args.size() > 2 ? qMax(1, args.at(2).toInt()) * 1000 : 3000;
    VLog::setFileLogging(false);

    const struct
    {
        const char *name;
        std::function<void(VQuotStyle &)> setup;
    } layouts[] = {
        {"five levels", [](VQuotStyle &) {}},
        {"ten levels", [](VQuotStyle &s) { s.setStall(vd::QS_Stall10); }},
        {"ten levels and chart",
         [](VQuotStyle &s) {
             s.setStall(vd::QS_Stall10);
             s.setShowChart(true);
         }},
    };

    std::printf("bench_quotpanel: %d records per layout\n", n);
    for (const auto &layout : layouts) {
        VQuotPanel panel;
        layout.setup(*panel.quotStyle());
        panel.setProduct(QStringLiteral("600000"), QStringLiteral("浦发银行"));
        panel.setMarket(QStringLiteral("1"), QStringLiteral("上海A股"));
        panel.resize(panel.sizeHint());
        QImage image(panel.size(), QImage::Format_ARGB32_Premultiplied);
        // Fill the intraday line before timing, as after a morning of trading.
        for (int i = 0; i < VQuotPanel::ChartCapacity; ++i)
            writeRecord(panel, i);

        qint64 writing = 0;
        qint64 painting = 0;
        QElapsedTimer timer;
        for (int i = 0; i < n; ++i) {
            timer.start();
            writeRecord(panel, i);
            writing += timer.nsecsElapsed();
            timer.start();
            panel.render(&image);
            painting += timer.nsecsElapsed();
        }
        std::printf("  %-22s %4dx%-4d  write %7.1f us   paint %7.1f us per record\n", layout.name, panel.width(),
                    panel.height(), writing / 1000.0 / n, painting / 1000.0 / n);
    }
    shownComponent(shownMs);
    return 0;
}
