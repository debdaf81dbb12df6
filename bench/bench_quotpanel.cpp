// The cost of one quote record on the quote panel: writing the items and
// levels in one update batch, and painting the whole panel (what a receiver
// that calls update() after every record pays), for a few layouts. Then the
// quote panel component shown under a feed thread posting records of its
// security at 1,000, 10,000 and 50,000 a second, beside a one-row plain
// table getting the same records in interleaved rounds of the same run: the
// post→painted latency (for the panel: to its first paint after the record;
// for the table: to the paint of the last price), the GUI thread's CPU and
// its time per delivered record, and the paints a second. Last, how soon a
// panel switched to a security the module already receives shows it.
//
//   bench_quotpanel [records] [seconds per shown measurement] [rounds]

#include "benchutil.h"

#include <hostcontext.h>
#include <icomponent.h>
#include <imodule.h>
#include <tarn.h>
#include <vquotdataitem.h>
#include <vquotdataitems.h>
#include <vquotpanel.h>
#include <vquotstyle.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

const char Market = '1';
const QByteArray Code = QByteArrayLiteral("600000");

bench::PacedFeed::Fill oneSecurity()
{
    return [](quint64 sequence, VQuotData &record) { record = bench::quote(Market, Code, sequence); };
}

// The component made through the module, subscribed to one security and
// shown at its size hint; measured and freed.
bench::Shown measureComponent(IModule *module, VQuotMgr *quotes, double rate, int ms)
{
    IComponent *component
        = module->createComponent(nullptr, QStringLiteral("BCQuotPanel"), QStringLiteral("bench"), nullptr);
    QMetaObject::invokeMethod(component, "doSubscribeQuot", Q_ARG(char, Market), Q_ARG(QString, QString::fromLatin1(Code)),
                              Q_ARG(QString, QStringLiteral("浦发银行")), Q_ARG(double, 0.01),
                              Q_ARG(QString, QStringLiteral("0")));
    component->resize(component->sizeHint());
    component->show();
    auto *panel = component->findChild<VQuotPanel *>(QStringLiteral("quotPanel"));
    if (!panel) {
        std::printf("no quote panel in the component\n");
        std::exit(1);
    }
    bench::runFor(200);
    bench::LatencyProbe probe(quotes);
    probe.watch(panel, {{Code, QRect()}}); // any paint of the panel
    const bench::Shown shown = bench::measureShown(quotes, panel, probe, rate, oneSecurity(), ms);
    module->freeComponent(component);
    return shown;
}

bench::Shown measurePlain(VQuotMgr *quotes, double rate, int ms)
{
    bench::PlainQuoteTable table({{Market, Code, QStringLiteral("浦发银行")}}, bench::quoteHeaders(),
                                 bench::quoteTexts(2));
    bench::runFor(200);
    bench::LatencyProbe probe(quotes);
    probe.watch(table.view()->viewport(), table.cellsInView());
    return bench::measureShown(quotes, table.view()->viewport(), probe, rate, oneSecurity(), ms);
}

// Paints of a quote panel: when the first one showing a last price came.
class ValuePaints : public QObject
{
public:
    explicit ValuePaints(VQuotPanel *panel)
        : m_panel(panel)
    {
        panel->installEventFilter(this);
    }
    void reset() { paintedNs = 0; }
    qint64 paintedNs = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !paintedNs && m_panel->quotItems()->lastPrice()->value().isValid())
            paintedNs = bench::nowNs();
        return false;
    }

private:
    VQuotPanel *m_panel;
};

// Two quote panels; each of two securities ticks every 3 s. The first panel
// shows one of them; the second is switched, in turn, to that security
// (which the module already receives: it shows the latest record at the next
// frame) and to the other one, which nobody shows (it waits for its next
// tick: the same-run baseline). From the switch to the first paint with
// values, in milliseconds and in frames of the 60 Hz frame clock.
void switchRuns(IModule *module, VQuotMgr *quotes, int switches)
{
    const QByteArray watched = Code;
    const QByteArray other = QByteArrayLiteral("600004");
    const auto show = [](IComponent *component, const QByteArray &code) {
        QMetaObject::invokeMethod(component, "doSubscribeQuot", Q_ARG(char, Market),
                                  Q_ARG(QString, QString::fromLatin1(code)), Q_ARG(QString, QString::fromLatin1(code)),
                                  Q_ARG(double, 0.01), Q_ARG(QString, QStringLiteral("0")));
    };
    IComponent *first = module->createComponent(nullptr, QStringLiteral("BCQuotPanel"), QStringLiteral("a"), nullptr);
    IComponent *second = module->createComponent(nullptr, QStringLiteral("BCQuotPanel"), QStringLiteral("b"), nullptr);
    for (IComponent *component : {first, second}) {
        component->resize(component->sizeHint());
        component->show();
    }
    show(first, watched);
    bench::PacedFeed ticks(quotes, 2.0 / 3.0, [&](quint64 sequence, VQuotData &record) {
        record = bench::quote(Market, sequence % 2 ? other : watched, sequence);
    });
    ticks.start();
    bench::runFor(3500); // the first panel has its security
    ValuePaints paints(second->findChild<VQuotPanel *>(QStringLiteral("quotPanel")));
    std::vector<double> shownMs[2];
    for (int i = 0; i < 2 * switches; ++i) {
        const bool streamed = i % 2 == 0;
        paints.reset();
        const qint64 start = bench::nowNs();
        show(second, streamed ? watched : other);
        while (!paints.paintedNs && bench::nowNs() - start < 5000000000)
            bench::runFor(1);
        shownMs[streamed].push_back(double(paints.paintedNs - start) / 1e6);
        bench::runFor(int(QRandomGenerator::global()->bounded(300, 1300))); // another phase of the ticks
    }
    ticks.stop();
    const double frameMs = 1000.0 / 60;
    std::printf("\nthe second of two quote panels switched %d times to a security the first shows, and to one nobody"
                " shows; each ticks every 3 s\n",
                switches);
    for (const bool streamed : {true, false}) {
        std::vector<double> &ms = shownMs[streamed];
        std::printf("  %-40s values painted after median %7.1f ms (%.1f frames), longest %7.1f ms (%.1f frames)\n",
                    streamed ? "shown by the other panel:" : "shown by nobody (baseline):", bench::quantile(ms, 0.5),
                    bench::quantile(ms, 0.5) / frameMs, *std::max_element(ms.cbegin(), ms.cend()),
                    *std::max_element(ms.cbegin(), ms.cend()) / frameMs);
    }
    module->freeComponent(second);
    module->freeComponent(first);
}

void shownRuns(int ms, int rounds)
{
    QTemporaryDir dir;
    HostContext::Options options;
    options.configDbPath = dir.filePath(QStringLiteral("config.db"));
    HostContext host(options);
    IModule *module = LoadBizModule(&host);
    VQuotMgr *quotes = host.quotMgr();
    std::printf("\nthe component shown, records of its security posted from a feed thread; %d ms per measurement after"
                " %d ms of warm-up, medians of %d interleaved rounds\n",
                ms, bench::WarmUpMs, rounds);
    bench::printMachine();
    bench::printShownHeader("offered rec/s", "tarn (any paint of the panel)", "plain table (one row)");
    for (const double rate : {1000.0, 10000.0, 50000.0}) {
        const auto figures = bench::interleaved(quotes, rounds,
                                                {[&] { return measureComponent(module, quotes, rate, ms); },
                                                 [&] { return measurePlain(quotes, rate, ms); }});
        bench::printShownRow(QString::number(rate, 'f', 0), figures[0], figures[1]);
    }
    switchRuns(module, quotes, 20);
    UnloadBizModule();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int n = args.size() > 1 ? qMax(1, args.at(1).toInt()) : 2000;
    const bench::ShownArgs shown = bench::shownArgs(args, 2);
    const int shownMs = shown.ms, rounds = shown.rounds;
    bench::logAsTheClient();

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
    shownRuns(shownMs, rounds);
    return 0;
}
