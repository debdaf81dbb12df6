// Start-up and shutdown of the real module through QLibrary, the way tarn-host
// does it. This test does not link the module's code: it reaches libtarn only
// through its exported entry points.

#include <hostwindow.h>
#include <icomponent.h>
#include <imodule.h>
#include <moduleloader.h>
#include <testhost.h>
#include <testutil.h>
#include <vquotpanel.h>

#include <QTabWidget>
#include <QTableView>
#include <QtTest>

class TestModuleLoader : public QObject
{
    Q_OBJECT

private slots:
    void startsAndStopsLikeTheHost_data()
    {
        QTest::addColumn<QString>("dataDir");
        // Code and name in the quote panel after a double-click in the watchlist, and the code after one on
        // the futures board's first contract.
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("contract");
        QTest::newRow("sample market") << QStringLiteral(TARN_DATA_DIR) << u("300750 宁德时代") << u("ag2612");
        // No caches at all: the components start empty and show nothing.
        QTest::newRow("no data") << QStringLiteral(TARN_DATA_DIR "/nowhere") << u(" ") << QString();
    }

    void startsAndStopsLikeTheHost()
    {
        QFETCH(QString, dataDir);
        QFETCH(QString, shown);
        QFETCH(QString, contract);
        TestHost host(20261215, dataDir);
        host.store(u("OptionalStk"), u("自选股1"), u("1600519,0300750,"));
        host.store(u("PG_Trd_FtQuotPanel"), u("Check_Market"), u("H"));
        host.store(u("PG_Trd_FtQuotPanel"), u("SHQH_Check_Products"), u("ag=白银"));
        ModuleLoader loader;
        // A second start-up after a shutdown gets a module again.
        for (int run = 0; run < 2; ++run) {
            QVERIFY2(loader.load(QStringLiteral(TARN_MODULE_PATH), &host.context()), qPrintable(loader.errorString()));
            HostWindow window(&host.context(), loader.module(), nullptr);
            QCOMPARE(window.createComponents({u("BCQuotPanel"), u("BCOptionalStk"), u("BCFtQuotPanel")}), QStringList());
            window.showInitialSecurity();
            window.resize(1400, 700);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            auto *panel = window.components().value(0)->findChild<VQuotPanel *>(QStringLiteral("quotPanel"));
            auto *view = window.components().value(1)->findChild<QTableView *>();
            QVERIFY(panel && view && view->isVisible());

            // The watchlist's second row is 宁德时代; a double-click on it is an order request.
            const QPoint name = view->visualRect(view->model()->index(1, 3)).center();
            doubleClick(view->viewport(), name);
            QCOMPARE(panel->productCode() + QLatin1Char(' ') + panel->productName(), shown);

            // A contract double-clicked on the futures board shows in the quote panel too.
            window.centralWidget()->findChild<QTabWidget *>()->setCurrentIndex(1);
            auto *table = window.components().value(2)->findChild<QTableView *>(QStringLiteral("tbSHQH"));
            QVERIFY(table->isVisible());
            if (!contract.isEmpty())
                doubleClick(table->viewport(), table->visualRect(table->model()->index(0, 2)).center());
            QCOMPARE(panel->productCode(), contract.isEmpty() ? shown.trimmed() : contract);
            window.releaseComponents();
            QVERIFY(window.components().isEmpty());
            loader.unload();
        }
    }

    // What the loader refuses names the path the user gave and why, also in the log.
    void refusesWhatIsNoModule_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no such file") << QStringLiteral(TARN_MODULE_PATH ".missing") << u("加载失败: 文件");
        QTest::newRow("bare name found nowhere") << u("libnonexistent.so") << u("加载失败: 程序所在文件夹");
        QTest::newRow("file that is no library") << QStringLiteral(TARN_DATA_DIR "/dict.csv")
                                                 << u("加载失败: invalid ELF header");
        QTest::newRow("library without entry points")
            << QStringLiteral(NOT_A_MODULE_PATH) << u("缺少入口函数LoadBizModule");
    }

    void refusesWhatIsNoModule()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        TestHost host;
        ModuleLoader loader;
        QVERIFY(!loader.load(path, &host.context()));
        QVERIFY(!loader.module());
        const QString error = loader.errorString();
        // QLibrary's wrapper around the loader's own reason is gone.
        QVERIFY2(error.contains(u("[%1]").arg(path)) && error.contains(reason) && !error.contains(u("Cannot load")),
                 qPrintable(error));
        QVERIFY(host.log().contains(3, error));
    }
};

QTEST_MAIN(TestModuleLoader)
#include "tst_moduleloader.moc"
