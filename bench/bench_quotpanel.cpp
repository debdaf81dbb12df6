// The cost of one quote record on the quote panel: writing the items and
// levels in one update batch, and painting the whole panel (what a receiver
// that calls update() after every record pays), for a few layouts.
//
//   bench_quotpanel [records]

#include <vquotdataitem.h>
#include <vquotdataitems.h>
#include <vquotpanel.h>
#include <vquotstyle.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
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

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int n = args.size() > 1 ? qMax(1, args.at(1).toInt()) : 2000;

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
    return 0;
}
