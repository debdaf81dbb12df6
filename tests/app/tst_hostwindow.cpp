#include "fakemodule.h"
#include <testutil.h>

#include <componentlinker.h>
#include <hostoptions.h>
#include <hostwindow.h>
#include <icomponent.h>
#include <moduleloader.h>
#include <quotreceiver.h>
#include <quotrecord.h>
#include <sampleprofile.h>
#include <sqlitefile.h>
#include <testhost.h>
#include <testquotfeed.h>
#include <vlocaldb.h>
#include <vsimquotfeed.h>

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

class TestHostWindow : public QObject
{
    Q_OBJECT

    QScopedPointer<TestHost> m_host;
    FakeModule m_module {HostOptions::defaultComponents()};

private slots:
    void init() { m_host.reset(new TestHost(20261215, QStringLiteral(TARN_DATA_DIR))); }

    // Without boards the quote panels are the tabs (beside boards they are docks: two runs).
    void placement_data()
    {
        QTest::addColumn<QStringList>("offered");
        QTest::addColumn<QStringList>("requested");
        QTest::addColumn<QStringList>("missing");
        QTest::addColumn<int>("tabCount");

        const QStringList all = HostOptions::defaultComponents();
        QTest::newRow("panels only") << all << words("BCQuotPanel BCQuotPanel") << QStringList() << 2;
        QTest::newRow("classes the module lacks")
            << words("BCFtQuotPanel BCStoQuot") << all << words("BCQuotPanel BCOptionalStk") << 2;
    }

    void placement()
    {
        QFETCH(QStringList, offered);
        QFETCH(QStringList, requested);
        QFETCH(QStringList, missing);
        FakeModule module(offered);
        HostWindow window(&m_host->context(), &module, nullptr);
        QCOMPARE(window.createComponents(requested), missing);
        auto *tabs = window.centralWidget()->findChild<QTabWidget *>();
        QTEST(tabs ? tabs->count() : 0, "tabCount");
        QVERIFY(!window.findChild<QLabel *>(QStringLiteral("settingsBanner")));
    }

    // A configuration that keeps no change is said in the window, above the tabs, naming the file and why. The
    // run works in memory, seeded like a first run unless the file could be read: the real module's watchlist
    // makes and shows a group, the futures board shows the checked products. The file keeps its bytes.
    void unkeptConfiguration_data()
    {
        QTest::addColumn<UnkeptConfig>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("garbage file") << UnkeptConfig::NotSqlite << u("不是SQLite数据库");
        QTest::newRow("read-only database") << UnkeptConfig::ReadOnly << u("不能写入");
    }
    void unkeptConfiguration()
    {
        QFETCH(UnkeptConfig, kind);
        QFETCH(QString, reason);
        HostContext::Options options;
        QVERIFY(QDir().mkpath(m_host->tempPath(u("unkept"))));
        options.configDbPath = makeUnkeptConfig(m_host->tempPath(u("unkept")), kind);
        options.dataDir = QStringLiteral(TARN_DATA_DIR);
        options.sysDate = 20261215;
        QVERIFY(!options.configDbPath.isEmpty());
        const QByteArray bytes = fileBytes(options.configDbPath);
        {
            HostContext context(options);
            context.setQuotFeed(new TestQuotFeed);
            const bool seeded = SampleProfile::seed(options.dataDir, context.localDb());
            QCOMPARE(seeded, kind != UnkeptConfig::ReadOnly);
            ModuleLoader loader;
            QVERIFY2(loader.load(QStringLiteral(TARN_MODULE_PATH), &context), qPrintable(loader.errorString()));
            HostWindow window(&context, loader.module(), nullptr);
            window.createComponents(words("BCFtQuotPanel BCOptionalStk BCQuotPanel"));
            auto *banner = window.findChild<QLabel *>(QStringLiteral("settingsBanner"));
            QVERIFY(banner);
            QVERIFY2(banner->text().startsWith(u("本次运行的设置不会保存"))
                         && banner->text().contains(options.configDbPath) && banner->text().contains(reason),
                     qPrintable(banner->text()));
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QVERIFY(banner->isVisible());
            QVERIFY(banner->geometry().bottom() < window.centralWidget()->findChild<QTabWidget *>()->geometry().top());

            IComponent *board = window.components().value(0);
            IComponent *watchlist = window.components().value(1);
            QCOMPARE(board->findChild<QTableView *>(QStringLiteral("tbSHQH"))->model()->rowCount() > 0, seeded);
            m_host->messages().requests.clear();
            QMetaObject::invokeMethod(watchlist, "addgroupname", Q_ARG(QString, u("新组")));
            QCOMPARE(m_host->messages().texts(), QStringList());
            QCOMPARE(tabNames(watchlist), (QStringList {u("自选股1"), u("新组")}));
            window.releaseComponents();
            loader.unload();
        }
        QCOMPARE(fileBytes(options.configDbPath), bytes);
        QCOMPARE(QFileInfo::exists(options.configDbPath), kind != UnkeptConfig::MissingFolder);
    }

    // The title names where the quotes come from. The status bar says how the quote bus is reached, its
    // tooltip where and why; while cut off, how long since the last record.
    void quoteSourceShown_data()
    {
        QTest::addColumn<VQuotFeed::LinkState>("state");
        QTest::addColumn<bool>("recordBefore");
        QTest::addColumn<QString>("shown");
        QTest::newRow("connected") << VQuotFeed::LinkState::Connected << true << u("行情总线: 已连接");
        QTest::newRow("reconnecting") << VQuotFeed::LinkState::Reconnecting << false
                                      << u("行情总线: 连接中断, 正在重连");
        QTest::newRow("reconnecting after a record")
            << VQuotFeed::LinkState::Reconnecting << true << u("行情总线: 连接中断, 正在重连 (已 0 秒无行情)");
        QTest::newRow("refused") << VQuotFeed::LinkState::Refused << false
                                 << u("行情总线: 拒绝登录 (用户名、密码或令牌错误)");
    }
    void quoteSourceShown()
    {
        QFETCH(VQuotFeed::LinkState, state);
        QFETCH(bool, recordBefore);
        QFETCH(QString, shown);
        VSimQuotFeed simulator;
        QVERIFY(
            HostWindow(&m_host->context(), &m_module, &simulator).windowTitle().contains(u("— 模拟市场  业务日期")));
        m_host->feed().setLinkServers(u("nats://a:4222,nats://b:4222"));
        HostWindow window(&m_host->context(), &m_module, nullptr);
        QVERIFY(window.windowTitle().contains(u("— 行情总线 nats://a:4222,nats://b:4222  业务日期")));
        QuotReceiver receiver;
        if (recordBefore) {
            QVERIFY(receiver.subscribe({u("1|600519")}));
            m_host->feed().inject(makeQuotRecord('1', "600519"));
        }
        m_host->feed().setLinkState(state, u("nats://127.0.0.1:4222: reason"));
        QStringList labels;
        for (const QLabel *label : window.statusBar()->findChildren<QLabel *>())
            labels << label->text() + u(" @ ") + label->toolTip();
        QCOMPARE(labels.filter(u("行情总线")), QStringList {shown + u(" @ nats://127.0.0.1:4222: reason")});
    }

    // While the quotes are not current every component is greyed under a banner saying since when (the hidden
    // tab's banner hidden with it), and the banner says when the link is back but the images are not in yet;
    // all gone once current. A feed never current marks nothing: nothing was shown.
    void staleValuesMarked()
    {
        TestQuotFeed &feed = m_host->feed();
        feed.setCurrent(false);
        HostWindow window(&m_host->context(), &m_module, nullptr);
        window.createComponents(words("BCFtQuotPanel BCOptionalStk BCQuotPanel"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto banners = [&window] {
            QStringList texts;
            for (const QLabel *banner : window.findChildren<QLabel *>(QStringLiteral("staleQuotesBanner")))
                texts << (banner->isVisible() ? banner->text() : u("hidden"));
            return texts;
        };
        const auto greyed = [&window] {
            int count = 0;
            for (IComponent *component : window.components())
                count += component->graphicsEffect() || component->parentWidget()->parentWidget()->graphicsEffect();
            return count;
        };
        QCOMPARE(banners(), QStringList());

        feed.setCurrent(true);
        feed.setLinkState(VQuotFeed::LinkState::Reconnecting, QString());
        feed.setCurrent(false);
        QStringList shown = banners();
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown.count(u("hidden")), 1); // the watchlist's tab is behind the board's
        const QString since = QTime::currentTime().toString(u("HH:mm"));
        for (const QString &text : shown.filter(u("行情")))
            QVERIFY2(text.startsWith(u("行情中断: 自 ") + since) && text.contains(u("已过时 · 连接中断, 正在重连")), qPrintable(text));
        QCOMPARE(greyed(), 3);
        const QLabel *panelBanner = window.findChild<QDockWidget *>()->findChild<QLabel *>(u("staleQuotesBanner"));
        QVERIFY(panelBanner && panelBanner->geometry().top() == window.findChild<QDockWidget *>()->widget()->y());

        feed.setLinkState(VQuotFeed::LinkState::Connected, QString());
        QVERIFY(banners().filter(u("行情已重新连接, 正在更新数值")).size() == 2);
        feed.setCurrent(true);
        QCOMPARE(banners(), QStringList());
        QCOMPARE(greyed(), 0);
    }

    // Two runs of the client on one configuration. Each instance gets its own configuration group before its
    // scene is restored; the first run shows the default security, the next one what was shown last; the
    // window's size, the tab in front and a closed dock survive, and the 视图 menu brings the dock back;
    // screenshots are named after the classes; a release saves the scenes and frees the components, newest
    // first, once.
    void twoRuns()
    {
        for (const char *shownFirst : {"1 600519 贵州茅台", "H au2702 "}) {
            const bool first = shownFirst[0] == '1';
            m_host->restart();
            Journal::entries.clear();
            HostWindow window(&m_host->context(), &m_module, nullptr);
            window.createComponents(words("BCQuotPanel BCFtQuotPanel BCOptionalStk BCQuotPanel"));
            QCOMPARE(Journal::entries,
                     u("create BCQuotPanel#1|restore BCQuotPanel#1 TarnHost.BCQuotPanel.1|"
                       "create BCFtQuotPanel#1|restore BCFtQuotPanel#1 TarnHost.BCFtQuotPanel.1|"
                       "create BCOptionalStk#1|restore BCOptionalStk#1 TarnHost.BCOptionalStk.1|"
                       "create BCQuotPanel#2|restore BCQuotPanel#2 TarnHost.BCQuotPanel.2")
                         .split(u'|'));
            window.restoreLayout();
            window.showInitialSecurity();
            const QStringList shown = static_cast<FakeComponent *>(window.components().constFirst())->shown;
            QVERIFY2(shown.size() == 1 && shown.constFirst().startsWith(u(shownFirst)), qPrintable(shown.join(u'|')));
            QVERIFY(window.linker()->showSecurity(u("Hau2702")));
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            auto *dock = window.findChild<QDockWidget *>();
            auto *tabs = window.centralWidget()->findChild<QTabWidget *>();
            QCOMPARE(tabs->count(), 2); // the board and the watchlist; the quote panels are docks
            QCOMPARE(window.findChildren<QDockWidget *>().size(), 2);
            QCOMPARE(dock->isVisible(), first);
            QCOMPARE(tabs->currentIndex(), first ? 0 : 1);

            if (!first) {
                QCOMPARE(window.size(), QSize(900, 600));
                const auto *view = qobject_cast<QMenu *>(dock->toggleViewAction()->associatedWidgets().value(0));
                QVERIFY(view && view->title() == u("视图(&V)") && view->isEnabled());
                dock->toggleViewAction()->trigger();
                QVERIFY(dock->isVisible());
            }

            QString error;
            QStringList names;
            for (const QString &file : window.saveScreenshots(m_host->tempPath(u("shots")), &error))
                names << QFileInfo(file).fileName();
            QCOMPARE(names,
                     words("bcquotpanel.png bcftquotpanel.png bcoptionalstk.png bcquotpanel-2.png tarn-host.png"));
            // The configuration database is a file where the folder should be.
            QVERIFY(window.saveScreenshots(m_host->configDbPath() + u("/shots"), &error).isEmpty());
            QVERIFY2(error.contains(u("shots")), qPrintable(error));
            if (first) {
                window.resize(900, 600);
                tabs->setCurrentIndex(1);
                dock->close();
            }

            Journal::entries.clear();
            window.releaseComponents();
            window.releaseComponents();
            QCOMPARE(Journal::entries,
                     u("save BCQuotPanel#2 TarnHost.BCQuotPanel.2|free BCQuotPanel#2|"
                       "save BCOptionalStk#1 TarnHost.BCOptionalStk.1|free BCOptionalStk#1|"
                       "save BCFtQuotPanel#1 TarnHost.BCFtQuotPanel.1|free BCFtQuotPanel#1|"
                       "save BCQuotPanel#1 TarnHost.BCQuotPanel.1|free BCQuotPanel#1")
                         .split(u'|'));
            QVERIFY(window.components().isEmpty() && window.findChildren<QDockWidget *>().isEmpty());
        }
    }

    void options_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("parsed"); // business date, components and duration; empty: refused

        QTest::newRow("date") << u("--date 20261215") << u("20261215  -1");
        QTest::newRow("impossible date") << u("--date 20260230") << QString();
        QTest::newRow("components in order")
            << u("--components BCStoQuot,,BCQuotPanel") << u("0 BCStoQuot,BCQuotPanel -1");
        QTest::newRow("no components") << u("--components ,") << QString();
        QTest::newRow("screenshots run five seconds") << u("--screenshot shots") << u("0  5");
        QTest::newRow("negative duration") << u("--duration -3") << QString();
        QTest::newRow("stray argument") << u("extra") << QString();
        QTest::newRow("highest rate") << u("--rate 200000") << u("0  -1");
        QTest::newRow("rate beyond the simulator") << u("--rate 1000000") << QString();
        QTest::newRow("cluster with a user")
            << u("--feed nats://a:4222,nats://b:4222,nats://c:4222 --feed-user u --feed-password p") << u("0  -1");
        QTest::newRow("bus with a token") << u("--feed tls://quotes.example:4443 --feed-token t") << u("0  -1");
        QTest::newRow("bus of another kind") << u("--feed http://127.0.0.1:4222") << QString();
        QTest::newRow("cluster with a bad server") << u("--feed nats://a:4222,nats://b") << QString();
        QTest::newRow("cluster of both kinds") << u("--feed nats://a:4222,tls://b:4443") << QString();
        QTest::newRow("password without user") << u("--feed nats://127.0.0.1:4222 --feed-password p") << QString();
        QTest::newRow("user and token") << u("--feed nats://127.0.0.1:4222 --feed-user u --feed-token t") << QString();
        QTest::newRow("credentials without bus") << u("--feed-user u") << QString();
        QTest::newRow("simulator's rate with a bus") << u("--feed nats://127.0.0.1:4222 --rate 20") << QString();
        QTest::newRow("recording in a missing folder") << u("--record nowhere/day.tape") << QString();
    }

    void options()
    {
        QFETCH(QString, arguments);
        HostOptions options;
        QString error;
        const bool valid = options.parse((u("tarn-host ") + arguments).split(QLatin1Char(' ')), &error);
        QCOMPARE(error.isEmpty(), valid);
        QTEST(valid ? u("%1 %2 %3")
                          .arg(options.sysDate)
                          .arg(options.components.join(QLatin1Char(',')))
                          .arg(options.durationSeconds)
                    : QString(),
              "parsed");
    }

    // A malformed line of the first-run profile is logged and skipped; the rest is stored. The profile goes
    // only into a database that holds nothing of an earlier run.
    void profileWithBadLines()
    {
        const QString dir = m_host->tempPath(QStringLiteral("profile"));
        QDir().mkpath(dir);
        QVERIFY(writeFile(dir + QStringLiteral("/profile.csv"),
                          "group,param,value\nG,a,1\nG,only two\n,b,2\nG,c,\"x,y\"\n"));
        LogCapture log;
        QVERIFY(SampleProfile::seed(dir, m_host->context().localDb()));
        QStringList params = m_host->stored(u("G")).split(u' '); // stored in no particular order
        params.sort();
        QCOMPARE(params, words("a=1 c=x,y"));
        QCOMPARE(log.records().size(), 2);
        m_host->restart();
        QVERIFY(!SampleProfile::seed(dir, m_host->context().localDb()));
    }

    // A security chosen in one component is shown by every other that publishes the show slot; one whose
    // show slot takes no security is logged and skipped, one that is gone has left the linker. (A futures
    // contract and the watchlist's order request through the real module are the module loader's test.)
    void choiceIsShownByTheOthers_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("stkid");
        QTest::addColumn<bool>("market"); // false: no securities cache
        QTest::addColumn<QString>("shown"); // empty: not shown, logged

        QTest::newRow("financial futures")
            << u("BCFtQuotPanel") << u("FIF2612") << true << u("F IF2612 沪深300股指2612 0.2 R");
        QTest::newRow("option contract") << u("BCStoQuot") << u("510350055") << true
                                         << u("5 10350055 50ETF购12月2750 0.0001 S");
        QTest::newRow("unknown contract") << u("BCFtQuotPanel") << u("Hrb1001") << true << QString();
        QTest::newRow("no securities cache") << u("BCFtQuotPanel") << u("Hrb2701") << false << QString();
    }

    void choiceIsShownByTheOthers()
    {
        QFETCH(QString, source);
        QFETCH(QString, stkid);
        QFETCH(bool, market);
        QFETCH(QString, shown);
        TestHost host(20261215, market ? QStringLiteral(TARN_DATA_DIR) : QString());
        ComponentLinker linker(host.context().cacheMgr());
        QWidget owner; // owns the components
        const auto make = [&](const QString &className) {
            auto *component = new FakeComponent(&owner, className, className);
            linker.addComponent(component);
            return component;
        };
        FakeComponent *panel = make(u("BCQuotPanel"));
        FakeComponent *options = make(u("BCStoQuot"));
        make(u("BCBadPanel"));
        delete make(u("BCQuotPanel"));
        FakeComponent *sender = source == options->className() ? options : make(source);
        QCOMPARE(linker.components().size(), owner.findChildren<IComponent *>().size());
        QSignalSpy shownSpy(&linker, &ComponentLinker::securityShown);
        LogCapture log;
        emit sender->onChosen(stkid);

        QCOMPARE(panel->shown, shown.isEmpty() ? QStringList() : QStringList {shown});
        QCOMPARE(options->shown.size(), sender == options || shown.isEmpty() ? 0 : 1); // not shown by its source
        QCOMPARE(shownSpy.size(), shown.isEmpty() ? 0 : 1);
        QCOMPARE(log.records().size(), 1);
        QVERIFY(log.failures().value(0).contains(shown.isEmpty() ? stkid : u("BCBadPanel")));
    }
};

QTEST_MAIN(TestHostWindow)
#include "tst_hostwindow.moc"
