#include "fakemodule.h"

#include <componentlinker.h>
#include <testhost.h>
#include <vcachemgr.h>
#include <vlogsink.h>

#include <QPointer>
#include <QSignalSpy>
#include <QTest>

class TestComponentLinker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void choiceIsShownByTheOthers_data();
    void choiceIsShownByTheOthers();
    void orderRequestIsShown();
    void unknownSecurityIsLogged();
    void unfitSlotIsLoggedAndSkipped();
    void destroyedComponentLeaves();
    void withoutSecuritiesNothingIsShown();

private:
    FakeComponent *make(const char *className);

    QScopedPointer<TestHost> m_host;
    QScopedPointer<ComponentLinker> m_linker;
    QList<QPointer<FakeComponent>> m_components;
};

void TestComponentLinker::initTestCase()
{
    VLog::setFileLogging(false);
}

void TestComponentLinker::init()
{
    m_host.reset(new TestHost(20261215, QStringLiteral(TARN_DATA_DIR)));
    m_linker.reset(new ComponentLinker(m_host->context().cacheMgr()));
}

void TestComponentLinker::cleanup()
{
    for (const QPointer<FakeComponent> &component : qAsConst(m_components))
        delete component;
    m_components.clear();
    m_linker.reset();
    m_host.reset();
}

FakeComponent *TestComponentLinker::make(const char *className)
{
    auto *component = new FakeComponent(nullptr, QLatin1String(className), QLatin1String(className));
    m_components.append(component);
    m_linker->addComponent(component);
    return component;
}

void TestComponentLinker::choiceIsShownByTheOthers_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("stkid");
    QTest::addColumn<char>("market");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("priceUnit");
    QTest::addColumn<QString>("type");

    QTest::newRow("futures contract") << QStringLiteral("BCFtQuotPanel") << QStringLiteral("Hrb2701") << 'H'
                                      << QStringLiteral("rb2701") << QStringLiteral("螺纹钢2701") << 1.0
                                      << QStringLiteral("Q");
    QTest::newRow("financial futures") << QStringLiteral("BCFtQuotPanel") << QStringLiteral("FIF2612") << 'F'
                                       << QStringLiteral("IF2612") << QStringLiteral("沪深300股指2612") << 0.2
                                       << QStringLiteral("R");
    QTest::newRow("option contract") << QStringLiteral("BCStoQuot") << QStringLiteral("510350055") << '5'
                                     << QStringLiteral("10350055") << QStringLiteral("50ETF购12月2750") << 0.0001
                                     << QStringLiteral("S");
}

void TestComponentLinker::choiceIsShownByTheOthers()
{
    QFETCH(QString, source);
    QFETCH(QString, stkid);
    QFETCH(char, market);
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(double, priceUnit);
    QFETCH(QString, type);
    FakeComponent *panel = make("BCQuotPanel");
    FakeComponent *board = make("BCFtQuotPanel");
    FakeComponent *options = make("BCStoQuot");
    FakeComponent *sender = source == QLatin1String("BCStoQuot") ? options : board;

    emit sender->onChosen(stkid);

    QCOMPARE(panel->shown.size(), 1);
    const FakeComponent::Shown &shown = panel->shown.constFirst();
    QCOMPARE(shown.market, market);
    QCOMPARE(shown.code, code);
    QCOMPARE(shown.name, name);
    QCOMPARE(shown.priceUnit, priceUnit);
    QCOMPARE(shown.type, type);
    // Every other publisher of the show slot follows; the source does not show its own choice.
    QCOMPARE(options->shown.size(), sender == options ? 0 : 1);
}

void TestComponentLinker::orderRequestIsShown()
{
    FakeComponent *panel = make("BCQuotPanel");
    FakeComponent *watchlist = make("BCOptionalStk");
    OrderDetail order;
    order.stockId = QStringLiteral("0300750");
    emit watchlist->onIssueOrder(order);
    QCOMPARE(panel->shown.size(), 1);
    QCOMPARE(panel->shown.constFirst().market, '0');
    QCOMPARE(panel->shown.constFirst().name, QStringLiteral("宁德时代"));
}

void TestComponentLinker::unknownSecurityIsLogged()
{
    FakeComponent *panel = make("BCQuotPanel");
    FakeComponent *board = make("BCFtQuotPanel");
    LogCapture log;
    QSignalSpy shown(m_linker.data(), &ComponentLinker::securityShown);
    emit board->onChosen(QStringLiteral("Hrb1001"));
    QVERIFY(panel->shown.isEmpty());
    QVERIFY(shown.isEmpty());
    QCOMPARE(log.records.size(), 1);
    QCOMPARE(log.records.constFirst().level, 3);
    QVERIFY(log.records.constFirst().message.contains(QStringLiteral("Hrb1001")));
}

void TestComponentLinker::unfitSlotIsLoggedAndSkipped()
{
    FakeComponent *bad = make("BCBadPanel");
    FakeComponent *panel = make("BCQuotPanel");
    LogCapture log;
    QVERIFY(m_linker->showSecurity(QStringLiteral("1600519")));
    QCOMPARE(panel->shown.size(), 1);
    QCOMPARE(log.records.size(), 1);
    QVERIFY(log.records.constFirst().message.contains(bad->className()));
}

void TestComponentLinker::destroyedComponentLeaves()
{
    FakeComponent *panel = make("BCQuotPanel");
    FakeComponent *board = make("BCFtQuotPanel");
    delete panel;
    QCOMPARE(m_linker->components(), QList<IComponent *> {board});
    QSignalSpy shown(m_linker.data(), &ComponentLinker::securityShown);
    emit board->onChosen(QStringLiteral("Hrb2701"));
    QCOMPARE(shown.size(), 1);
}

void TestComponentLinker::withoutSecuritiesNothingIsShown()
{
    TestHost bare; // no sample market: no securities cache
    ComponentLinker linker(bare.context().cacheMgr());
    auto *panel = new FakeComponent(nullptr, QStringLiteral("BCQuotPanel"), QStringLiteral("p"));
    m_components.append(panel);
    linker.addComponent(panel);
    LogCapture log;
    QVERIFY(!linker.showSecurity(QStringLiteral("1600519")));
    QVERIFY(panel->shown.isEmpty());
    QCOMPARE(log.records.size(), 1);
}

QTEST_MAIN(TestComponentLinker)
#include "tst_componentlinker.moc"
