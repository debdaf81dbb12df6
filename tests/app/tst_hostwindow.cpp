#include "fakemodule.h"

#include <componentlinker.h>
#include <hostoptions.h>
#include <hostwindow.h>
#include <sampleprofile.h>
#include <testhost.h>
#include <vlocaldb.h>
#include <vlogsink.h>
#include <vsimquotfeed.h>

#include <QAction>
#include <QDockWidget>
#include <QFile>
#include <QImage>
#include <QTabWidget>
#include <QTest>

namespace {

QStringList names(const char *text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QAction *actionNamed(QWidget *window, const QString &text)
{
    for (QAction *action : window->findChildren<QAction *>()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

} // namespace

class TestHostWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void componentsArePlacedWithTheirScenes();
    void classesTheModuleLacksAreSkipped();
    void panelsWithoutBoardsAreTabs();
    void releaseSavesScenesAndFreesNewestFirst();
    void shownSecurityPersists();
    void screenshots();
    void screenshotsIntoUnusableFolder();
    void feedMenu();

    void options_data();
    void options();

    void profileIsStored();
    void profileWithBadLines();

private:
    QScopedPointer<TestHost> m_host;
};

void TestHostWindow::initTestCase()
{
    VLog::setFileLogging(false);
}

void TestHostWindow::init()
{
    Journal::entries.clear();
    m_host.reset(new TestHost(20261215, QStringLiteral(TARN_DATA_DIR)));
}

void TestHostWindow::componentsArePlacedWithTheirScenes()
{
    FakeModule module(HostOptions::defaultComponents());
    HostWindow window(&m_host->context(), &module, nullptr);
    QCOMPARE(window.createComponents(names("BCFtQuotPanel BCQuotPanel BCQuotPanel")), QStringList());

    // Each instance gets its own configuration group before its scene is restored.
    QCOMPARE(Journal::entries,
             QStringList({QStringLiteral("create BCFtQuotPanel#1"),
                          QStringLiteral("restore BCFtQuotPanel#1 TarnHost.BCFtQuotPanel.1"),
                          QStringLiteral("create BCQuotPanel#1"),
                          QStringLiteral("restore BCQuotPanel#1 TarnHost.BCQuotPanel.1"),
                          QStringLiteral("create BCQuotPanel#2"),
                          QStringLiteral("restore BCQuotPanel#2 TarnHost.BCQuotPanel.2")}));
    const QList<IComponent *> components = window.components();
    QCOMPARE(components.size(), 3);

    // Boards go in tabs, quote panels in docks, each titled as a trader knows it.
    auto *tabs = qobject_cast<QTabWidget *>(window.centralWidget());
    QVERIFY(tabs);
    QCOMPARE(tabs->count(), 1);
    QCOMPARE(tabs->tabText(0), QStringLiteral("期货"));
    QCOMPARE(tabs->widget(0), components.at(0));
    QStringList dockTitles;
    for (IComponent *panel : {components.at(1), components.at(2)}) {
        auto *dock = qobject_cast<QDockWidget *>(panel->parentWidget());
        QVERIFY(dock);
        dockTitles << dock->windowTitle();
    }
    QCOMPARE(dockTitles, QStringList({QStringLiteral("行情"), QStringLiteral("行情 2")}));
    QCOMPARE(window.linker()->components(), components);
}

void TestHostWindow::classesTheModuleLacksAreSkipped()
{
    FakeModule module(names("BCFtQuotPanel BCStoQuot"));
    HostWindow window(&m_host->context(), &module, nullptr);
    QCOMPARE(window.createComponents(HostOptions::defaultComponents()), names("BCQuotPanel BCOptionalStk"));
    QCOMPARE(window.components().size(), 2);
    auto *tabs = qobject_cast<QTabWidget *>(window.centralWidget());
    QVERIFY(tabs);
    QCOMPARE(tabs->tabText(1), QStringLiteral("期权"));
}

void TestHostWindow::panelsWithoutBoardsAreTabs()
{
    FakeModule module(HostOptions::defaultComponents());
    HostWindow window(&m_host->context(), &module, nullptr);
    window.createComponents(names("BCQuotPanel BCQuotPanel"));
    auto *tabs = qobject_cast<QTabWidget *>(window.centralWidget());
    QVERIFY(tabs);
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->tabText(1), QStringLiteral("行情 2"));
    QVERIFY(window.findChildren<QDockWidget *>().isEmpty());
    QCOMPARE(window.components().size(), 2);
}

void TestHostWindow::releaseSavesScenesAndFreesNewestFirst()
{
    FakeModule module(HostOptions::defaultComponents());
    HostWindow window(&m_host->context(), &module, nullptr);
    window.createComponents(names("BCQuotPanel BCFtQuotPanel"));
    Journal::entries.clear();
    window.releaseComponents();
    QCOMPARE(Journal::entries,
             QStringList({QStringLiteral("save BCFtQuotPanel#1 TarnHost.BCFtQuotPanel.1"),
                          QStringLiteral("free BCFtQuotPanel#1"),
                          QStringLiteral("save BCQuotPanel#1 TarnHost.BCQuotPanel.1"),
                          QStringLiteral("free BCQuotPanel#1")}));
    QVERIFY(window.components().isEmpty());
    QVERIFY(window.findChildren<QDockWidget *>().isEmpty());
    Journal::entries.clear();
    window.releaseComponents();
    QCOMPARE(Journal::entries, QStringList());
}

void TestHostWindow::shownSecurityPersists()
{
    FakeModule module(HostOptions::defaultComponents());
    {
        HostWindow window(&m_host->context(), &module, nullptr);
        window.createComponents(names("BCQuotPanel"));
        window.showInitialSecurity();
        auto *panel = static_cast<FakeComponent *>(window.components().constFirst());
        QCOMPARE(panel->shown.size(), 1);
        QCOMPARE(panel->shown.constLast().name, QStringLiteral("贵州茅台")); // the first run's choice
        QVERIFY(window.linker()->showSecurity(QStringLiteral("Hau2702")));
    }
    m_host->restart();
    HostWindow window(&m_host->context(), &module, nullptr);
    window.createComponents(names("BCQuotPanel"));
    window.showInitialSecurity();
    auto *panel = static_cast<FakeComponent *>(window.components().constFirst());
    QCOMPARE(panel->shown.constLast().code, QStringLiteral("au2702"));
}

void TestHostWindow::screenshots()
{
    FakeModule module(HostOptions::defaultComponents());
    HostWindow window(&m_host->context(), &module, nullptr);
    window.createComponents(names("BCQuotPanel BCFtQuotPanel BCStoQuot BCQuotPanel"));
    window.show();
    QString error;
    const QString dir = m_host->tempPath(QStringLiteral("shots/new"));
    const QStringList files = window.saveScreenshots(dir, &error);
    QCOMPARE(error, QString());
    QStringList fileNames;
    for (const QString &file : files) {
        fileNames << QFileInfo(file).fileName();
        const QImage image(file);
        QVERIFY2(!image.isNull() && image.width() > 0, qPrintable(file));
    }
    QCOMPARE(fileNames, names("bcquotpanel.png bcftquotpanel.png bcstoquot.png bcquotpanel-2.png tarn-host.png"));
}

void TestHostWindow::screenshotsIntoUnusableFolder()
{
    const QString blocker = m_host->tempPath(QStringLiteral("file"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    FakeModule module(HostOptions::defaultComponents());
    HostWindow window(&m_host->context(), &module, nullptr);
    QString error;
    QVERIFY(window.saveScreenshots(m_host->tempPath(QStringLiteral("shots")), &error).isEmpty());
    QVERIFY(!error.isEmpty()); // no component yet
    window.createComponents(names("BCQuotPanel"));
    error.clear();
    QVERIFY(window.saveScreenshots(blocker + QStringLiteral("/shots"), &error).isEmpty());
    QVERIFY2(error.contains(QStringLiteral("shots")), qPrintable(error));
}

void TestHostWindow::feedMenu()
{
    FakeModule module(HostOptions::defaultComponents());
    auto *feed = new VSimQuotFeed;
    m_host->context().setQuotFeed(feed);
    feed->setRate(200);
    HostWindow window(&m_host->context(), &module, feed);
    QAction *pause = actionNamed(&window, QStringLiteral("暂停模拟行情"));
    QVERIFY(pause);
    pause->trigger();
    QVERIFY(feed->isPaused());
    pause->trigger();
    QVERIFY(!feed->isPaused());
    QAction *fast = actionNamed(&window, QStringLiteral("5000 条/秒"));
    QVERIFY(fast);
    fast->trigger();
    QCOMPARE(feed->rate(), 5000);
}

void TestHostWindow::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("sysDate");
    QTest::addColumn<QStringList>("components");
    QTest::addColumn<int>("duration");

    const QStringList none;
    QTest::newRow("no arguments") << names("tarn-host") << true << 0 << none << -1;
    QTest::newRow("date") << names("tarn-host --date 20261215") << true << 20261215 << none << -1;
    QTest::newRow("impossible date") << names("tarn-host --date 20260230") << false << 0 << none << -1;
    QTest::newRow("date not a date") << names("tarn-host --date tomorrow") << false << 0 << none << -1;
    QTest::newRow("components in order") << names("tarn-host --components BCStoQuot,,BCQuotPanel") << true << 0
                                         << names("BCStoQuot BCQuotPanel") << -1;
    QTest::newRow("no components") << names("tarn-host --components ,") << false << 0 << none << -1;
    QTest::newRow("screenshots run five seconds") << names("tarn-host --screenshot shots") << true << 0 << none << 5;
    QTest::newRow("screenshots with duration")
        << names("tarn-host --screenshot shots --duration 0") << true << 0 << none << 0;
    QTest::newRow("negative duration") << names("tarn-host --duration -3") << false << 0 << none << -1;
    QTest::newRow("rate zero") << names("tarn-host --rate 0") << false << 0 << none << -1;
    QTest::newRow("unknown option") << names("tarn-host --colour red") << false << 0 << none << -1;
    QTest::newRow("stray argument") << names("tarn-host extra") << false << 0 << none << -1;
}

void TestHostWindow::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, valid);
    QFETCH(int, sysDate);
    QFETCH(QStringList, components);
    QFETCH(int, duration);
    HostOptions options;
    QString error;
    QCOMPARE(options.parse(arguments, &error), valid);
    QCOMPARE(error.isEmpty(), valid);
    if (!valid)
        return;
    QCOMPARE(options.sysDate, sysDate);
    QCOMPARE(options.components, components);
    QCOMPARE(options.durationSeconds, duration);
}

void TestHostWindow::profileIsStored()
{
    VLocalDb *db = m_host->context().localDb();
    QVERIFY(SampleProfile::apply(QStringLiteral(TARN_DATA_DIR), db));
    QHash<QString, QVariant> params;
    QVERIFY(db->getCfgParam(QStringLiteral("PG_Trd_FtQuotPanel"), params));
    QCOMPARE(params.value(QStringLiteral("Check_Market")).toString(), QStringLiteral("H"));
    QVERIFY(params.value(QStringLiteral("SHQH_Check_Products")).toString().contains(QStringLiteral("rb=螺纹钢")));
    QVERIFY(db->getCfgParam(QStringLiteral("OptionalStk"), params));
    QVERIFY(params.value(QStringLiteral("自选股1")).toString().startsWith(QStringLiteral("1600519,")));
    QVERIFY(!SampleProfile::apply(m_host->tempPath(QStringLiteral("nowhere")), db));
}

void TestHostWindow::profileWithBadLines()
{
    QDir().mkpath(m_host->tempPath(QStringLiteral("profile")));
    QFile file(m_host->tempPath(QStringLiteral("profile/profile.csv")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("group,param,value\nG,a,1\nG,only two\n,b,2\nG,c,\"x,y\"\n");
    file.close();
    LogCapture log;
    VLocalDb *db = m_host->context().localDb();
    QVERIFY(SampleProfile::apply(m_host->tempPath(QStringLiteral("profile")), db));
    QHash<QString, QVariant> params;
    QVERIFY(db->getCfgParam(QStringLiteral("G"), params));
    QCOMPARE(params.keys().size(), 2);
    QCOMPARE(params.value(QStringLiteral("c")).toString(), QStringLiteral("x,y"));
    QCOMPARE(log.records.size(), 2);
}

QTEST_MAIN(TestHostWindow)
#include "tst_hostwindow.moc"
