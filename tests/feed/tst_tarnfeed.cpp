// tarn-feed and tarn-host on the quote bus as a user runs them: the executables against a real
// three-server cluster, read through the transport the way tarn-host reads them.

#include <natsserver.h>
#include <quotreceiver.h>
#include <testutil.h>
#include <vnatsquotfeed.h>
#include <vquotmgr.h>
#include <vquottape.h>

#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstring>

class TestTarnFeed : public QObject
{
    Q_OBJECT

    NatsCluster m_cluster;
    QTemporaryDir m_dir;
    QScopedPointer<QProcess> m_feed;

    QStringList busArguments(const char *user = NatsServer::Feed, const char *password = NatsServer::FeedPassword) const
    {
        return {QStringLiteral("--feed"),  m_cluster.urls().join(QLatin1Char(',')), QStringLiteral("--feed-user"),
                QString::fromLatin1(user), QStringLiteral("--feed-password"),       QString::fromLatin1(password)};
    }
    const QStringList m_marketArguments {QStringLiteral("--data"), QStringLiteral(TARN_DATA_DIR),
                                         QStringLiteral("--date"), QStringLiteral("20261205")};
    // Starts tarn-feed publishing the simulated market, at a stress rate
    // (every security trading) or at the exchanges' pace (quiet ones quiet);
    // it runs until the test ends.
    bool startFeed(bool stress = true)
    {
        m_feed.reset(new QProcess);
        m_feed->start(QStringLiteral(TARN_FEED_PATH),
                      busArguments() + m_marketArguments
                          + (stress ? QStringList {QStringLiteral("--rate"), QStringLiteral("20000")} : QStringList()));
        return m_feed->waitForStarted();
    }
    // A quote manager fed from the bus with one receiver of products.
    struct Client
    {
        VQuotMgr manager;
        QuotReceiver receiver;
        VNatsQuotFeed *feed = new VNatsQuotFeed;

        bool subscribe(const NatsCluster &cluster, const QStringList &products)
        {
            QString error;
            if (!feed->open(cluster.settings(NatsServer::Client, NatsServer::ClientPassword), &error))
                return false;
            manager.setFeed(feed);
            return receiver.subscribe(products)
                && QTest::qWaitFor([&] { return cluster.subscriptions().size() >= products.size(); }, 10000);
        }
    };

private slots:
    void initTestCase() { START_NATS_SERVER(m_cluster); }
    void cleanup()
    {
        if (m_feed) {
            m_feed->terminate();
            m_feed->waitForFinished();
            m_feed.reset();
        }
    }

    // The bus's own options are refused as tarn-host refuses them (the host window's test of its options).
    void refuses_data()
    {
        QTest::addColumn<QString>("arguments"); // BUS stands for the servers' URLs
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no bus") << QString() << 2 << u("需要 --feed");
        QTest::newRow("speed without replay") << u("--feed BUS --speed 2") << 2 << u("--speed");
        QTest::newRow("replay of no recording") << u("--feed BUS --replay tst_tarnfeed") << 2 << u("--replay");
        QTest::newRow("rate of a replay") << u("--feed BUS --replay x --rate 5") << 2 << u("--rate");
        QTest::newRow("wrong password") << u("--feed BUS --feed-user tarn-feed --feed-password guess") << 1
                                        << u("拒绝登录");
    }
    void refuses()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, reason);
        QString errors;
        QTEST(runProgram(
                  QStringLiteral(TARN_FEED_PATH),
                  arguments.replace(u("BUS"), m_cluster.urls().join(QLatin1Char(','))).split(u' ', Qt::SkipEmptyParts),
                  m_dir.path(), &errors),
              "status");
        QVERIFY2(errors.contains(reason), qPrintable(errors));
        QVERIFY2(!errors.contains(u("guess")), qPrintable(errors));
    }

    // Every security of the sample market moves, within its limits, and the
    // stream keeps what tarn-feed published last: a client that starts
    // wanting securities after the feed has stopped gets each one's latest
    // record (once every copy of the stream has it: a new client each time).
    void latestRecordsOutliveTheFeed()
    {
        QVERIFY(startFeed());
        const QStringList products = {u("1|600000"), u("0|000001"), u("1|510050")};
        // Live records, not only the latest ones: the subscriptions have reached every server.
        Client live;
        QVERIFY(live.subscribe(m_cluster, products));
        QTRY_VERIFY_WITH_TIMEOUT(live.feed->receivedCount() >= 10, 10000);
        cleanup();
        QTest::qWait(300);
        for (const QString &product : products) {
            const VQuotData record = live.receiver.latest.value(product);
            QVERIFY2(record.lastPrice >= record.lowLimitPrice && record.lastPrice <= record.highLimitPrice
                         && record.lowLimitPrice > 0,
                     qPrintable(product));
        }

        const auto lateClientSeesTheLast = [&] {
            Client late;
            if (!late.subscribe(m_cluster, products)
                || !QTest::qWaitFor([&] { return late.receiver.latest.size() == products.size(); }))
                return false;
            return std::all_of(products.cbegin(), products.cend(), [&](const QString &product) {
                return std::memcmp(&late.receiver.latest[product], &live.receiver.latest[product], sizeof(VQuotData))
                    == 0;
            });
        };
        QVERIFY(QTest::qWaitFor(lateClientSeesTheLast, 10000));
    }

    // The whole cluster lost with its disks and started afresh: the stream is
    // gone. tarn-feed makes it again once the cluster answers, and every
    // security's latest record is in it once more, the quiet ones too, for
    // clients that re-image (the images sent on reconnecting fill it, or,
    // when they went out before the stream could be made, a republication
    // of every latest record).
    void streamLostAndRecovered()
    {
        QVERIFY(startFeed(false));
        qint64 all = 0;
        QTRY_VERIFY_WITH_TIMEOUT((all = m_cluster.storedQuotes()) > 1000, 20000);
        QTest::qWait(500);
        all = m_cluster.storedQuotes();
        for (int server = 0; server < NatsCluster::Size; ++server) {
            m_cluster.server(server).kill();
            m_cluster.server(server).clearStore();
        }
        QString error;
        QVERIFY2(m_cluster.start(&error), qPrintable(error));
        QTRY_VERIFY_WITH_TIMEOUT(m_cluster.storedQuotes() >= all, 20000);
    }

    // tarn-host records what its components receive from the bus; tarn-feed replays it.
    void recordingReplays()
    {
        QVERIFY(startFeed());
        const QString tapePath = m_dir.filePath(QStringLiteral("day.tape"));
        QString errors;
        const int hostStatus = runProgram(QStringLiteral(TARN_HOST_PATH),
                                         busArguments(NatsServer::Client, NatsServer::ClientPassword)
                                             + m_marketArguments
                                             + QStringList {QStringLiteral("--record"), tapePath,
                                                            QStringLiteral("--config"),
                                                            m_dir.filePath(QStringLiteral("config.db")),
                                                            QStringLiteral("--duration"), QStringLiteral("2")},
                                         m_dir.path(), &errors);
        QVERIFY2(hostStatus == 0, qPrintable(errors));
        cleanup();

        VQuotTapeReader tape;
        QString error;
        QVERIFY2(tape.open(tapePath, &error), qPrintable(error));
        QSet<QString> recorded;
        qint64 stamp = 0;
        QByteArray frame;
        while (tape.next(&stamp, &frame)) {
            VQuotData record;
            QCOMPARE(VQuotFrame::decode(frame.constData(), size_t(frame.size()), record), VQuotFrame::Defect::None);
            recorded.insert(record.productKey());
        }
        QVERIFY2(!recorded.isEmpty(), qPrintable(errors));

        Client client;
        QVERIFY(client.subscribe(m_cluster, recorded.values()));
        QVERIFY2(runProgram(QStringLiteral(TARN_FEED_PATH),
                            busArguments()
                                + QStringList {QStringLiteral("--replay"), tapePath, QStringLiteral("--speed"),
                                               QStringLiteral("20")},
                            m_dir.path(), &errors)
                     == 0,
                 qPrintable(errors));
        QVERIFY2(errors.contains(u("跳过 0 条格式错误")), qPrintable(errors));
        QTRY_COMPARE_WITH_TIMEOUT(client.receiver.latest.size(), recorded.size(), 10000);
    }
};

QTEST_GUILESS_MAIN(TestTarnFeed)
#include "tst_tarnfeed.moc"
