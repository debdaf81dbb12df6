#include <quotpanel/bcquotpanel.h>
#include <quotrecord.h>
#include <tarn.h>
#include <testhost.h>
#include <testquotfeed.h>

#include <imodule.h>
#include <vcomregistry.h>
#include <vdatadict.h>
#include <vlocaldb.h>
#include <vquotdataitem.h>
#include <vquotdataitems.h>
#include <vquotmgr.h>
#include <vquotpanel.h>
#include <vquotstyle.h>
#include <vsimquotfeed.h>
#include <vstylemgr.h>

#include <QDir>
#include <QSqlQuery>
#include <QtTest>

#include <functional>

using Params = QHash<QString, QVariant>;
using PanelChange = std::function<void(VQuotPanel &)>;
Q_DECLARE_METATYPE(PanelChange)

namespace {

const QString kClass = QStringLiteral("BCQuotPanel");
const QString kGroup = QStringLiteral("PG_QuotPanel_1");

// Another module's component: it publishes the choice of a security, and
// receives quote items chosen on a panel.
class PickerComponent : public IComponent
{
    Q_OBJECT
public:
    PickerComponent()
        : IComponent(nullptr, QStringLiteral("Picker"), QStringLiteral("picker"))
    {
        registSignal(QStringLiteral("onPicked"), "2picked(char, QString, QString, double, QString)", QString());
    }
    QList<VQuotDataItem *> chosen;

signals:
    void picked(char market, QString code, QString name, double priceUnit, QString stockType);

public slots:
    void doChoose(VQuotDataItem *item) { chosen << item; }
};

// One loaded module over a TestHost; unloads in the destructor.
class Fixture
{
public:
    Fixture() { load(); }
    ~Fixture() { UnloadBizModule(); }

    BCQuotPanel *create(const QString &identity = QStringLiteral("quot"))
    {
        return qobject_cast<BCQuotPanel *>(m_module->createComponent(nullptr, kClass, identity, nullptr));
    }
    // Unloads the module (deleting its components), restarts the host on the
    // same configuration database and loads the module again.
    void restart()
    {
        UnloadBizModule();
        host.restart();
        load();
    }

    TestHost host;

private:
    void load()
    {
        m_module = LoadBizModule(&host.context());
        host.context().dataDict()->setItem(QStringLiteral("4"), QStringLiteral("1"), QStringLiteral("上海A股"));
    }
    IModule *m_module = nullptr;
};

VQuotPanel *quotPanel(BCQuotPanel *panel)
{
    return panel->findChild<VQuotPanel *>(QStringLiteral("quotPanel"));
}

VQuotDataItems *items(BCQuotPanel *panel)
{
    return quotPanel(panel)->quotItems();
}

double emptyMarker(BCQuotPanel *panel)
{
    return quotPanel(panel)->quotStyle()->emptyData();
}

void subscribe(BCQuotPanel *panel, char market, const QString &code, const QString &type = QStringLiteral("A"),
               const QString &name = QStringLiteral("测试证券"), double priceUnit = 0.01)
{
    panel->doSubscribeQuot(market, code, name, priceUnit, type);
}

// A record with every level filled: asks 10.01, 10.02, …; bids 9.99, 9.98, …
VQuotData fullRecord(char market, const QByteArray &code)
{
    VQuotData record = makeQuotRecord(market, code);
    record.preClosingPrice = 10.0;
    record.openingPrice = 9.9;
    record.lastPrice = 10.0;
    record.highPrice = 10.2;
    record.lowPrice = 9.8;
    for (int i = 0; i < 10; ++i) {
        record.askPrice[i] = 10.01 + 0.01 * i;
        record.askVolume[i] = 100 * (i + 1);
        record.bidPrice[i] = 9.99 - 0.01 * i;
        record.bidVolume[i] = 200 * (i + 1);
    }
    return record;
}

// The number of levels that received a record's prices.
int filledLevels(BCQuotPanel *panel)
{
    int filled = 0;
    for (int stall = 0; stall < 10; ++stall) {
        const VQuotLevel level = quotPanel(panel)->quotData(vd::QuotStall(stall));
        if (level.askPrice != emptyMarker(panel) && level.bidPrice != emptyMarker(panel))
            ++filled;
    }
    return filled;
}

// The host calls the scene operations through the component interface.
void saveScene(IComponent *component)
{
    component->saveScene();
}
void restoreScene(IComponent *component)
{
    component->restoreScene();
}

void receive(BCQuotPanel *panel, VQuotData *record)
{
    QVERIFY(QMetaObject::invokeMethod(panel, "doRecvSubscribeQuot", Q_ARG(VQuotData *, record)));
}

// The visible items and switches, for comparing scenes.
QStringList sceneState(BCQuotPanel *panel)
{
    const VQuotStyle *style = quotPanel(panel)->quotStyle();
    QStringList state {QStringLiteral("stall=%1").arg(int(style->stall()))};
    if (style->showTitle())
        state << QStringLiteral("ShowTitle");
    if (style->showMarket())
        state << QStringLiteral("ShowMarket");
    if (style->showChart())
        state << QStringLiteral("ShowChart");
    for (int id = 0; id < items(panel)->count(); ++id) {
        const VQuotDataItem *item = items(panel)->item(VQuotDataItems::Id(id));
        if (item->isVisible())
            state << item->key();
    }
    return state;
}

} // namespace

class QuotPanelComponentTest : public QObject
{
    Q_OBJECT

private slots:
    void newPanelIsStyledAndIdle()
    {
        Fixture f;
        BCQuotPanel *panel = f.create();
        QVERIFY(panel);
        VQuotPanel *quot = quotPanel(panel);
        const VQuotStyle *style = quot->quotStyle();
        QCOMPARE(style->borderSides(), vd::WidgetSides());
        const VStyleMgr *styles = f.host.context().styleMgr();
        QCOMPARE(style->titleColor(), styles->colorRes(QStringLiteral("Qout_Title_Font_Color")));
        QCOMPARE(style->borderColor(), styles->colorRes(QStringLiteral("Qout_Border_Color")));
        QCOMPARE(panel->maximumWidth(), quot->minimumSizeHint().width() + 2);
        // Nothing is subscribed until a security is asked for.
        QCOMPARE(f.host.feed().subscribeCalls, 0);
        QCOMPARE(f.host.context().quotMgr()->wantedProducts(), QStringList());
    }

    void hostConnectsThePublishedMethods()
    {
        Fixture f;
        BCQuotPanel *panel = f.create();
        const VComMethod *slot = panel->publishedMethod(VComMethod::Slot, QStringLiteral("doSubscribeQuot"));
        QVERIFY(slot);
        QCOMPARE(slot->signature, QByteArray("1doSubscribeQuot(char, QString, QString, double, QString)"));
        const VComMethod *signal = panel->publishedMethod(VComMethod::Signal, QStringLiteral("onSelectedQuotItem"));
        QVERIFY(signal);
        QCOMPARE(signal->signature, QByteArray("2onSelectedQuotItem(VQuotDataItem*)"));

        PickerComponent picker;
        QVERIFY(VComRegistry::connect(&picker, QStringLiteral("onPicked"), panel, QStringLiteral("doSubscribeQuot")));
        QVERIFY(VComRegistry::connectSignal(panel, QStringLiteral("onSelectedQuotItem"), &picker,
                                            "1doChoose(VQuotDataItem*)"));

        emit picker.picked('1', QStringLiteral("600000"), QStringLiteral("浦发银行"), 0.01, QStringLiteral("0"));
        VQuotPanel *quot = quotPanel(panel);
        QCOMPARE(quot->productName(), QStringLiteral("浦发银行"));
        QCOMPARE(quot->marketName(), QStringLiteral("上海A股"));
        QCOMPARE(f.host.feed().wanted, QStringList {QStringLiteral("1|600000")});

        panel->resize(panel->sizeHint());
        VQuotDataItem *last = quot->quotItems()->lastPrice();
        QTest::mouseClick(quot, Qt::LeftButton, Qt::NoModifier, quot->itemRect(last).center());
        QCOMPARE(picker.chosen, QList<VQuotDataItem *> {last});
    }

    void subscribingShowsTheSecurity()
    {
        Fixture f;
        BCQuotPanel *panel = f.create();
        subscribe(panel, '1', QStringLiteral("600000"), QStringLiteral("0"), QStringLiteral("浦发银行"), 0.001);
        VQuotPanel *quot = quotPanel(panel);
        QCOMPARE(quot->productCode(), QStringLiteral("600000"));
        QCOMPARE(quot->marketCode(), QStringLiteral("1"));
        QCOMPARE(quot->quotStyle()->decimalPlace(), 3);
        QCOMPARE(f.host.feed().wanted, QStringList {QStringLiteral("1|600000")});

        VQuotData record = fullRecord('1', "600000");
        f.host.feed().inject(record);
        QCOMPARE(quot->itemText(quot->quotItems()->lastPrice()), QStringLiteral("10.000"));

        // Another security clears what the first one showed and replaces the subscription.
        subscribe(panel, '1', QStringLiteral("600004"), QStringLiteral("0"), QStringLiteral("白云机场"));
        QVERIFY(!quot->quotItems()->lastPrice()->value().isValid());
        QCOMPARE(quot->quotData(vd::QS_Stall1).askPrice, emptyMarker(panel));
        QCOMPARE(quot->productName(), QStringLiteral("白云机场"));
        QCOMPARE(quot->quotStyle()->decimalPlace(), 2);
        QCOMPARE(f.host.feed().wanted, QStringList {QStringLiteral("1|600004")});
    }

    void sameSecurityAgainChangesNothing()
    {
        Fixture f;
        BCQuotPanel *panel = f.create();
        subscribe(panel, '1', QStringLiteral("600000"), QStringLiteral("A"), QStringLiteral("浦发银行"), 0.01);
        VQuotData record = fullRecord('1', "600000");
        f.host.feed().inject(record);
        const int calls = f.host.feed().subscribeCalls;

        // Another name, type and price unit: none of them is taken.
        subscribe(panel, '1', QStringLiteral("600000"), QStringLiteral("0"), QStringLiteral("别名"), 0.001);
        VQuotPanel *quot = quotPanel(panel);
        QCOMPARE(quot->productName(), QStringLiteral("浦发银行"));
        QCOMPARE(quot->quotStyle()->decimalPlace(), 2);
        QCOMPARE(quot->itemText(quot->quotItems()->lastPrice()), QStringLiteral("10.00")); // not cleared
        QCOMPARE(f.host.feed().subscribeCalls, calls);
        record.matchQuantity = 12345;
        f.host.feed().inject(record);
        QCOMPARE(quot->quotItems()->matchQuantity()->value().toLongLong(), 12345); // still lot size 1
    }

    void emptySecurityOnANewPanelDoesNothing()
    {
        Fixture f;
        BCQuotPanel *panel = f.create();
        panel->doSubscribeQuot(0, QString(), QStringLiteral("名称"), 0.001, QStringLiteral("0"));
        QCOMPARE(quotPanel(panel)->productName(), QString());
        QCOMPARE(quotPanel(panel)->quotStyle()->decimalPlace(), 2);
        QCOMPARE(f.host.feed().subscribeCalls, 0);
        QVERIFY(f.host.messages().requests.isEmpty());
    }

    void lotSizeFollowsTheStockType_data()
    {
        QTest::addColumn<QString>("stockType");
        QTest::addColumn<quint32>("recordVolume");
        QTest::addColumn<qint64>("quantity"); // of a matchQuantity of 12345
        QTest::addColumn<qint64>("levelVolume");
        QTest::newRow("A, first list") << QStringLiteral("A") << 199u << qint64(12345) << qint64(199);
        QTest::newRow("H, second list") << QStringLiteral("H") << 199u << qint64(12345) << qint64(199);
        QTest::newRow("S, third list") << QStringLiteral("S") << 199u << qint64(12345) << qint64(199);
        QTest::newRow("R, fourth list") << QStringLiteral("R") << 199u << qint64(12345) << qint64(199);
        QTest::newRow("empty type") << QString() << 199u << qint64(12345) << qint64(199);
        QTest::newRow("part of a list") << QStringLiteral("g,S") << 199u << qint64(12345) << qint64(199);
        QTest::newRow("0, no list") << QStringLiteral("0") << 199u << qint64(123) << qint64(1);
        QTest::newRow("case matters") << QStringLiteral("a") << 199u << qint64(123) << qint64(1);
        QTest::newRow("two letters") << QStringLiteral("AB") << 199u << qint64(123) << qint64(1);
        QTest::newRow("unsigned volume") << QStringLiteral("A") << 4294967295u << qint64(12345) << qint64(4294967295LL);
    }
    void lotSizeFollowsTheStockType()
    {
        QFETCH(QString, stockType);
        QFETCH(quint32, recordVolume);
        QFETCH(qint64, quantity);
        QFETCH(qint64, levelVolume);
        Fixture f;
        BCQuotPanel *panel = f.create();
        subscribe(panel, '1', QStringLiteral("600000"), stockType);
        VQuotData record = fullRecord('1', "600000");
        record.matchQuantity = 12345;
        record.askVolume[0] = recordVolume;
        record.bidVolume[9] = recordVolume;
        f.host.feed().inject(record);
        VQuotPanel *quot = quotPanel(panel);
        QCOMPARE(quot->quotItems()->matchQuantity()->value().toLongLong(), quantity);
        QCOMPARE(quot->quotData(vd::QS_Stall1).askVolume, levelVolume);
        QCOMPARE(quot->quotData(vd::QS_Stall10).bidVolume, levelVolume);
    }

    void levelsFollowTheMarket_data()
    {
        QTest::addColumn<char>("market");
        QTest::addColumn<int>("levels");
        QTest::newRow("0") << '0' << 10;
        QTest::newRow("1") << '1' << 10;
        QTest::newRow("8") << '8' << 10;
        QTest::newRow("9") << '9' << 10;
        QTest::newRow("D") << 'D' << 5;
        QTest::newRow("H") << 'H' << 5;
        QTest::newRow("Z") << 'Z' << 5;
        QTest::newRow("F") << 'F' << 1;
        QTest::newRow("5") << '5' << 1;
        QTest::newRow("lower-case d") << 'd' << 1;
    }
    void levelsFollowTheMarket()
    {
        QFETCH(char, market);
        QFETCH(int, levels);
        Fixture f;
        BCQuotPanel *panel = f.create();
        subscribe(panel, market, QStringLiteral("C1"));
        VQuotData record = fullRecord(market, "C1");
        f.host.feed().inject(record);
        QCOMPARE(filledLevels(panel), levels);
        QCOMPARE(quotPanel(panel)->quotData(vd::QuotStall(levels - 1)).askPrice, record.askPrice[levels - 1]);
    }

    void zeroVolumeLevelShowsNoPrice()
    {
        Fixture f;
        BCQuotPanel *panel = f.create();
        subscribe(panel, '1', QStringLiteral("600000"));
        VQuotData record = fullRecord('1', "600000");
        record.askVolume[2] = 0;
        record.bidVolume[0] = 0;
        f.host.feed().inject(record);
        VQuotPanel *quot = quotPanel(panel);
        QCOMPARE(quot->quotData(vd::QS_Stall3).askPrice, emptyMarker(panel));
        QCOMPARE(quot->quotData(vd::QS_Stall3).bidPrice, record.bidPrice[2]);
        QCOMPARE(quot->quotData(vd::QS_Stall1).bidPrice, emptyMarker(panel));
        QCOMPARE(quot->levelPriceText(vd::QS_Stall3, VQuotPanel::Ask), QStringLiteral("--"));
        QCOMPARE(quot->levelVolumeText(vd::QS_Stall3, VQuotPanel::Ask), QString());
    }

    void pricesOfZeroAreEmpty_data()
    {
        QTest::addColumn<char>("market");
        QTest::addColumn<bool>("limitsEmpty");
        QTest::newRow("stock market 0 keeps 0.0") << '0' << false;
        QTest::newRow("futures F keeps 0.0") << 'F' << false;
        QTest::newRow("D") << 'D' << true;
        QTest::newRow("H") << 'H' << true;
        QTest::newRow("Z") << 'Z' << true;
    }
    void pricesOfZeroAreEmpty()
    {
        QFETCH(char, market);
        QFETCH(bool, limitsEmpty);
        Fixture f;
        BCQuotPanel *panel = f.create();
        subscribe(panel, market, QStringLiteral("C1"));
        VQuotData record = makeQuotRecord(market, "C1");
        record.lastPrice = 0.000001; // nearly 0 is 0
        record.highLimitPrice = 0.0;
        record.lowLimitPrice = 0.0;
        f.host.feed().inject(record);
        const double empty = emptyMarker(panel);
        VQuotDataItems *quotItems = items(panel);
        for (VQuotDataItem *item : {quotItems->preClosingPrice(), quotItems->openingPrice(), quotItems->highPrice(),
                                    quotItems->lowPrice(), quotItems->lastPrice()})
            QCOMPARE(item->value().toDouble(), empty);
        QCOMPARE(quotItems->priceChange()->value().toDouble(), 0.0); // passed unchanged
        const double limit = limitsEmpty ? empty : 0.0;
        QCOMPARE(quotItems->highLimitPrice()->value().toDouble(), limit);
        QCOMPARE(quotItems->lowLimitPrice()->value().toDouble(), limit);
        QCOMPARE(quotItems->highLimitPrice()->value().userType(), int(QMetaType::Double));
    }

    void suspensionMarksTheNameOnce()
    {
        Fixture f;
        BCQuotPanel *panel = f.create();
        subscribe(panel, '1', QStringLiteral("600000"), QStringLiteral("0"), QStringLiteral("浦发银行"));
        VQuotPanel *quot = quotPanel(panel);
        VQuotData record = fullRecord('1', "600000");
        record.suspendFlag = 'T';
        for (int i = 0; i < 3; ++i)
            f.host.feed().inject(record);
        QCOMPARE(quot->quotItems()->delistFlag()->value().toString(), QStringLiteral("停牌"));
        QCOMPARE(quot->productName(), QStringLiteral("浦发银行(停牌)"));
        QCOMPARE(quot->productCode(), QStringLiteral("600000"));

        record.suspendFlag = 'N';
        f.host.feed().inject(record);
        QCOMPARE(quot->quotItems()->delistFlag()->value().toString(), QStringLiteral("正常"));
        QCOMPARE(quot->productName(), QStringLiteral("浦发银行(停牌)"));

        // The next subscription sets the name afresh.
        subscribe(panel, '1', QStringLiteral("600004"), QStringLiteral("0"), QStringLiteral("白云机场"));
        subscribe(panel, '1', QStringLiteral("600000"), QStringLiteral("0"), QStringLiteral("浦发银行"));
        QCOMPARE(quot->productName(), QStringLiteral("浦发银行"));
    }

    void averagePriceFollowsTheServer_data()
    {
        QTest::addColumn<int>("serverType");
        QTest::addColumn<QString>("stockType");
        QTest::addColumn<qint64>("quantity");
        QTest::addColumn<double>("average"); // NaN: the empty marker
        QTest::newRow("full server sends it") << 0 << QStringLiteral("0") << qint64(1000) << 9.87;
        QTest::newRow("derived, lots of 100") << 1 << QStringLiteral("0") << qint64(1000) << 10.0;
        QTest::newRow("derived, lots of 1") << 1 << QStringLiteral("A") << qint64(1000) << 1000.0;
        QTest::newRow("derived, nothing traded") << 1 << QStringLiteral("A") << qint64(0) << qQNaN();
    }
    void averagePriceFollowsTheServer()
    {
        QFETCH(int, serverType);
        QFETCH(QString, stockType);
        QFETCH(qint64, quantity);
        QFETCH(double, average);
        Fixture f;
        f.host.feed().type = serverType;
        BCQuotPanel *panel = f.create();
        subscribe(panel, '1', QStringLiteral("600000"), stockType);
        VQuotData record = fullRecord('1', "600000");
        record.avgPrice = 9.87;
        record.matchAmount = 1000000.0;
        record.matchQuantity = quantity;
        f.host.feed().inject(record);
        const double shown = items(panel)->avgPrice()->value().toDouble();
        QCOMPARE(shown, qIsNaN(average) ? emptyMarker(panel) : average);
    }

    void recordsWithoutDataChangeNothing_data()
    {
        QTest::addColumn<bool>("null");
        QTest::newRow("status 0") << false;
        QTest::newRow("null record") << true;
    }
    void recordsWithoutDataChangeNothing()
    {
        QFETCH(bool, null);
        Fixture f;
        BCQuotPanel *panel = f.create();
        subscribe(panel, '1', QStringLiteral("600000"));
        VQuotData shown = fullRecord('1', "600000");
        f.host.feed().inject(shown);
        const QString lastText = quotPanel(panel)->itemText(items(panel)->lastPrice());
        const int points = quotPanel(panel)->chartPrices().size();

        VQuotData record = fullRecord('1', "600000");
        record.status = 0;
        record.lastPrice = 55.0;
        record.askVolume[0] = 0;
        record.suspendFlag = 'T';
        receive(panel, null ? nullptr : &record);
        QCOMPARE(quotPanel(panel)->itemText(items(panel)->lastPrice()), lastText);
        QCOMPARE(quotPanel(panel)->quotData(vd::QS_Stall1).askPrice, shown.askPrice[0]);
        QCOMPARE(items(panel)->delistFlag()->value().toString(), QStringLiteral("正常"));
        QCOMPARE(quotPanel(panel)->chartPrices().size(), points);
    }

    void refusedSubscriptionIsShownOnce()
    {
        Fixture f;
        f.host.feed().refuse = true;
        BCQuotPanel *panel = f.create();
        subscribe(panel, '1', QStringLiteral("600000"), QStringLiteral("0"), QStringLiteral("浦发银行"));
        QCOMPARE(f.host.messages().requests.size(), 1);
        const VMsgRequest request = f.host.messages().requests.at(0);
        QCOMPARE(request.kind, VMsgRequest::Info);
        QCOMPARE(request.text, QStringLiteral("订阅<600000>行情失败."));
        QCOMPARE(request.title, QString());
        QCOMPARE(request.modality, Qt::NonModal);
        QCOMPARE(request.autoCloseSeconds, 5);
        // The panel shows the security it could not subscribe, without data.
        QCOMPARE(quotPanel(panel)->productName(), QStringLiteral("浦发银行"));
        QCOMPARE(quotPanel(panel)->marketName(), QStringLiteral("上海A股"));

        const int calls = f.host.feed().subscribeCalls;
        subscribe(panel, '1', QStringLiteral("600000"), QStringLiteral("0"), QStringLiteral("浦发银行"));
        QCOMPARE(f.host.messages().requests.size(), 1);
        QCOMPARE(f.host.feed().subscribeCalls, calls);

        subscribe(panel, '1', QStringLiteral("600004"));
        QCOMPARE(f.host.messages().texts().last(), QStringLiteral("订阅<600004>行情失败."));
    }

    void destructionCancelsTheSubscription()
    {
        Fixture f;
        BCQuotPanel *panel = f.create();
        subscribe(panel, '1', QStringLiteral("600000"));
        QVERIFY(!f.host.feed().wanted.isEmpty());
        delete panel;
        QVERIFY(f.host.feed().wanted.isEmpty());
        QCOMPARE(f.host.context().quotMgr()->wantedProducts(), QStringList());
    }

    void sceneIsStoredWithoutOffSwitches()
    {
        Fixture f;
        BCQuotPanel *panel = f.create();
        panel->setComCfgGroup(kGroup);
        VQuotStyle *style = quotPanel(panel)->quotStyle();
        style->setStall(vd::QS_Stall10);
        style->setShowTitle(false);
        style->setShowChart(true);
        items(panel)->avgPrice()->setVisible(false);
        saveScene(panel);

        Params stored;
        QVERIFY(f.host.context().localDb()->getCfgParam(kGroup, stored));
        QCOMPARE(stored.value(QStringLiteral("QuotStall")).toInt(), int(vd::QS_Stall10));
        QVERIFY(!stored.contains(QStringLiteral("ShowTitle")));
        QVERIFY(!stored.contains(QStringLiteral("AvgPrice")));
        QVERIFY(stored.value(QStringLiteral("ShowChart")).toBool());
        QVERIFY(stored.value(QStringLiteral("ShowMarket")).toBool());
        QVERIFY(stored.value(QStringLiteral("DelistFlag")).toBool());
        QCOMPARE(stored.size(), 1 + 2 + 12);

        // Everything off: the stall alone is stored.
        style->setShowMarket(false);
        style->setShowChart(false);
        for (int id = 0; id < items(panel)->count(); ++id)
            items(panel)->item(VQuotDataItems::Id(id))->setVisible(false);
        saveScene(panel);
        QVERIFY(f.host.context().localDb()->getCfgParam(kGroup, stored));
        QCOMPARE(stored.keys(), QStringList {QStringLiteral("QuotStall")});
    }

    // A switch or item that is off is not stored, so after a restart it has
    // the widget's default again: an off chart stays off, a hidden title shows.
    void sceneSurvivesARestart_data()
    {
        QTest::addColumn<PanelChange>("change");
        QTest::addColumn<PanelChange>("changeAfterFirstSave");
        const PanelChange none;
        QTest::newRow("defaults") << PanelChange([](VQuotPanel &) {}) << none;
        QTest::newRow("chart on") << PanelChange([](VQuotPanel &p) { p.quotStyle()->setShowChart(true); }) << none;
        QTest::newRow("chart turned off again")
            << PanelChange([](VQuotPanel &p) { p.quotStyle()->setShowChart(true); })
            << PanelChange([](VQuotPanel &p) { p.quotStyle()->setShowChart(false); });
        QTest::newRow("hidden title") << PanelChange([](VQuotPanel &p) { p.quotStyle()->setShowTitle(false); }) << none;
        QTest::newRow("one level, items hidden") << PanelChange([](VQuotPanel &p) {
            p.quotStyle()->setStall(vd::QS_Stall1);
            p.quotItems()->matchAmount()->setVisible(false);
            p.quotItems()->delistFlag()->setVisible(false);
        }) << none;
    }
    void sceneSurvivesARestart()
    {
        QFETCH(PanelChange, change);
        QFETCH(PanelChange, changeAfterFirstSave);
        const QStringList defaults = sceneStateOfANewPanel();
        Fixture f;
        BCQuotPanel *panel = f.create();
        panel->setComCfgGroup(kGroup);
        change(*quotPanel(panel));
        saveScene(panel);
        if (changeAfterFirstSave) {
            changeAfterFirstSave(*quotPanel(panel));
            saveScene(panel);
        }
        const QStringList saved = sceneState(panel);

        f.restart();
        BCQuotPanel *restored = f.create();
        restored->setComCfgGroup(kGroup);
        restoreScene(restored);
        // The stall as saved; on: what was on, or is on by default.
        QSet<QString> expected(saved.begin() + 1, saved.end());
        expected.unite(QSet<QString>(defaults.begin() + 1, defaults.end()));
        const QStringList state = sceneState(restored);
        QCOMPARE(state.first(), saved.first());
        QCOMPARE(QSet<QString>(state.begin() + 1, state.end()), expected);
    }

    void restoreAppliesOnlyStoredKeys_data()
    {
        QTest::addColumn<Params>("stored");
        QTest::addColumn<QStringList>("expected");
        const QStringList defaults = sceneStateOfANewPanel();
        QStringList tenLevels = defaults;
        tenLevels[0] = QStringLiteral("stall=9");
        QTest::newRow("only the stall") << Params {{QStringLiteral("QuotStall"), 9}} << tenLevels;
        QStringList noLast = defaults;
        noLast.removeAll(QStringLiteral("LastPrice"));
        QTest::newRow("a false item") << Params {{QStringLiteral("LastPrice"), false}} << noLast;
        QStringList oneLevel = defaults;
        oneLevel[0] = QStringLiteral("stall=0");
        QTest::newRow("stall not a number")
            << Params {{QStringLiteral("QuotStall"), QStringLiteral("abc")}} << oneLevel;
        QTest::newRow("unknown keys") << Params {{QStringLiteral("Other"), 3}} << defaults;
    }
    void restoreAppliesOnlyStoredKeys()
    {
        QFETCH(Params, stored);
        QFETCH(QStringList, expected);
        Fixture f;
        QVERIFY(f.host.context().localDb()->setCfgParam(kGroup, stored, true));
        BCQuotPanel *panel = f.create();
        panel->setComCfgGroup(kGroup);
        restoreScene(panel);
        QCOMPARE(sceneState(panel), expected);
    }

    void noGroupStoresNothing()
    {
        Fixture f;
        QVERIFY(f.host.context().localDb()->setCfgParam(kGroup, Params {{QStringLiteral("QuotStall"), 9}}, true));
        BCQuotPanel *panel = f.create(); // the host gave it no configuration group
        quotPanel(panel)->quotStyle()->setStall(vd::QS_Stall2);
        saveScene(panel);
        restoreScene(panel);
        QCOMPARE(quotPanel(panel)->quotStyle()->stall(), vd::QS_Stall2);
        QSqlQuery rows(QStringLiteral("SELECT groupname, paramname FROM cfgparam"),
                       f.host.context().localDb()->database());
        QVERIFY(rows.next());
        QCOMPARE(rows.value(0).toString(), kGroup);
        QVERIFY(!rows.next());
    }

    void maximumWidthFollowsStyleChanges_data()
    {
        QTest::addColumn<PanelChange>("change");
        QTest::newRow("more digits") << PanelChange([](VQuotPanel &p) { p.quotStyle()->setDigitMaxLen(12); });
        QTest::newRow("border") << PanelChange([](VQuotPanel &p) { p.quotStyle()->setBorderSides(vd::WS_All); });
        QTest::newRow("larger font") << PanelChange([](VQuotPanel &p) {
            QFont font = p.font();
            font.setPointSizeF(font.pointSizeF() * 2);
            p.setFont(font);
        });
        QTest::newRow("one item column") << PanelChange([](VQuotPanel &p) {
            VQuotDataItems *items = p.quotItems();
            for (VQuotDataItem *item : {items->preClosingPrice(), items->openingPrice(), items->highPrice(),
                                        items->lowPrice(), items->highLimitPrice(), items->lowLimitPrice()})
                item->setVisible(false);
        });
    }
    void maximumWidthFollowsStyleChanges()
    {
        QFETCH(PanelChange, change);
        Fixture f;
        BCQuotPanel *panel = f.create();
        const int before = panel->maximumWidth();
        change(*quotPanel(panel));
        VStyleMgr *styles = f.host.context().styleMgr();
        QVERIFY(styles->setStyle(styles->style() == QLatin1String("dark") ? QStringLiteral("light")
                                                                          : QStringLiteral("dark")));
        QCOMPARE(panel->maximumWidth(), quotPanel(panel)->minimumSizeHint().width() + 2);
        QVERIFY(panel->maximumWidth() != before);
    }

    void sizeHints_data()
    {
        QTest::addColumn<PanelChange>("change");
        QTest::newRow("new panel") << PanelChange([](VQuotPanel &) {});
        QTest::newRow("ten levels and a chart") << PanelChange([](VQuotPanel &p) {
            p.quotStyle()->setStall(vd::QS_Stall10);
            p.quotStyle()->setShowChart(true);
        });
    }
    void sizeHints()
    {
        QFETCH(PanelChange, change);
        Fixture f;
        BCQuotPanel *panel = f.create();
        change(*quotPanel(panel));
        QCOMPARE(panel->minimumSizeHint(), QSize(quotPanel(panel)->minimumSizeHint().width() + 2, 0));
        QCOMPARE(panel->sizeHint(), quotPanel(panel)->sizeHint());
        QVERIFY(panel->sizeHint().height() > 0);
    }

    // A panel fed by the simulated market for a moment: it shows the product
    // and every level, and (with TARN_SCREENSHOT_DIR set) is saved as a PNG.
    void showsALiveSimulatedQuote()
    {
        Fixture f;
        auto *feed = new VSimQuotFeed;
        feed->setSeed(7);
        feed->setRate(400);
        feed->setResolver([](char, const QString &, VSimInstrument &instrument) {
            instrument.preClose = 10.0;
            instrument.priceStep = 0.01;
            return true;
        });
        f.host.context().setQuotFeed(feed);
        BCQuotPanel *panel = f.create();
        VQuotPanel *quot = quotPanel(panel);
        quot->quotStyle()->setShowChart(true);
        quot->quotStyle()->setStall(vd::QS_Stall10);
        quot->quotStyle()->setBorderSides(vd::WS_All);
        panel->doSubscribeQuot('1', QStringLiteral("600000"), QStringLiteral("浦发银行"), 0.01, QStringLiteral("0"));
        feed->start();
        QTRY_VERIFY_WITH_TIMEOUT(quot->chartPrices().size() >= 120, 20000);
        feed->stop();

        QCOMPARE(quot->titleText(), QStringLiteral("600000 浦发银行"));
        QCOMPARE(quot->marketName(), QStringLiteral("上海A股"));
        QVERIFY(quot->itemText(quot->quotItems()->lastPrice()) != QLatin1String("--"));
        for (int stall = 0; stall < 10; ++stall) {
            QVERIFY(quot->levelPriceText(vd::QuotStall(stall), VQuotPanel::Ask) != QLatin1String("--"));
            QVERIFY(!quot->levelVolumeText(vd::QuotStall(stall), VQuotPanel::Bid).isEmpty());
        }

        panel->resize(panel->sizeHint());
        panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(panel));
        const QImage image = panel->grab().toImage();
        const QColor background = quot->quotStyle()->backgroundColor();
        auto inked = [&](const QRect &rect) {
            const QRect inPanel = rect.translated(quot->pos());
            for (int y = inPanel.top(); y <= inPanel.bottom(); ++y)
                for (int x = inPanel.left(); x <= inPanel.right(); ++x)
                    if (image.pixelColor(x, y) != background)
                        return true;
            return false;
        };
        QVERIFY(inked(quot->titleRect()));
        QVERIFY(inked(quot->chartRect()));
        for (int stall = 0; stall < 10; ++stall) {
            QVERIFY(inked(quot->levelRect(vd::QuotStall(stall), VQuotPanel::Ask)));
            QVERIFY(inked(quot->levelRect(vd::QuotStall(stall), VQuotPanel::Bid)));
        }

        const QString dir = qEnvironmentVariable("TARN_SCREENSHOT_DIR");
        if (!dir.isEmpty()) {
            QDir().mkpath(dir);
            QVERIFY(image.save(QDir(dir).filePath(QStringLiteral("bcquotpanel.png"))));
        }
    }

private:
    static QStringList sceneStateOfANewPanel()
    {
        Fixture f;
        return sceneState(f.create());
    }
};

QTEST_MAIN(QuotPanelComponentTest)
#include "tst_bcquotpanel.moc"
