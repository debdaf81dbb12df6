#include <logcapture.h>
#include <vquotdataitem.h>
#include <vquotdataitems.h>
#include <vquotpanel.h>
#include <vquotstyle.h>

#include <QDir>
#include <QPaintEvent>
#include <QtTest>

#include <cmath>
#include <functional>

using PanelChange = std::function<void(VQuotPanel &)>;
Q_DECLARE_METATYPE(PanelChange)
Q_DECLARE_METATYPE(VQuotDataItem::Kind)
Q_DECLARE_METATYPE(VQuotDataItems::Id)

namespace {

// Counts the paint events of a widget and keeps the region of the last one.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int count = 0;
    QRegion lastRegion;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++count;
            lastRegion = static_cast<QPaintEvent *>(event)->region();
        }
        return false;
    }
};

// True when some pixel of rect is within a small distance of color (text is
// antialiased, so only the stems reach the pen colour exactly).
bool hasInk(const QImage &image, const QRect &rect, const QColor &color)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (qAbs(pixel.red() - color.red()) + qAbs(pixel.green() - color.green())
                    + qAbs(pixel.blue() - color.blue())
                < 60)
                return true;
        }
    }
    return false;
}

QString describe(const QRegion &region)
{
    QStringList rects;
    for (const QRect &rect : region)
        rects << QStringLiteral("%1,%2 %3x%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
    return rects.join(QStringLiteral("; "));
}

// A quote as a live one: previous close 10.00, asks above, bids below it.
void fillQuote(VQuotPanel &panel)
{
    VQuotDataItems *items = panel.quotItems();
    panel.setProduct(QStringLiteral("600000"), QStringLiteral("浦发银行"));
    panel.setMarket(QStringLiteral("1"), QStringLiteral("上海A股"));
    panel.beginUpdate();
    items->preClosingPrice()->setValue(10.0);
    items->openingPrice()->setValue(9.98);
    items->highPrice()->setValue(10.12);
    items->lowPrice()->setValue(9.95);
    items->lastPrice()->setValue(10.05);
    items->priceChange()->setValue(0.05);
    items->priceChangeRatio()->setValue(0.005);
    items->avgPrice()->setValue(10.03);
    items->matchQuantity()->setValue(qint64(1234567));
    items->matchAmount()->setValue(1.2382e9);
    items->delistFlag()->setValue(QStringLiteral("正常"));
    items->highLimitPrice()->setValue(11.0);
    items->lowLimitPrice()->setValue(9.0);
    for (int stall = 0; stall < 10; ++stall)
        panel.setQuotData(vd::QuotStall(stall), 10.06 + stall * 0.01, 100 * (stall + 1), 9.99 - stall * 0.01,
                          120 * (stall + 1));
    panel.endUpdate();
}

} // namespace

class QuotPanelTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { VLog::setFileLogging(false); }

    void valueText_data()
    {
        QTest::addColumn<VQuotDataItem::Kind>("kind");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        const QVariant empty = double(VQuotStyle().emptyData());
        QTest::newRow("invalid") << VQuotDataItem::Price << QVariant() << 2 << QStringLiteral("--");
        QTest::newRow("empty price") << VQuotDataItem::Price << empty << 2 << QStringLiteral("--");
        QTest::newRow("empty as int") << VQuotDataItem::Quantity << QVariant(VQuotStyle().emptyData()) << 2
                                      << QStringLiteral("--");
        QTest::newRow("empty change") << VQuotDataItem::Change << empty << 2 << QStringLiteral("--");
        QTest::newRow("price 2") << VQuotDataItem::Price << QVariant(10.005) << 2 << QStringLiteral("10.01");
        QTest::newRow("price 3") << VQuotDataItem::Price << QVariant(3.5) << 3 << QStringLiteral("3.500");
        QTest::newRow("price 0") << VQuotDataItem::Price << QVariant(4215.0) << 0 << QStringLiteral("4215");
        QTest::newRow("zero price") << VQuotDataItem::Price << QVariant(0.0) << 2 << QStringLiteral("0.00");
        QTest::newRow("rise") << VQuotDataItem::Change << QVariant(0.12) << 2 << QStringLiteral("+0.12");
        QTest::newRow("fall") << VQuotDataItem::Change << QVariant(-1.5) << 1 << QStringLiteral("-1.5");
        QTest::newRow("tiny fall") << VQuotDataItem::Change << QVariant(-0.001) << 2 << QStringLiteral("0.00");
        QTest::newRow("ratio up") << VQuotDataItem::Ratio << QVariant(0.0123) << 3 << QStringLiteral("+1.23%");
        QTest::newRow("ratio down") << VQuotDataItem::Ratio << QVariant(-0.1) << 2 << QStringLiteral("-10.00%");
        QTest::newRow("ratio flat") << VQuotDataItem::Ratio << QVariant(0.0) << 2 << QStringLiteral("0.00%");
        QTest::newRow("small volume") << VQuotDataItem::Quantity << QVariant(qint64(99999)) << 2
                                      << QStringLiteral("99999");
        QTest::newRow("wan") << VQuotDataItem::Quantity << QVariant(qint64(123456)) << 2 << QStringLiteral("12.35万");
        QTest::newRow("wan, four digits")
            << VQuotDataItem::Quantity << QVariant(qint64(12345678)) << 2 << QStringLiteral("1235万");
        QTest::newRow("yi") << VQuotDataItem::Quantity << QVariant(1.5e9) << 2 << QStringLiteral("15.00亿");
        QTest::newRow("yi, large") << VQuotDataItem::Quantity << QVariant(1.23456e12) << 2 << QStringLiteral("12346亿");
        QTest::newRow("amount rounds") << VQuotDataItem::Quantity << QVariant(12345.6) << 2 << QStringLiteral("12346");
        QTest::newRow("text") << VQuotDataItem::Text << QVariant(QStringLiteral("停牌")) << 2 << QStringLiteral("停牌");
    }
    void valueText()
    {
        QFETCH(VQuotDataItem::Kind, kind);
        QFETCH(QVariant, value);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        VQuotStyle style;
        style.setDecimalPlace(decimals);
        QCOMPARE(style.valueText(kind, value), text);
    }

    void levelVolumeText_data()
    {
        QTest::addColumn<qint64>("volume");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << qint64(0) << QString();
        QTest::newRow("negative") << qint64(-5) << QString();
        QTest::newRow("some") << qint64(199) << QStringLiteral("199");
        QTest::newRow("unsigned maximum") << qint64(4294967295LL) << QStringLiteral("42.95亿");
    }
    void levelVolumeText()
    {
        QFETCH(qint64, volume);
        QFETCH(QString, text);
        QCOMPARE(VQuotStyle().levelVolumeText(volume), text);
    }

    void valueColor_data()
    {
        QTest::addColumn<VQuotDataItem::Kind>("kind");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("preClose");
        QTest::addColumn<QString>("expected"); // up, down or text
        const QVariant empty = double(VQuotStyle().emptyData());
        QTest::newRow("price above") << VQuotDataItem::Price << QVariant(10.01) << QVariant(10.0) << "up";
        QTest::newRow("price below") << VQuotDataItem::Price << QVariant(9.99) << QVariant(10.0) << "down";
        QTest::newRow("price equal") << VQuotDataItem::Price << QVariant(10.0) << QVariant(10.0) << "text";
        QTest::newRow("equal when shown") << VQuotDataItem::Price << QVariant(10.0001) << QVariant(10.0) << "text";
        QTest::newRow("no previous close") << VQuotDataItem::Price << QVariant(10.0) << empty << "text";
        QTest::newRow("empty price") << VQuotDataItem::Price << empty << QVariant(10.0) << "text";
        QTest::newRow("change up") << VQuotDataItem::Change << QVariant(0.5) << QVariant() << "up";
        QTest::newRow("ratio down") << VQuotDataItem::Ratio << QVariant(-0.001) << QVariant() << "down";
        QTest::newRow("volume") << VQuotDataItem::Quantity << QVariant(qint64(500)) << QVariant(1.0) << "text";
        QTest::newRow("status") << VQuotDataItem::Text << QVariant(QStringLiteral("停牌")) << QVariant() << "text";
    }
    void valueColor()
    {
        QFETCH(VQuotDataItem::Kind, kind);
        QFETCH(QVariant, value);
        QFETCH(QVariant, preClose);
        QFETCH(QString, expected);
        VQuotStyle style;
        const QColor color = style.valueColor(kind, value, preClose);
        const QColor want = expected == QLatin1String("up")
            ? style.upColor()
            : (expected == QLatin1String("down") ? style.downColor() : style.textColor());
        QCOMPARE(color, want);
    }

    void defaultsShowFiveLevelsAndEverything()
    {
        VQuotPanel panel;
        const VQuotStyle *style = panel.quotStyle();
        QCOMPARE(style->stall(), vd::QS_Stall5);
        QVERIFY(style->showTitle());
        QVERIFY(style->showMarket());
        QVERIFY(!style->showChart());
        for (int id = 0; id < panel.quotItems()->count(); ++id) {
            const VQuotDataItem *item = panel.quotItems()->item(VQuotDataItems::Id(id));
            QVERIFY2(item->isVisible(), qPrintable(item->key()));
            QVERIFY(!panel.itemRect(item).isNull());
            QCOMPARE(panel.itemText(item), QStringLiteral("--"));
        }
        QVERIFY(!panel.levelRect(vd::QS_Stall5, VQuotPanel::Ask).isNull());
        QVERIFY(panel.levelRect(vd::QS_Stall6, VQuotPanel::Ask).isNull());
        QVERIFY(panel.chartRect().isNull());
        QCOMPARE(panel.levelPriceText(vd::QS_Stall1, VQuotPanel::Bid), QStringLiteral("--"));
        QCOMPARE(panel.levelVolumeText(vd::QS_Stall1, VQuotPanel::Bid), QString());
    }

    void levelsStackAsksAboveBids_data()
    {
        QTest::addColumn<int>("stall");
        QTest::newRow("one level") << int(vd::QS_Stall1);
        QTest::newRow("five levels") << int(vd::QS_Stall5);
        QTest::newRow("ten levels") << int(vd::QS_Stall10);
    }
    void levelsStackAsksAboveBids()
    {
        QFETCH(int, stall);
        VQuotPanel panel;
        panel.quotStyle()->setStall(vd::QuotStall(stall));
        int previousBottom = panel.titleRect().bottom();
        // Top to bottom: highest ask … ask 1, bid 1 … highest bid, then the items.
        for (int s = stall; s >= 0; --s) {
            const QRect row = panel.levelRect(vd::QuotStall(s), VQuotPanel::Ask);
            QVERIFY(row.top() > previousBottom);
            previousBottom = row.bottom();
        }
        for (int s = 0; s <= stall; ++s) {
            const QRect row = panel.levelRect(vd::QuotStall(s), VQuotPanel::Bid);
            QVERIFY(row.top() > previousBottom);
            previousBottom = row.bottom();
        }
        QVERIFY(panel.itemRect(panel.quotItems()->lastPrice()).top() > previousBottom);
        for (int s = stall + 1; s < 10; ++s) {
            QVERIFY(panel.levelRect(vd::QuotStall(s), VQuotPanel::Ask).isNull());
            QVERIFY(panel.levelRect(vd::QuotStall(s), VQuotPanel::Bid).isNull());
        }
        QVERIFY(panel.minimumSizeHint().height() > previousBottom);
    }

    void hiddenItemsLeaveNoGap()
    {
        VQuotPanel panel;
        VQuotDataItems *items = panel.quotItems();
        const QRect lastCell = panel.itemRect(items->lastPrice());
        const int height = panel.sizeHint().height();
        items->lastPrice()->setVisible(false);
        QVERIFY(panel.itemRect(items->lastPrice()).isNull());
        // The next item of the same column moves up; the other column stays.
        QCOMPARE(panel.itemRect(items->priceChange()), lastCell);
        QCOMPARE(panel.itemRect(items->preClosingPrice()).top(), lastCell.top());
        // The left column had the most rows: the panel gets one row lower.
        QVERIFY(panel.sizeHint().height() < height);
        items->lastPrice()->setVisible(true);
        QCOMPARE(panel.itemRect(items->lastPrice()), lastCell);
        QCOMPARE(panel.sizeHint().height(), height);
    }

    void sizeHintsFollowTheStyle_data()
    {
        QTest::addColumn<PanelChange>("change");
        QTest::addColumn<int>("widthSign"); // -1 narrower, 0 the same, 1 wider
        QTest::addColumn<int>("heightSign");
        QTest::newRow("more digits") << PanelChange([](VQuotPanel &p) { p.quotStyle()->setDigitMaxLen(10); }) << 1 << 0;
        QTest::newRow("fewer digits") << PanelChange([](VQuotPanel &p) { p.quotStyle()->setDigitMaxLen(5); }) << -1
                                      << 0;
        QTest::newRow("ten levels") << PanelChange([](VQuotPanel &p) { p.quotStyle()->setStall(vd::QS_Stall10); }) << 0
                                    << 1;
        QTest::newRow("one level") << PanelChange([](VQuotPanel &p) { p.quotStyle()->setStall(vd::QS_Stall1); }) << 0
                                   << -1;
        QTest::newRow("chart") << PanelChange([](VQuotPanel &p) { p.quotStyle()->setShowChart(true); }) << 0 << 1;
        QTest::newRow("no title line") << PanelChange([](VQuotPanel &p) {
            p.quotStyle()->setShowTitle(false);
            p.quotStyle()->setShowMarket(false);
        }) << 0 << -1;
        QTest::newRow("title without market")
            << PanelChange([](VQuotPanel &p) { p.quotStyle()->setShowMarket(false); }) << 0 << 0;
        QTest::newRow("wider spaces") << PanelChange([](VQuotPanel &p) { p.quotStyle()->setHorzSpace(20); }) << 1 << 0;
        QTest::newRow("no border") << PanelChange([](VQuotPanel &p) { p.quotStyle()->setBorderSides(vd::WS_None); })
                                   << -1 << -1;
        QTest::newRow("larger font") << PanelChange([](VQuotPanel &p) {
            QFont font = p.font();
            font.setPointSizeF(font.pointSizeF() * 1.5);
            p.setFont(font);
        }) << 1 << 1;
        QTest::newRow("one item column") << PanelChange([](VQuotPanel &p) {
            VQuotDataItems *items = p.quotItems();
            for (VQuotDataItem *item : {items->preClosingPrice(), items->openingPrice(), items->highPrice(),
                                        items->lowPrice(), items->highLimitPrice(), items->lowLimitPrice()})
                item->setVisible(false);
        }) << -1 << 0;
        QTest::newRow("colours only") << PanelChange([](VQuotPanel &p) {
            p.quotStyle()->setBorderColor(Qt::blue);
            p.quotStyle()->setTitleColor(Qt::black);
            p.quotStyle()->setDecimalPlace(4);
        }) << 0 << 0;
    }
    void sizeHintsFollowTheStyle()
    {
        QFETCH(PanelChange, change);
        QFETCH(int, widthSign);
        QFETCH(int, heightSign);
        VQuotPanel panel;
        const QSize before = panel.minimumSizeHint();
        change(panel);
        const QSize after = panel.minimumSizeHint();
        auto sign = [](int difference) { return difference > 0 ? 1 : (difference < 0 ? -1 : 0); };
        QCOMPARE(sign(after.width() - before.width()), widthSign);
        QCOMPARE(sign(after.height() - before.height()), heightSign);
        QCOMPARE(panel.sizeHint(), after);
    }

    void widerPanelWidensItsRows()
    {
        VQuotPanel panel;
        const QSize minimum = panel.minimumSizeHint();
        panel.resize(minimum);
        const QRect narrow = panel.levelRect(vd::QS_Stall1, VQuotPanel::Ask);
        const QRect narrowCell = panel.itemRect(panel.quotItems()->preClosingPrice());
        panel.resize(minimum.width() + 100, minimum.height());
        const QRect wide = panel.levelRect(vd::QS_Stall1, VQuotPanel::Ask);
        QCOMPARE(wide.left(), narrow.left());
        QCOMPARE(wide.width(), narrow.width() + 100);
        QCOMPARE(panel.itemRect(panel.quotItems()->preClosingPrice()).right(), narrowCell.right() + 100);
        QCOMPARE(panel.minimumSizeHint(), minimum);
    }

    void invalidStallIsLoggedAndIgnored()
    {
        LogCapture log;
        VQuotPanel panel;
        panel.setQuotData(vd::QuotStall(10), 1.0, 1, 1.0, 1);
        panel.setQuotData(vd::QuotStall(-1), 1.0, 1, 1.0, 1);
        QCOMPARE(log.records.size(), 2);
        QCOMPARE(log.records.at(0).level, 3);
        QCOMPARE(panel.levelPriceText(vd::QuotStall(10), VQuotPanel::Ask), QStringLiteral("--"));

        panel.quotStyle()->setStall(vd::QuotStall(12));
        QCOMPARE(panel.quotStyle()->stall(), vd::QS_Stall10);
        QCOMPARE(log.records.size(), 3);
    }

    void quoteTexts()
    {
        VQuotPanel panel;
        fillQuote(panel);
        VQuotDataItems *items = panel.quotItems();
        QCOMPARE(panel.titleText(), QStringLiteral("600000 浦发银行"));
        QCOMPARE(panel.itemText(items->lastPrice()), QStringLiteral("10.05"));
        QCOMPARE(panel.itemText(items->priceChangeRatio()), QStringLiteral("+0.50%"));
        QCOMPARE(panel.itemText(items->matchQuantity()), QStringLiteral("123.5万"));
        QCOMPARE(panel.itemText(items->matchAmount()), QStringLiteral("12.38亿"));
        QCOMPARE(panel.levelPriceText(vd::QS_Stall3, VQuotPanel::Ask), QStringLiteral("10.08"));
        QCOMPARE(panel.levelVolumeText(vd::QS_Stall3, VQuotPanel::Bid), QStringLiteral("360"));
        panel.quotStyle()->setDecimalPlace(3);
        QCOMPARE(panel.levelPriceText(vd::QS_Stall3, VQuotPanel::Ask), QStringLiteral("10.080"));
    }

    void clearDataKeepsTheProduct()
    {
        VQuotPanel panel;
        fillQuote(panel);
        panel.clearData();
        QCOMPARE(panel.productCode(), QStringLiteral("600000"));
        QCOMPARE(panel.marketName(), QStringLiteral("上海A股"));
        for (int id = 0; id < panel.quotItems()->count(); ++id)
            QVERIFY(!panel.quotItems()->item(VQuotDataItems::Id(id))->value().isValid());
        for (int stall = 0; stall < 10; ++stall) {
            const VQuotLevel level = panel.quotData(vd::QuotStall(stall));
            QCOMPARE(level.askPrice, double(panel.quotStyle()->emptyData()));
            QCOMPARE(level.bidVolume, qint64(0));
        }
        QVERIFY(panel.chartPrices().isEmpty());
    }

    void clickSelectsTheItemUnderTheMouse_data()
    {
        QTest::addColumn<VQuotDataItems::Id>("clicked");
        QTest::addColumn<VQuotDataItems::Id>("hidden");
        QTest::newRow("last price") << VQuotDataItems::LastPrice << VQuotDataItems::ItemCount;
        QTest::newRow("right column") << VQuotDataItems::LowLimitPrice << VQuotDataItems::ItemCount;
        QTest::newRow("moved up by a hidden item") << VQuotDataItems::DelistFlag << VQuotDataItems::PriceChange;
    }
    void clickSelectsTheItemUnderTheMouse()
    {
        QFETCH(VQuotDataItems::Id, clicked);
        QFETCH(VQuotDataItems::Id, hidden);
        VQuotPanel panel;
        if (hidden != VQuotDataItems::ItemCount)
            panel.quotItems()->item(hidden)->setVisible(false);
        panel.resize(panel.sizeHint());
        QSignalSpy spy(&panel, &VQuotPanel::onSelectedItem);
        VQuotDataItem *item = panel.quotItems()->item(clicked);
        QTest::mouseClick(&panel, Qt::LeftButton, Qt::NoModifier, panel.itemRect(item).center());
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<VQuotDataItem *>(), item);
    }

    void clicksElsewhereSelectNothing()
    {
        VQuotPanel panel;
        panel.resize(panel.sizeHint());
        QSignalSpy spy(&panel, &VQuotPanel::onSelectedItem);
        QTest::mouseClick(&panel, Qt::LeftButton, Qt::NoModifier,
                          panel.levelRect(vd::QS_Stall1, VQuotPanel::Bid).center());
        QTest::mouseClick(&panel, Qt::LeftButton, Qt::NoModifier, panel.titleRect().center());
        QTest::mouseClick(&panel, Qt::RightButton, Qt::NoModifier,
                          panel.itemRect(panel.quotItems()->lastPrice()).center());
        QCOMPARE(spy.count(), 0);
    }

    void batchRepaintsOnce()
    {
        VQuotPanel panel;
        panel.resize(panel.sizeHint());
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        PaintCounter paints(&panel);

        panel.beginUpdate();
        fillQuote(panel); // a nested batch
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 0);
        panel.endUpdate();
        QTRY_COMPARE(paints.count, 1);
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, 1);
        QCOMPARE(panel.chartPrices().size(), 1);
    }

    void changesRepaintOnlyTheirPart_data()
    {
        QTest::addColumn<PanelChange>("change");
        QTest::addColumn<QString>("part");
        QTest::newRow("level") << PanelChange([](VQuotPanel &p) { p.setQuotData(vd::QS_Stall2, 1.0, 1, 1.0, 1); })
                               << "levels";
        QTest::newRow("item") << PanelChange([](VQuotPanel &p) { p.quotItems()->matchAmount()->setValue(5.0); })
                              << "items";
        QTest::newRow("product") << PanelChange([](VQuotPanel &p) { p.setProduct(QStringLiteral("1"), {}); })
                                 << "title";
        QTest::newRow("title colour") << PanelChange([](VQuotPanel &p) { p.quotStyle()->setTitleColor(Qt::red); })
                                      << "title";
        QTest::newRow("decimals") << PanelChange([](VQuotPanel &p) { p.quotStyle()->setDecimalPlace(3); }) << "values";
        QTest::newRow("border colour") << PanelChange([](VQuotPanel &p) { p.quotStyle()->setBorderColor(Qt::red); })
                                       << "all";
        QTest::newRow("re-measure") << PanelChange([](VQuotPanel &p) { p.repainPanel(vd::QPE_All); }) << "all";
    }
    void changesRepaintOnlyTheirPart()
    {
        QFETCH(PanelChange, change);
        QFETCH(QString, part);
        VQuotPanel panel;
        panel.resize(panel.sizeHint());
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QCoreApplication::processEvents();
        PaintCounter paints(&panel);
        change(panel);
        QTRY_COMPARE(paints.count, 1);

        const QRect levels
            = panel.levelRect(vd::QS_Stall5, VQuotPanel::Ask) | panel.levelRect(vd::QS_Stall5, VQuotPanel::Bid);
        QRect items;
        for (int id = 0; id < panel.quotItems()->count(); ++id)
            items |= panel.itemRect(panel.quotItems()->item(VQuotDataItems::Id(id)));
        QRegion expected;
        if (part == QLatin1String("levels"))
            expected = levels;
        else if (part == QLatin1String("items"))
            expected = items;
        else if (part == QLatin1String("title"))
            expected = panel.titleRect();
        else if (part == QLatin1String("values"))
            expected = QRegion(levels) + items;
        else
            expected = panel.rect();
        QVERIFY2(paints.lastRegion.xored(expected).isEmpty(), qPrintable(describe(paints.lastRegion)));
    }

    void chartKeepsOnePricePerRecord()
    {
        VQuotPanel panel;
        VQuotDataItem *last = panel.quotItems()->lastPrice();
        const double empty = panel.quotStyle()->emptyData();
        const QVector<double> received = {10.0, 10.1, empty, 10.1, 9.9};
        for (double price : received) {
            panel.beginUpdate();
            last->setValue(price);
            last->setValue(price); // set twice within one record: still one point
            panel.endUpdate();
        }
        QCOMPARE(panel.chartPrices(), (QVector<double> {10.0, 10.1, 10.1, 9.9}));

        for (int i = 0; i < VQuotPanel::ChartCapacity + 5; ++i)
            last->setValue(double(i));
        QCOMPARE(panel.chartPrices().size(), VQuotPanel::ChartCapacity);
        QCOMPARE(panel.chartPrices().first(), 5.0);
        QCOMPARE(panel.chartPrices().last(), double(VQuotPanel::ChartCapacity + 4));
    }

    // The grabbed panel shows the product, the levels and the items in their
    // colours: checked in the rectangles the panel reports, not by pixel hashes.
    void rendersAQuote()
    {
        VQuotPanel panel;
        panel.quotStyle()->setShowChart(true);
        fillQuote(panel);
        // An intraday line: a morning of records drifting up from the previous close.
        for (int i = 0; i < 120; ++i) {
            panel.beginUpdate();
            panel.quotItems()->lastPrice()->setValue(10.0 + 0.01 * std::round(4 * std::sin(i / 9.0) + i / 20.0));
            panel.endUpdate();
        }
        panel.resize(panel.sizeHint());
        const QImage image = panel.grab().toImage();
        const VQuotStyle *style = panel.quotStyle();

        QVERIFY(hasInk(image, panel.titleRect(), style->titleColor()));
        QVERIFY(hasInk(image, panel.titleRect(), style->labelColor())); // market name
        for (int stall = 0; stall < style->levelCount(); ++stall) {
            // Asks above the previous close are red, bids below it green.
            QVERIFY(hasInk(image, panel.levelRect(vd::QuotStall(stall), VQuotPanel::Ask), style->upColor()));
            QVERIFY(hasInk(image, panel.levelRect(vd::QuotStall(stall), VQuotPanel::Bid), style->downColor()));
            QVERIFY(!hasInk(image, panel.levelRect(vd::QuotStall(stall), VQuotPanel::Bid), style->upColor()));
        }
        const VQuotDataItems *items = panel.quotItems();
        QVERIFY(hasInk(image, panel.itemRect(items->lastPrice()), style->upColor()));
        QVERIFY(hasInk(image, panel.itemRect(items->lowLimitPrice()), style->downColor()));
        QVERIFY(!hasInk(image, panel.itemRect(items->matchQuantity()), style->upColor()));
        QVERIFY(hasInk(image, panel.itemRect(items->matchQuantity()), style->textColor()));
        QVERIFY(hasInk(image, panel.chartRect(), style->upColor()));
        // The border is drawn on all four sides by default.
        QCOMPARE(image.pixelColor(0, image.height() / 2), style->borderColor());
        QCOMPARE(image.pixelColor(image.width() - 1, image.height() / 2), style->borderColor());

        const QString dir = qEnvironmentVariable("TARN_SCREENSHOT_DIR");
        if (!dir.isEmpty()) {
            QDir().mkpath(dir);
            QVERIFY(image.save(QDir(dir).filePath(QStringLiteral("vquotpanel.png"))));
        }
    }

    void emptyPanelRendersDashes()
    {
        VQuotPanel panel;
        panel.quotStyle()->setBorderSides(vd::WS_None);
        panel.resize(panel.sizeHint());
        const QImage image = panel.grab().toImage();
        const VQuotStyle *style = panel.quotStyle();
        // No title or market yet: nothing on the title line.
        QVERIFY(!hasInk(image, panel.titleRect(), style->titleColor()));
        const QRect bid = panel.levelRect(vd::QS_Stall1, VQuotPanel::Bid);
        QVERIFY(hasInk(image, bid, style->textColor())); // "--"
        QVERIFY(!hasInk(image, bid, style->upColor()));
        QCOMPARE(image.pixelColor(0, image.height() / 2), style->backgroundColor());
    }
};

QTEST_MAIN(QuotPanelTest)
#include "tst_vquotpanel.moc"
