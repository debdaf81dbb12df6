// Start-up and shutdown of the real module through QLibrary, the way tarn-host
// does it. This test does not link the module's code: it reaches libtarn only
// through its exported entry points.

#include <hostwindow.h>
#include <icomponent.h>
#include <imodule.h>
#include <moduleloader.h>
#include <testhost.h>
#include <vlocaldb.h>
#include <vquotpanel.h>

#include <QSqlQuery>
#include <QTableView>
#include <QTest>

class TestModuleLoader : public QObject
{
    Q_OBJECT

private slots:
    void startsAndStopsLikeTheHost_data()
    {
        QTest::addColumn<QString>("dataDir");
        // Code and name in the quote panel after a double-click in the watchlist.
        QTest::addColumn<QString>("shown");
        QTest::newRow("sample market") << QStringLiteral(TARN_DATA_DIR) << QStringLiteral("300750 宁德时代");
        // No caches at all: the components start empty and show nothing.
        QTest::newRow("no data") << QStringLiteral(TARN_DATA_DIR "/nowhere") << QStringLiteral(" ");
    }

    void startsAndStopsLikeTheHost()
    {
        QFETCH(QString, dataDir);
        QFETCH(QString, shown);
        TestHost host(20261215, dataDir);
        QSqlQuery query(host.context().localDb()->database());
        QVERIFY(query.exec(QStringLiteral("INSERT INTO cfgparam (groupname, paramname, paramvalue, encrypt) "
                                          "VALUES ('OptionalStk', '自选股1', '1600519,0300750,', '0')")));
        ModuleLoader loader;
        // A second start-up after a shutdown gets a module again.
        for (int run = 0; run < 2; ++run) {
            QVERIFY2(loader.load(QStringLiteral(TARN_MODULE_PATH), &host.context()), qPrintable(loader.errorString()));
            HostWindow window(&host.context(), loader.module(), nullptr);
            QCOMPARE(window.createComponents({QStringLiteral("BCQuotPanel"), QStringLiteral("BCOptionalStk")}),
                     QStringList());
            window.showInitialSecurity();
            window.resize(1400, 700);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            auto *panel = window.components().value(0)->findChild<VQuotPanel *>(QStringLiteral("quotPanel"));
            auto *view = window.components().value(1)->findChild<QTableView *>();
            QVERIFY(panel && view && view->isVisible());

            // The watchlist's second row is 宁德时代; a double-click on it is an order request.
            const QPoint name = view->visualRect(view->model()->index(1, 3)).center();
            QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, name);
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, name);
            QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, name);
            QCOMPARE(panel->productCode() + QLatin1Char(' ') + panel->productName(), shown);
            window.releaseComponents();
            QVERIFY(window.components().isEmpty());
            loader.unload();
        }
    }

    // A contract double-clicked on the futures board shows in the quote panel.
    void futuresChoiceReachesTheQuotePanel()
    {
        TestHost host(20261215, QStringLiteral(TARN_DATA_DIR));
        QVERIFY(host.context().localDb()->setCfgParam(
            QStringLiteral("PG_Trd_FtQuotPanel"),
            {{QStringLiteral("Check_Market"), QStringLiteral("H")}, {QStringLiteral("SHQH_Check_Products"), QStringLiteral("ag=白银")}},
            true));
        ModuleLoader loader;
        QVERIFY2(loader.load(QStringLiteral(TARN_MODULE_PATH), &host.context()), qPrintable(loader.errorString()));
        {
            HostWindow window(&host.context(), loader.module(), nullptr);
            QCOMPARE(window.createComponents({QStringLiteral("BCQuotPanel"), QStringLiteral("BCFtQuotPanel")}),
                     QStringList());
            window.resize(1400, 700);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            auto *panel = window.components().value(0)->findChild<VQuotPanel *>(QStringLiteral("quotPanel"));
            auto *table = window.components().value(1)->findChild<QTableView *>(QStringLiteral("tbSHQH"));
            QVERIFY(panel && table && table->model()->rowCount() > 0);
            const QModelIndex code = table->model()->index(0, 2);
            const QPoint cell = table->visualRect(code).center();
            QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, cell);
            QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, cell);
            QCOMPARE(panel->productCode(), code.data().toString());
            QVERIFY2(panel->productCode().startsWith(QStringLiteral("ag")), qPrintable(panel->productCode()));
            window.releaseComponents();
        }
        loader.unload();
    }

    void refusesWhatIsNoModule_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no such file") << QStringLiteral(TARN_MODULE_PATH ".missing") << QStringLiteral("加载失败");
        QTest::newRow("library without entry points")
            << QStringLiteral(NOT_A_MODULE_PATH) << QStringLiteral("缺少入口函数LoadBizModule");
    }

    void refusesWhatIsNoModule()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        TestHost host;
        ModuleLoader loader;
        QVERIFY(!loader.load(path, &host.context()));
        QVERIFY(!loader.module());
        QVERIFY2(loader.errorString().contains(path) && loader.errorString().contains(reason),
                 qPrintable(loader.errorString()));
        QVERIFY(host.log().contains(3, loader.errorString()));
    }
};

QTEST_MAIN(TestModuleLoader)
#include "tst_moduleloader.moc"
