#include <vquotdataitem.h>
#include <vquotdataitems.h>
#include <vquotpanel.h>
#include <vquotstyle.h>

#include <QtTest>

#include <functional>

using PanelChange = std::function<void(VQuotPanel &)>;
Q_DECLARE_METATYPE(PanelChange)
Q_DECLARE_METATYPE(VQuotDataItem::Kind)
Q_DECLARE_METATYPE(VQuotDataItems::Id)

class QuotPanelTest : public QObject
{
    Q_OBJECT

private slots:
    // Text and colour of a value; prices compare with the previous close as
    // shown, changes and ratios with 0.
    void valueText_data()
    {
        QTest::addColumn<VQuotDataItem::Kind>("kind");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QVariant>("preClose");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("direction"); // 1 the up colour, -1 the down colour, 0 the text colour
        const auto row = [](const char *name, VQuotDataItem::Kind kind, const QVariant &value, int decimals,
                            const char *text, int direction, const QVariant &preClose = 10.0) {
            QTest::newRow(name) << kind << value << decimals << preClose << QString::fromUtf8(text) << direction;
        };
        const double empty = VQuotStyle().emptyData();
        row("invalid", VQuotDataItem::Price, QVariant(), 2, "--", 0);
        row("empty price", VQuotDataItem::Price, empty, 2, "--", 0);
        row("price above, rounded", VQuotDataItem::Price, 10.005, 2, "10.01", 1);
        row("price below, 0 decimals", VQuotDataItem::Price, 8.6, 0, "9", -1);
        row("price equal when shown", VQuotDataItem::Price, 10.0001, 2, "10.00", 0);
        row("no previous close", VQuotDataItem::Price, 10.5, 3, "10.500", 0, empty);
        row("rise", VQuotDataItem::Change, 0.12, 2, "+0.12", 1);
        row("tiny fall", VQuotDataItem::Change, -0.001, 2, "0.00", 0);
        row("ratio up", VQuotDataItem::Ratio, 0.0123, 3, "+1.23%", 1);
        row("ratio down", VQuotDataItem::Ratio, -0.1, 2, "-10.00%", -1);
        row("below 万", VQuotDataItem::Quantity, qint64(99999), 2, "99999", 0);
        row("万", VQuotDataItem::Quantity, qint64(123456), 2, "12.35万", 0);
        row("万, four digits", VQuotDataItem::Quantity, qint64(12345678), 2, "1235万", 0);
        row("亿", VQuotDataItem::Quantity, 1.5e9, 2, "15.00亿", 0);
        row("text", VQuotDataItem::Text, QStringLiteral("停牌"), 2, "停牌", 0);
    }
    void valueText()
    {
        QFETCH(VQuotDataItem::Kind, kind);
        QFETCH(QVariant, value);
        QFETCH(int, decimals);
        QFETCH(QVariant, preClose);
        QFETCH(int, direction);
        VQuotStyle style;
        style.setDecimalPlace(decimals);
        QTEST(style.valueText(kind, value), "text");
        const QColor colors[] = {style.downColor(), style.textColor(), style.upColor()};
        QCOMPARE(style.valueColor(kind, value, preClose), colors[direction + 1]);
    }

    // The minimum size grows and shrinks with what is shown; top to bottom the
    // highest ask … ask 1, bid 1 … the highest bid shown, then the items.
    void layoutFollowsTheStyle_data()
    {
        QTest::addColumn<PanelChange>("change");
        QTest::addColumn<int>("widthSign"); // -1 narrower, 0 the same, 1 wider
        QTest::addColumn<int>("heightSign");
        QTest::newRow("ten levels") << PanelChange([](VQuotPanel &p) { p.quotStyle()->setStall(vd::QS_Stall10); }) << 0
                                    << 1;
        QTest::newRow("one level") << PanelChange([](VQuotPanel &p) { p.quotStyle()->setStall(vd::QS_Stall1); }) << 0
                                   << -1;
        QTest::newRow("no title line") << PanelChange([](VQuotPanel &p) {
            p.quotStyle()->setShowTitle(false);
            p.quotStyle()->setShowMarket(false);
        }) << 0 << -1;
        QTest::newRow("one item column") << PanelChange([](VQuotPanel &p) {
            for (int id = VQuotDataItems::PreClosingPrice; id <= VQuotDataItems::LowPrice; ++id)
                p.quotItems()->item(VQuotDataItems::Id(id))->setVisible(false);
        }) << -1 << 0;
    }
    void layoutFollowsTheStyle()
    {
        QFETCH(PanelChange, change);
        VQuotPanel panel;
        const QSize before = panel.minimumSizeHint();
        change(panel);
        const QSize after = panel.minimumSizeHint();
        QTEST(qBound(-1, after.width() - before.width(), 1), "widthSign");
        QTEST(qBound(-1, after.height() - before.height(), 1), "heightSign");
        QCOMPARE(panel.sizeHint(), after);

        const int levels = panel.quotStyle()->levelCount();
        int bottom = panel.titleRect().bottom();
        for (int row = 0; row < 2 * levels; ++row) {
            const QRect rect = row < levels ? panel.levelRect(vd::QuotStall(levels - 1 - row), VQuotPanel::Ask)
                                            : panel.levelRect(vd::QuotStall(row - levels), VQuotPanel::Bid);
            QVERIFY(rect.top() > bottom);
            bottom = rect.bottom();
        }
        QVERIFY(panel.levelRect(vd::QuotStall(levels), VQuotPanel::Bid).isNull());
        QVERIFY(panel.itemRect(panel.quotItems()->lastPrice()).top() > bottom);
    }

    // Only a left click on a visible item selects it; hidden items leave no gap.
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
        VQuotDataItem *item = panel.quotItems()->item(clicked);
        const int top = panel.itemRect(item).top();
        if (hidden != VQuotDataItems::ItemCount) {
            panel.quotItems()->item(hidden)->setVisible(false);
            QVERIFY(panel.itemRect(panel.quotItems()->item(hidden)).isNull());
            QVERIFY(panel.itemRect(item).top() < top); // the column closes up
        }
        panel.resize(panel.sizeHint());
        QSignalSpy spy(&panel, &VQuotPanel::onSelectedItem);
        QTest::mouseClick(&panel, Qt::RightButton, Qt::NoModifier, panel.itemRect(item).center());
        QTest::mouseClick(&panel, Qt::LeftButton, Qt::NoModifier, panel.titleRect().center());
        QTest::mouseClick(&panel, Qt::LeftButton, Qt::NoModifier, panel.itemRect(item).center());
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<VQuotDataItem *>(), item);
    }
};

QTEST_MAIN(QuotPanelTest)
#include "tst_vquotpanel.moc"
