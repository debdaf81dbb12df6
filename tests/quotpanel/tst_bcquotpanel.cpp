#include <framewait.h>
#include <paintrecorder.h>
#include <quotpanel/bcquotpanel.h>
#include <quotrecord.h>
#include <tarn.h>
#include <testhost.h>
#include <testquotfeed.h>
#include <testutil.h>

#include <imodule.h>
#include <vdatadict.h>
#include <vlocaldb.h>
#include <vquotdataitem.h>
#include <vquotdataitems.h>
#include <vquotpanel.h>
#include <vquotstyle.h>
#include <vstylemgr.h>

#include <QSqlQuery>
#include <QtTest>

#include <functional>
#include <iterator>

namespace {

const QString kGroup = QStringLiteral("PG_QuotPanel_1");

// A panel the module created, and the parts of it the tests look at.
struct Panel
{
    BCQuotPanel *component;
    VQuotPanel *quot;
    VQuotDataItems *items;
    double empty; // the style's empty marker

    // The host calls the scene operations through the component interface.
    IComponent *host() const { return component; }
    void subscribe(char market, const char *code, const char *type = "A", const char *name = "测试证券",
                   double priceUnit = 0.01)
    {
        component->doSubscribeQuot(market, u(code), u(name), priceUnit, u(type));
    }

    QVariant quantity() const { return items->matchQuantity()->value(); }
    QVariant average() const { return items->avgPrice()->value(); }
    QVariant opening() const { return items->openingPrice()->value(); }
    QVariant limits() const { return QVariantList {items->highLimitPrice()->value(), items->lowLimitPrice()->value()}; }
    QVariant ask1Volume() const { return quot->quotData(vd::QS_Stall1).askVolume; }
    QVariant ask3Price() const { return quot->quotData(vd::QS_Stall3).askPrice; }
    QVariant bid10Volume() const { return quot->quotData(vd::QS_Stall10).bidVolume; }
    // The number of levels with a bid price.
    QVariant levels() const
    {
        int filled = 0;
        for (int stall = 0; stall < 10; ++stall)
            filled += quot->quotData(vd::QuotStall(stall)).bidPrice != empty;
        return filled;
    }
};

// One loaded module over a TestHost; unloads in the destructor.
class Fixture
{
public:
    Fixture() { load(); }
    ~Fixture() { UnloadBizModule(); }

    Panel create()
    {
        auto *panel
            = qobject_cast<BCQuotPanel *>(m_module->createComponent(nullptr, u("BCQuotPanel"), u("quot"), nullptr));
        auto *quot = panel->findChild<VQuotPanel *>(u("quotPanel"));
        return {panel, quot, quot->quotItems(), double(quot->quotStyle()->emptyData())};
    }
    // Unloads the module (deleting its components), restarts the host on the
    // same configuration database and loads the module again.
    void restart()
    {
        UnloadBizModule();
        host.restart();
        load();
    }
    // Delivers a record and waits for the frame that shows it.
    void inject(const VQuotData &record)
    {
        host.feed().inject(record);
        QVERIFY(waitForFrame());
    }
    VLocalDb *localDb() { return host.context().localDb(); }

    TestHost host;

private:
    void load()
    {
        m_module = LoadBizModule(&host.context());
        host.context().dataDict()->setItem(u("4"), u("1"), u("上海A股"));
    }
    IModule *m_module = nullptr;
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
QSet<QString> sceneState(const Panel &panel)
{
    const VQuotStyle *style = panel.quot->quotStyle();
    QSet<QString> state {u("QuotStall=%1").arg(int(style->stall()))};
    if (style->showTitle())
        state << u("ShowTitle");
    if (style->showMarket())
        state << u("ShowMarket");
    if (style->showChart())
        state << u("ShowChart");
    for (int id = 0; id < panel.items->count(); ++id) {
        const VQuotDataItem *item = panel.items->item(VQuotDataItems::Id(id));
        if (item->isVisible())
            state << item->key();
    }
    return state;
}

} // namespace

using PanelChange = std::function<void(VQuotPanel &)>;
using Probe = std::function<QVariant(const Panel &)>;
Q_DECLARE_METATYPE(PanelChange)
Q_DECLARE_METATYPE(Probe)

class QuotPanelComponentTest : public QObject
{
    Q_OBJECT

private slots:
    // The host connects components by these exact signatures; a click on an
    // item is published with that item.
    void publishesItsSlotAndSignal()
    {
        Fixture f;
        Panel panel = f.create();
        const VComMethod *slot = panel.component->publishedMethod(VComMethod::Slot, u("doSubscribeQuot"));
        const VComMethod *signal = panel.component->publishedMethod(VComMethod::Signal, u("onSelectedQuotItem"));
        QVERIFY(slot && signal);
        QCOMPARE(slot->signature, QByteArray("1doSubscribeQuot(char, QString, QString, double, QString)"));
        QCOMPARE(signal->signature, QByteArray("2onSelectedQuotItem(VQuotDataItem*)"));
        const QMetaObject *meta = panel.component->metaObject();
        QVERIFY(meta->indexOfSlot(QMetaObject::normalizedSignature(slot->signature.constData() + 1)) >= 0);
        QVERIFY(meta->indexOfSignal(QMetaObject::normalizedSignature(signal->signature.constData() + 1)) >= 0);

        QSignalSpy selected(panel.component, &BCQuotPanel::onSelectedQuotItem);
        panel.component->resize(panel.component->sizeHint());
        VQuotDataItem *last = panel.items->lastPrice();
        QTest::mouseClick(panel.quot, Qt::LeftButton, Qt::NoModifier, panel.quot->itemRect(last).center());
        QCOMPARE(selected, QList<QVariantList> {{QVariant::fromValue(last)}});
    }

    // Nothing happens for market 0 and no code on a new panel, nor for the
    // same market and code again (not even to name, decimals or lot size),
    // nor for a record of status 0 or a null one. A new security clears the
    // panel and replaces the subscription.
    void subscriptionFollowsTheSecurity()
    {
        Fixture f;
        Panel panel = f.create();
        panel.subscribe(0, nullptr, "0", "名称", 0.001);
        QCOMPARE(panel.quot->productName(), QString());
        QCOMPARE(panel.quot->quotStyle()->decimalPlace(), 2);
        QCOMPARE(f.host.feed().subscribeCalls, 0);

        panel.subscribe('1', "600000", "A", "浦发银行", 0.001);
        QCOMPARE(panel.quot->marketName(), u("上海A股"));
        QCOMPARE(f.host.feed().wanted, QStringList {u("1|600000")});
        VQuotData record = fullRecord('1', "600000");
        record.matchQuantity = 12345;
        f.inject(record);
        QCOMPARE(panel.quot->itemText(panel.items->lastPrice()), u("10.000"));
        const int calls = f.host.feed().subscribeCalls;
        panel.subscribe('1', "600000", "0", "别名", 0.01);
        QCOMPARE(panel.quot->productName(), u("浦发银行"));
        QCOMPARE(panel.quot->itemText(panel.items->lastPrice()), u("10.000"));
        QCOMPARE(f.host.feed().subscribeCalls, calls);
        record.status = 0;
        record.lastPrice = 55.0;
        for (VQuotData *received : {&record, static_cast<VQuotData *>(nullptr)})
            QVERIFY(QMetaObject::invokeMethod(panel.component, "doRecvSubscribeQuot", Q_ARG(VQuotData *, received)));
        QVERIFY(waitForFrame());
        QCOMPARE(panel.quot->itemText(panel.items->lastPrice()), u("10.000"));
        record.status = 1;
        f.inject(record);
        QCOMPARE(panel.quot->itemText(panel.items->matchQuantity()), u("12345")); // lots of 1 still

        panel.subscribe('1', "600004", "0", "白云机场");
        QVERIFY(!panel.items->lastPrice()->value().isValid());
        QCOMPARE(panel.quot->quotData(vd::QS_Stall1).askPrice, panel.empty);
        QCOMPARE(panel.quot->productName(), u("白云机场"));
        QCOMPARE(panel.quot->quotStyle()->decimalPlace(), 2);
        QCOMPARE(f.host.feed().wanted, QStringList {u("1|600004")});
    }

    // The panel shows the security it could not subscribe, without data.
    void refusedSubscriptionIsShownOnce()
    {
        Fixture f;
        f.host.feed().refuse = true;
        Panel panel = f.create();
        panel.subscribe('1', "600000", "0", "浦发银行");
        QCOMPARE(f.host.messages().texts(), QStringList {u("订阅<600000>行情失败.")});
        QCOMPARE(f.host.messages().requests.at(0).kind, VMsgRequest::Info);
        QCOMPARE(f.host.messages().requests.at(0).modality, Qt::NonModal);
        QCOMPARE(panel.quot->productName(), u("浦发银行"));
        const int calls = f.host.feed().subscribeCalls;
        panel.subscribe('1', "600000", "0", "浦发银行");
        QCOMPARE(f.host.feed().subscribeCalls, calls);
        QCOMPARE(f.host.messages().requests.size(), 1);
        panel.subscribe('1', "600004");
        QCOMPARE(f.host.messages().texts().last(), u("订阅<600004>行情失败."));
    }

    // One record on a panel subscribed with the row's market and stock type.
    // Lot size 1 for a type found in one of the four lists (the empty type is
    // in all of them), else 100; ten levels for markets 0, 1, 8, 9, five for
    // D, H, Z, else one; prices of (nearly) 0 are empty, limit prices only on
    // D, H and Z; the average price is derived unless the server sends it.
    void recordIsShown_data()
    {
        QTest::addColumn<char>("market");
        QTest::addColumn<QByteArray>("stockType");
        QTest::addColumn<int>("serverType");
        QTest::addColumn<Probe>("probe");
        QTest::addColumn<QVariant>("expected");
        const auto row = [](const char *name, char market, const char *type, int server, const Probe &probe,
                            const QVariant &expected) {
            QTest::newRow(name) << market << QByteArray(type) << server << probe << expected;
        };
        const double empty = VQuotStyle().emptyData();
        row("A: lots of 1", '1', "A", 0, &Panel::quantity, 12345);
        row("part of a list: lots of 1", '1', "g,S", 0, &Panel::quantity, 12345);
        row("empty type: lots of 1", '1', "", 0, &Panel::quantity, 12345);
        row("0: lots of 100", '1', "0", 0, &Panel::quantity, 123);
        row("case matters: lots of 100", '1', "a", 0, &Panel::quantity, 123);
        row("level volume in lots", '1', "0", 0, &Panel::ask1Volume, 1);
        row("largest level volume", '1', "A", 0, &Panel::bid10Volume, 4294967295LL);
        row("no volume, no price", '1', "A", 0, &Panel::ask3Price, empty);
        row("ten levels on 1", '1', "A", 0, &Panel::levels, 10);
        row("five levels on D", 'D', "A", 0, &Panel::levels, 5);
        row("one level on 5", '5', "A", 0, &Panel::levels, 1);
        row("one level on d", 'd', "A", 0, &Panel::levels, 1);
        row("nearly 0 is empty", '1', "A", 0, &Panel::opening, empty);
        row("limits of 0 on 0", '0', "A", 0, &Panel::limits, QVariantList {0.0, 0.0});
        row("limits of 0 on F", 'F', "A", 0, &Panel::limits, QVariantList {0.0, 0.0});
        row("limits of 0 on Z", 'Z', "A", 0, &Panel::limits, QVariantList {empty, empty});
        row("average as sent", '1', "0", 0, &Panel::average, 9.87);
        row("average derived, lots of 100", '1', "0", 1, &Panel::average, 1.0);
        row("average derived, lots of 1", '1', "A", 1, &Panel::average, 100.0);
    }
    void recordIsShown()
    {
        QFETCH(char, market);
        QFETCH(QByteArray, stockType);
        QFETCH(int, serverType);
        QFETCH(Probe, probe);
        QFETCH(QVariant, expected);
        Fixture f;
        f.host.feed().type = serverType;
        Panel panel = f.create();
        panel.subscribe(market, "C1", stockType.constData());
        VQuotData record = fullRecord(market, "C1");
        record.openingPrice = 0.000001;
        record.matchQuantity = 12345;
        record.matchAmount = 1234500.0;
        record.avgPrice = 9.87;
        record.askVolume[0] = 199;
        record.askVolume[2] = 0;
        record.bidVolume[9] = 4294967295u;
        f.inject(record);
        QCOMPARE(probe(panel), expected);
    }

    // However many records come between two frames, the panel shows the
    // latest at the next frame, in one paint.
    void recordsOfAFrameShowTheLatestOnce()
    {
        Fixture f;
        Panel panel = f.create();
        panel.subscribe('1', "600000", "0", "浦发银行");
        panel.component->show();
        QVERIFY(QTest::qWaitForWindowExposed(panel.component));
        QVERIFY(waitForFrame());
        PaintRecorder paints(panel.quot);
        VQuotData record = fullRecord('1', "600000");
        for (int i = 1; i <= 20; ++i) {
            record.lastPrice = 10.0 + 0.01 * i;
            f.host.feed().inject(record);
        }
        QCOMPARE(paints.count, 0);
        QVERIFY(waitForFrame());
        QCOMPARE(paints.count, 1);
        QCOMPARE(panel.quot->itemText(panel.items->lastPrice()), u("10.20"));
    }

    void suspensionMarksTheNameOnce()
    {
        Fixture f;
        Panel panel = f.create();
        panel.subscribe('1', "600000", "0", "浦发银行");
        VQuotData record = fullRecord('1', "600000");
        record.suspendFlag = 'T';
        for (int i = 0; i < 3; ++i)
            f.inject(record);
        QCOMPARE(panel.items->delistFlag()->value().toString(), u("停牌"));
        QCOMPARE(panel.quot->productName(), u("浦发银行(停牌)"));
        record.suspendFlag = 'N';
        f.inject(record);
        QCOMPARE(panel.items->delistFlag()->value().toString(), u("正常"));
        QCOMPARE(panel.quot->productName(), u("浦发银行(停牌)"));
        // The next subscription sets the name afresh.
        panel.subscribe('1', "600004");
        panel.subscribe('1', "600000", "0", "浦发银行");
        QCOMPARE(panel.quot->productName(), u("浦发银行"));
    }

    // Off switches and hidden items are not stored, so after a restart they
    // take the widget's default again: the chart, off by default, stays off
    // where an earlier scene had it on; a hidden title shows again.
    void sceneSurvivesARestart_data()
    {
        QTest::addColumn<PanelChange>("change");
        QTest::newRow("chart off again") << PanelChange([](VQuotPanel &) {});
        QTest::newRow("chart on") << PanelChange([](VQuotPanel &p) { p.quotStyle()->setShowChart(true); });
        QTest::newRow("hidden title") << PanelChange([](VQuotPanel &p) { p.quotStyle()->setShowTitle(false); });
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
        Panel panel = f.create();
        panel.component->setComCfgGroup(kGroup);
        panel.quot->quotStyle()->setShowChart(true);
        panel.host()->saveScene();
        panel.quot->quotStyle()->setShowChart(false);
        change(*panel.quot);
        panel.host()->saveScene();
        const QSet<QString> saved = sceneState(panel);

        f.restart();
        Panel restored = f.create();
        restored.component->setComCfgGroup(kGroup);
        QSet<QString> expected = sceneState(restored); // the defaults, with the stall as saved
        expected.remove(u("QuotStall=%1").arg(int(restored.quot->quotStyle()->stall())));
        expected.unite(saved);
        restored.host()->restoreScene();
        QCOMPARE(sceneState(restored), expected);
    }

    // Without a configuration group nothing is written or read; with one, a
    // set holding only the stall changes only the levels.
    void restoreAppliesOnlyStoredKeys()
    {
        Fixture f;
        QVERIFY(f.localDb()->setCfgParam(kGroup, {{u("QuotStall"), 9}}, true));
        Panel panel = f.create();
        QSet<QString> expected = sceneState(panel);
        panel.host()->saveScene();
        panel.host()->restoreScene();
        QCOMPARE(sceneState(panel), expected);
        QSqlQuery rows(u("SELECT groupname FROM cfgparam"), f.localDb()->database());
        QVERIFY(rows.next());
        QCOMPARE(rows.value(0).toString(), kGroup);
        QVERIFY(!rows.next());

        panel.component->setComCfgGroup(kGroup);
        panel.host()->restoreScene();
        QVERIFY(expected.remove(u("QuotStall=4")));
        expected << u("QuotStall=9");
        QCOMPARE(sceneState(panel), expected);
    }

    // Every colour the panel draws comes from the client's style, and a
    // switch of style gives the panel the new style's colours.
    void coloursFollowTheClientStyle_data()
    {
        QTest::addColumn<QString>("resource");
        QTest::addColumn<int>("colour"); // position in kColours below
        const char *const resources[]
            = {"Qout_Title_Font_Color", "Qout_Border_Color", "Qout_Background_Color", "Qout_Label_Font_Color",
               "Qout_Neutral_Color",    "Qout_Rise_Color",   "Qout_Fall_Color"};
        for (int i = 0; i < int(std::size(resources)); ++i)
            QTest::newRow(resources[i]) << QString::fromLatin1(resources[i]) << i;
    }
    void coloursFollowTheClientStyle()
    {
        QFETCH(QString, resource);
        QFETCH(int, colour);
        using Getter = QColor (VQuotStyle::*)() const;
        const QVector<Getter> kColours {&VQuotStyle::titleColor, &VQuotStyle::borderColor, &VQuotStyle::backgroundColor,
                                        &VQuotStyle::labelColor, &VQuotStyle::textColor,   &VQuotStyle::upColor,
                                        &VQuotStyle::downColor};
        Fixture f;
        Panel panel = f.create();
        const VQuotStyle *style = panel.quot->quotStyle();
        VStyleMgr *styles = f.host.context().styleMgr();
        const QColor light = styles->colorRes(resource);
        QCOMPARE((style->*kColours.at(colour))(), light);
        QVERIFY(styles->setStyle(u("dark")));
        QCOMPARE((style->*kColours.at(colour))(), styles->colorRes(resource));
        QVERIFY((style->*kColours.at(colour))() != light);
    }

    // The width limit follows every style change, and the panel asks layouts
    // for no height of its own.
    void sizeFollowsTheClientStyle()
    {
        Fixture f;
        Panel panel = f.create();
        VStyleMgr *styles = f.host.context().styleMgr();
        const int before = panel.component->maximumWidth();
        panel.quot->quotStyle()->setDigitMaxLen(12);
        QVERIFY(styles->setStyle(styles->style() == QLatin1String("dark") ? u("light") : u("dark")));
        const int width = panel.quot->minimumSizeHint().width() + 2;
        QVERIFY(width != before);
        QCOMPARE(panel.component->maximumWidth(), width);
        QCOMPARE(panel.component->minimumSizeHint(), QSize(width, 0));
        QCOMPARE(panel.component->sizeHint(), panel.quot->sizeHint());
    }

    // A known quote, grabbed offscreen: the texts of the product and of every
    // level, and ink where the panel lays them out.
    void rendersAKnownQuote()
    {
        Fixture f;
        Panel panel = f.create();
        VQuotStyle *style = panel.quot->quotStyle();
        style->setStall(vd::QS_Stall10);
        style->setShowChart(true);
        style->setBorderSides(vd::WS_All);
        panel.subscribe('1', "600000", "0", "浦发银行");
        VQuotData record = fullRecord('1', "600000");
        for (int i = 0; i < 60; ++i) {
            record.lastPrice = 10.0 + 0.01 * (i % 12);
            f.inject(record);
        }
        panel.component->resize(panel.component->sizeHint());
        panel.component->show();
        QVERIFY(QTest::qWaitForWindowExposed(panel.component));
        const QImage image = panel.component->grab().toImage();
        const auto inked = [&](const QRect &rect) {
            const QRect inPanel = rect.translated(panel.quot->pos());
            for (int y = inPanel.top(); y <= inPanel.bottom(); ++y)
                for (int x = inPanel.left(); x <= inPanel.right(); ++x)
                    if (image.pixelColor(x, y) != style->backgroundColor())
                        return true;
            return false;
        };
        QCOMPARE(panel.quot->titleText(), u("600000 浦发银行"));
        QVERIFY(inked(panel.quot->titleRect()));
        QVERIFY(inked(panel.quot->chartRect()));
        for (int stall = 0; stall < 10; ++stall) {
            QCOMPARE(panel.quot->levelPriceText(vd::QuotStall(stall), VQuotPanel::Ask),
                     QString::number(record.askPrice[stall], 'f', 2));
            QVERIFY(inked(panel.quot->levelRect(vd::QuotStall(stall), VQuotPanel::Ask)));
            QVERIFY(inked(panel.quot->levelRect(vd::QuotStall(stall), VQuotPanel::Bid)));
        }
    }
};

QTEST_MAIN(QuotPanelComponentTest)
#include "tst_bcquotpanel.moc"
