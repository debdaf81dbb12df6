#include <framewait.h>
#include <modulehost.h>
#include <paintrecorder.h>
#include <quotpanel/bcquotpanel.h>
#include <quotrecord.h>
#include <testquotfeed.h>
#include <testutil.h>

#include <vlocaldb.h>
#include <vquotdataitem.h>
#include <vquotdataitems.h>
#include <vquotpanel.h>
#include <vquotstyle.h>
#include <vstylemgr.h>

#include <QSqlQuery>
#include <QToolTip>

#include <functional>

namespace {

const QString Group = QStringLiteral("PG_QuotPanel_1");

// The module with market names, and one panel it made.
class Fixture : public ModuleHost
{
public:
    Fixture() { make(); }

    void make()
    {
        addNames("4", "1=上海A股");
        panel = create<BCQuotPanel>("BCQuotPanel");
        quot = panel->findChild<VQuotPanel *>(u("quotPanel"));
        items = quot->quotItems();
    }
    void subscribe(char market, const char *code, const char *type = "0", const char *name = "浦发银行",
                   double priceUnit = 0.01)
    {
        panel->doSubscribeQuot(market, u(code), u(name), priceUnit, u(type));
    }
    // Delivers a record and waits for the frame that shows it.
    void inject(const VQuotData &record)
    {
        feed().inject(record);
        QVERIFY(waitForFrame());
    }
    QString last() const { return quot->itemText(items->lastPrice()); }
    // The scene operations, as the host calls them.
    IComponent *scene() const { return panel; }

    BCQuotPanel *panel = nullptr;
    VQuotPanel *quot = nullptr;
    VQuotDataItems *items = nullptr;
};

// A record with every level filled: asks 10.01, 10.02, …; bids 9.99, 9.98, …
VQuotData fullRecord(char market, const QByteArray &code)
{
    VQuotData record = makeQuotRecord(market, code);
    record.preClosingPrice = 10.0;
    record.lastPrice = 10.0;
    record.highPrice = 10.2;
    for (int i = 0; i < 10; ++i) {
        record.askPrice[i] = 10.01 + 0.01 * i;
        record.askVolume[i] = 100 * (i + 1);
        record.bidPrice[i] = 9.99 - 0.01 * i;
        record.bidVolume[i] = 200 * (i + 1);
    }
    return record;
}

// What a scene holds: the stall, and the switches and items that are on.
QSet<QString> sceneState(const VQuotPanel *quot)
{
    const VQuotStyle *style = quot->quotStyle();
    QSet<QString> state {u("QuotStall=%1").arg(int(style->stall()))};
    const std::pair<const char *, bool> switches[]
        = {{"ShowTitle", style->showTitle()}, {"ShowMarket", style->showMarket()}, {"ShowChart", style->showChart()}};
    for (const auto &[key, on] : switches) {
        if (on)
            state << QLatin1String(key);
    }
    for (int id = 0; id < quot->quotItems()->count(); ++id) {
        const VQuotDataItem *item = quot->quotItems()->item(VQuotDataItems::Id(id));
        if (item->isVisible())
            state << item->key();
    }
    return state;
}

} // namespace

using PanelChange = std::function<void(VQuotPanel &)>;
Q_DECLARE_METATYPE(PanelChange)

class QuotPanelComponentTest : public QObject
{
    Q_OBJECT

private slots:
    // The published signal is one the host can connect to (the host
    // window's tests reach the published slot); a click on an item is
    // published with that item.
    void publishesTheSelectedItem()
    {
        Fixture f;
        const VComMethod *signal = f.panel->publishedMethod(VComMethod::Signal, u("onSelectedQuotItem"));
        QVERIFY(signal);
        const QByteArray name = QMetaObject::normalizedSignature(signal->signature.constData() + 1);
        QVERIFY(f.panel->metaObject()->indexOfSignal(name) >= 0);

        QSignalSpy selected(f.panel, &BCQuotPanel::onSelectedQuotItem);
        f.panel->resize(f.panel->sizeHint());
        QTest::mouseClick(f.quot, Qt::LeftButton, Qt::NoModifier, f.quot->itemRect(f.items->lastPrice()).center());
        QCOMPARE(selected, QList<QVariantList> {{QVariant::fromValue(f.items->lastPrice())}});
    }

    // An option's name, longer than the panel's title, shows whole as the
    // title's tooltip; a name that fits needs none.
    void longNameInTheTooltip()
    {
        Fixture f;
        f.addNames("4", "5=上交所期权");
        f.panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.panel));
        QCOMPARE(f.quot->quotStyle()->showTitle(), true);
        const QPoint title = f.quot->titleRect().center();
        const auto tipAtTitle = [&] {
            QHelpEvent help(QEvent::ToolTip, title, f.quot->mapToGlobal(title));
            QApplication::sendEvent(f.quot, &help);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        f.subscribe('5', "10006220", "S", "50ETF购12月2750", 0.0001);
        QTRY_COMPARE(tipAtTitle(), u("10006220 50ETF购12月2750"));
        f.subscribe('1', "600000");
        QTRY_COMPARE(tipAtTitle(), QString());
    }

    // Nothing happens for market 0 and no code on a new panel, nor for the
    // same market and code again (not even to name, decimals or lot size),
    // nor for a record of status 0 or a null one. A suspension marks the
    // name once. A new security clears the panel and replaces the
    // subscription; one the feed refuses is shown, without data, and said
    // once.
    void subscriptionFollowsTheSecurity()
    {
        Fixture f;
        f.subscribe(0, nullptr, "0", "名称", 0.001);
        QCOMPARE(f.quot->productName(), QString());
        QCOMPARE(f.quot->quotStyle()->decimalPlace(), 2);
        QCOMPARE(f.feed().subscribeCalls, 0);

        f.subscribe('1', "600000", "A", "浦发银行", 0.001);
        QCOMPARE(f.quot->marketName(), u("上海A股"));
        QCOMPARE(f.feed().wanted, QStringList {u("1|600000")});
        VQuotData record = fullRecord('1', "600000");
        record.matchQuantity = 12345;
        f.inject(record);
        QCOMPARE(f.last(), u("10.000"));
        const int calls = f.feed().subscribeCalls;
        f.subscribe('1', "600000", "0", "别名", 0.01);
        QCOMPARE(f.quot->productName(), u("浦发银行"));
        QCOMPARE(f.last(), u("10.000"));
        QCOMPARE(f.feed().subscribeCalls, calls);
        record.status = 0;
        record.lastPrice = 55.0;
        for (VQuotData *received : {&record, static_cast<VQuotData *>(nullptr)})
            QVERIFY(QMetaObject::invokeMethod(f.panel, "doRecvSubscribeQuot", Q_ARG(VQuotData *, received)));
        QVERIFY(waitForFrame());
        QCOMPARE(f.last(), u("10.000"));
        record.status = 1;
        record.suspendFlag = 'T';
        f.inject(record);
        f.inject(record);
        QCOMPARE(f.items->delistFlag()->value().toString(), u("停牌"));
        QCOMPARE(f.quot->productName(), u("浦发银行(停牌)"));
        record.suspendFlag = 'N';
        f.inject(record);
        QCOMPARE(f.items->delistFlag()->value().toString(), u("正常"));
        QCOMPARE(f.quot->productName(), u("浦发银行(停牌)"));

        f.subscribe('1', "600004", "0", "白云机场");
        QVERIFY(!f.items->lastPrice()->value().isValid());
        QCOMPARE(f.quot->quotData(vd::QS_Stall1).askPrice, double(f.quot->quotStyle()->emptyData()));
        QCOMPARE(f.quot->productName(), u("白云机场"));
        QCOMPARE(f.quot->quotStyle()->decimalPlace(), 2);
        QCOMPARE(f.feed().wanted, QStringList {u("1|600004")});

        f.feed().refuse = true;
        for (int i = 0; i < 2; ++i)
            f.subscribe('1', "600016", "0", "民生银行");
        QCOMPARE(f.quot->productName(), u("民生银行"));
        QCOMPARE(f.messages().texts(), QStringList {u("订阅<600016>行情失败.")});
        QCOMPARE(f.messages().requests.at(0).kind, VMsgRequest::Info);
        QCOMPARE(f.messages().requests.at(0).modality, Qt::NonModal);
    }

    // One record on a panel subscribed with the row's market and stock type.
    // Lot size 1 for a type found in one of the four lists (the empty type is
    // in all of them), else 100; ten levels for markets 0, 1, 8, 9, five for
    // D, H, Z and the option markets 5 and 6, else one; prices of (nearly) 0 are empty, limit prices only on
    // D, H and Z; the average price is derived unless the server sends it.
    // Each row tries a lot size and a number of levels at once.
    void recordIsShown_data()
    {
        QTest::addColumn<char>("market");
        QTest::addColumn<QString>("stockType");
        QTest::addColumn<int>("serverType");
        // quantity, average, opening, high and low limits, levels with a bid,
        // ask 1's volume, ask 2's and ask 3's prices, bid 10's volume
        QTest::addColumn<QString>("shown");
        const auto row = [](const char *name, char market, const char *type, int server, const char *shown) {
            QTest::newRow(name) << market << u(type) << server << u(shown);
        };
        row("part of a list: lots of 1, ten levels on 0", '0', "g,S", 0,
            "12345 9.87 -- 0 0 10 199 10.02 -- 4294967295");
        row("empty type: lots of 1, five levels on D", 'D', "", 0, "12345 9.87 -- -- -- 5 199 10.02 -- 0");
        row("0: lots of 100, five levels on Z", 'Z', "0", 0, "123 9.87 -- -- -- 5 1 10.02 -- 0");
        row("case matters: lots of 100, one level on F", 'F', "a", 0, "123 9.87 -- 0 0 1 1 -- -- 0");
        row("an option: lots of 1, five levels on 5", '5', "S", 0, "12345 9.87 -- 0 0 5 199 10.02 -- 0");
        row("average derived, lots of 100", '1', "0", 1, "123 1 -- 0 0 10 1 10.02 -- 42949672");
        row("average derived, lots of 1", '1', "A", 1, "12345 100 -- 0 0 10 199 10.02 -- 4294967295");
    }
    void recordIsShown()
    {
        QFETCH(char, market);
        QFETCH(QString, stockType);
        QFETCH(int, serverType);
        Fixture f;
        f.feed().type = serverType;
        f.subscribe(market, "C1", stockType.toUtf8().constData());
        VQuotData record = fullRecord(market, "C1");
        record.openingPrice = 0.000001;
        record.matchQuantity = 12345;
        record.matchAmount = 1234500.0;
        record.avgPrice = 9.87;
        record.askVolume[0] = 199;
        record.askVolume[2] = 0;
        record.bidVolume[9] = 4294967295u;
        f.inject(record);
        const double empty = f.quot->quotStyle()->emptyData();
        QStringList shown;
        const auto add
            = [&](const QVariant &value) { shown << (value.toDouble() == empty ? u("--") : value.toString()); };
        for (const VQuotDataItem *item : {f.items->matchQuantity(), f.items->avgPrice(), f.items->openingPrice(),
                                          f.items->highLimitPrice(), f.items->lowLimitPrice()})
            add(item->value());
        int levels = 0;
        for (int stall = 0; stall < 10; ++stall)
            levels += f.quot->quotData(vd::QuotStall(stall)).bidPrice != empty;
        add(levels);
        add(f.quot->quotData(vd::QS_Stall1).askVolume);
        add(f.quot->quotData(vd::QS_Stall2).askPrice);
        add(f.quot->quotData(vd::QS_Stall3).askPrice);
        add(f.quot->quotData(vd::QS_Stall10).bidVolume);
        QTEST(shown.join(QLatin1Char(' ')), "shown");
    }

    // However many records come between two frames, the panel shows the
    // latest at the next frame, in one paint.
    void recordsOfAFrameShowTheLatestOnce()
    {
        Fixture f;
        f.subscribe('1', "600000");
        f.panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.panel));
        QVERIFY(waitForFrame());
        PaintRecorder paints(f.quot);
        VQuotData record = fullRecord('1', "600000");
        for (int i = 1; i <= 20; ++i) {
            record.lastPrice = 10.0 + 0.01 * i;
            f.feed().inject(record);
        }
        QCOMPARE(paints.count, 0);
        QVERIFY(waitForFrame());
        QCOMPARE(paints.count, 1);
        QCOMPARE(f.last(), u("10.20"));
    }

    // Off switches and hidden items are not stored, so after a restart they
    // take the widget's default again: the chart, off by default, stays off
    // where an earlier scene had it on. Without a configuration group
    // nothing is written or read.
    void sceneSurvivesARestart_data()
    {
        QTest::addColumn<PanelChange>("change");
        QTest::newRow("chart on") << PanelChange([](VQuotPanel &p) { p.quotStyle()->setShowChart(true); });
        QTest::newRow("ten levels, everything off") << PanelChange([](VQuotPanel &p) {
            p.quotStyle()->setStall(vd::QS_Stall10);
            p.quotStyle()->setShowTitle(false);
            p.quotStyle()->setShowMarket(false);
            for (int id = 0; id < p.quotItems()->count(); ++id)
                p.quotItems()->item(VQuotDataItems::Id(id))->setVisible(false);
        });
    }
    void sceneSurvivesARestart()
    {
        QFETCH(PanelChange, change);
        Fixture f;
        f.quot->quotStyle()->setShowChart(true);
        f.scene()->saveScene();
        QCOMPARE(QSqlQuery(u("SELECT * FROM cfgparam"), f.context().localDb()->database()).next(), false);
        f.panel->setComCfgGroup(Group);
        f.scene()->saveScene();
        f.quot->quotStyle()->setShowChart(false);
        change(*f.quot);
        f.scene()->saveScene();
        const QSet<QString> saved = sceneState(f.quot);

        f.restart();
        f.make();
        const QSet<QString> defaults = sceneState(f.quot);
        f.scene()->restoreScene();
        QCOMPARE(sceneState(f.quot), defaults);
        f.panel->setComCfgGroup(Group);
        f.scene()->restoreScene();
        QSet<QString> expected = defaults; // with the stall as saved
        expected.remove(u("QuotStall=%1").arg(int(vd::QS_Stall5)));
        QCOMPARE(sceneState(f.quot), expected.unite(saved));
    }

    // Every colour the panel draws comes from the client's style; a switch
    // of style gives the panel the new style's colours and width limit, and
    // the panel asks layouts for no height of its own.
    void followsTheClientStyle()
    {
        using Getter = QColor (VQuotStyle::*)() const;
        const std::pair<const char *, Getter> colours[] = {{"Qout_Title_Font_Color", &VQuotStyle::titleColor},
                                                           {"Qout_Border_Color", &VQuotStyle::borderColor},
                                                           {"Qout_Background_Color", &VQuotStyle::backgroundColor},
                                                           {"Qout_Label_Font_Color", &VQuotStyle::labelColor},
                                                           {"Qout_Neutral_Color", &VQuotStyle::textColor},
                                                           {"Qout_Rise_Color", &VQuotStyle::upColor},
                                                           {"Qout_Fall_Color", &VQuotStyle::downColor}};
        Fixture f;
        const VQuotStyle *style = f.quot->quotStyle();
        VStyleMgr *styles = f.context().styleMgr();
        QVector<QColor> light;
        for (const auto &[resource, colour] : colours) {
            light << styles->colorRes(QLatin1String(resource));
            QCOMPARE((style->*colour)(), light.last());
        }
        const int before = f.panel->maximumWidth();
        f.quot->quotStyle()->setDigitMaxLen(12);
        QVERIFY(styles->setStyle(u("dark")));
        for (const auto &[resource, colour] : colours) {
            QCOMPARE((style->*colour)(), styles->colorRes(QLatin1String(resource)));
            QVERIFY2((style->*colour)() != light.takeFirst(), resource);
        }
        QVERIFY(f.panel->maximumWidth() != before);
        QCOMPARE(f.panel->minimumSizeHint(), QSize(f.panel->maximumWidth(), 0));
    }
};

QTEST_MAIN(QuotPanelComponentTest)
#include "tst_bcquotpanel.moc"
