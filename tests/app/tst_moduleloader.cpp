// Start-up and shutdown of the real module through QLibrary, the way tarn-host
// does it. This test does not link the module's code: it reaches libtarn only
// through its exported entry points.

#include <hostoptions.h>
#include <hostwindow.h>
#include <icomponent.h>
#include <imodule.h>
#include <moduleloader.h>
#include <testhost.h>
#include <vlogsink.h>

#include <QTest>

class TestModuleLoader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void loadsAndUnloadsTheModule();
    void startsAndStopsLikeTheHost_data();
    void startsAndStopsLikeTheHost();
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
