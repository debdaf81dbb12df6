// Start-up and shutdown of the real module through QLibrary, the way tarn-host
// does it. This test does not link the module's code: it reaches libtarn only
// through its exported entry points.

#include <hostoptions.h>
#include <hostwindow.h>
#include <icomponent.h>
#include <imodule.h>
#include <moduleloader.h>
#include <testhost.h>
#include <vlocaldb.h>
#include <vlogsink.h>
#include <vquotpanel.h>

#include <QSqlQuery>
#include <QTableView>
#include <QTest>

class TestModuleLoader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void loadsAndUnloadsTheModule();
    void startsAndStopsLikeTheHost_data();
    void startsAndStopsLikeTheHost();
    void watchlistDoubleClickShowsTheSecurity();
    void refusesWhatIsNoModule_data();
    void refusesWhatIsNoModule();
};

void TestModuleLoader::initTestCase()
{
    VLog::setFileLogging(false);
}

void TestModuleLoader::loadsAndUnloadsTheModule()
{
    TestHost host(20261215, QStringLiteral(TARN_DATA_DIR));
    ModuleLoader loader;
    QVERIFY2(loader.load(QStringLiteral(TARN_MODULE_PATH), &host.context()), qPrintable(loader.errorString()));
    IModule *module = loader.module();
    QVERIFY(module);
    QCOMPARE(module->metaObject()->className(), "VModule");
    QVERIFY(!module->createComponent(nullptr, QStringLiteral("NoSuchComponent"), QString(), nullptr));
    loader.unload();
    QVERIFY(!loader.module());

    // A second start-up after a shutdown gets a module again.
    QVERIFY(loader.load(QStringLiteral(TARN_MODULE_PATH), &host.context()));
    QVERIFY(loader.module());
}

void TestModuleLoader::startsAndStopsLikeTheHost_data()
{
    QTest::addColumn<QString>("dataDir");
    QTest::newRow("sample market") << QStringLiteral(TARN_DATA_DIR);
    // No caches at all: the components start empty.
    QTest::newRow("no data") << QStringLiteral(TARN_DATA_DIR "/nowhere");
}

void TestModuleLoader::startsAndStopsLikeTheHost()
{
    QFETCH(QString, dataDir);
    TestHost host(20261215, dataDir);
    ModuleLoader loader;
    QVERIFY(loader.load(QStringLiteral(TARN_MODULE_PATH), &host.context()));
    {
        HostWindow window(&host.context(), loader.module(), nullptr);
        const QStringList missing = window.createComponents(HostOptions::defaultComponents());
        QCOMPARE(window.components().size() + missing.size(), HostOptions::defaultComponents().size());
        for (IComponent *component : window.components())
            QVERIFY(HostOptions::defaultComponents().contains(component->className()));
        window.showInitialSecurity();
        window.show();
        QTest::qWait(50);
        window.releaseComponents();
        QVERIFY(window.components().isEmpty());
    }
    loader.unload();
}

void TestModuleLoader::watchlistDoubleClickShowsTheSecurity()
{
    TestHost host(20261215, QStringLiteral(TARN_DATA_DIR));
    QSqlQuery query(host.context().localDb()->database());
    QVERIFY(query.exec(QStringLiteral("INSERT INTO cfgparam (groupname, paramname, paramvalue, encrypt) "
                                      "VALUES ('OptionalStk', '自选股1', '1600519,0300750,', '0')")));
    ModuleLoader loader;
    QVERIFY(loader.load(QStringLiteral(TARN_MODULE_PATH), &host.context()));
    {
        HostWindow window(&host.context(), loader.module(), nullptr);
        QVERIFY(window.createComponents({QStringLiteral("BCQuotPanel"), QStringLiteral("BCOptionalStk")}).isEmpty());
        window.resize(1400, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        IComponent *watchlist = window.components().value(1);
        QVERIFY(watchlist && watchlist->className() == QLatin1String("BCOptionalStk"));
        QCOMPARE(HostWindow::componentTitle(watchlist->className()), QStringLiteral("自选股"));
        auto *panel = window.components().value(0)->findChild<VQuotPanel *>(QStringLiteral("quotPanel"));
        QVERIFY(panel);

        // The watchlist's second row is 宁德时代; a double-click on it is an order request.
        auto *view = watchlist->findChild<QTableView *>();
        QVERIFY(view && view->isVisible());
        const QPoint name = view->visualRect(view->model()->index(1, 3)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, name);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, name);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, name);
        QCOMPARE(panel->productCode(), QStringLiteral("300750"));
        QCOMPARE(panel->productName(), QStringLiteral("宁德时代"));
        window.releaseComponents();
    }
    loader.unload();
}

void TestModuleLoader::refusesWhatIsNoModule_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no such file") << QStringLiteral(TARN_MODULE_PATH ".missing") << QStringLiteral("加载失败");
    QTest::newRow("library without entry points")
        << QStringLiteral(NOT_A_MODULE_PATH) << QStringLiteral("缺少入口函数LoadBizModule");
}

void TestModuleLoader::refusesWhatIsNoModule()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    TestHost host;
    ModuleLoader loader;
    QVERIFY(!loader.load(path, &host.context()));
    QVERIFY(!loader.module());
    QVERIFY2(loader.errorString().contains(path) && loader.errorString().contains(reason),
             qPrintable(loader.errorString()));
    QCOMPARE(host.log().records.size(), 1);
    QCOMPARE(host.log().records.constFirst().level, 3);
}

QTEST_MAIN(TestModuleLoader)
#include "tst_moduleloader.moc"
