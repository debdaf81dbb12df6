// The bus's client against a real three-server cluster with the quote stream.

#include <logcapture.h>
#include <natsserver.h>
#include <quotreceiver.h>
#include <quotrecord.h>
#include <testutil.h>
#include <vnatsquotfeed.h>
#include <vnatsquotpublisher.h>
#include <vnatsquotstream.h>
#include <vquotframe.h>
#include <vquotmgr.h>
#include <vquotsubject.h>

#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>
#include <limits>

using Defect = VQuotFrame::Defect;
using LinkState = VQuotFeed::LinkState;
Q_DECLARE_METATYPE(Defect)

namespace {

VQuotData quote(const QString &product, double lastPrice)
{
    VQuotData record = makeQuotRecord(product);
    record.lastPrice = lastPrice;
    return record;
}

QByteArray subjectOf(const QString &product)
{
    return VQuotSubject::of(product.at(0).toLatin1(), product.mid(2).toLatin1());
}

} // namespace

class TestVNatsQuotFeed : public QObject
{
    Q_OBJECT

private:
    NatsCluster m_cluster;
    VQuotMgr *m_mgr = nullptr;
    VNatsQuotFeed *m_feed = nullptr; // owned by m_mgr
    QuotReceiver *m_receiver = nullptr;
    VNatsQuotPublisher *m_publisher = nullptr;
    int m_round = 0;

    // A security of this test function alone: the stream keeps what earlier ones published.
    QString own(const char *product) const { return QStringLiteral("%1_%2").arg(QLatin1String(product)).arg(m_round); }

    // The manager's feed connected to the cluster as a client, and a publisher
    // as the feed: on the client's server, so what it publishes after a
    // subscription has reached that server cannot outrun the subscription's
    // way to the others; or, for a failover, on any server.
    bool connectAll(bool publisherBesideClient = true)
    {
        QString error;
        m_feed = new VNatsQuotFeed;
        m_mgr->setFeed(m_feed);
        if (!m_feed->open(m_cluster.settings(NatsServer::Client, NatsServer::ClientPassword), &error)
            || !QTest::qWaitFor([this] { return m_feed->linkState() == LinkState::Connected; }))
            return false;
        VNatsSettings publishing = m_cluster.settings(NatsServer::Feed, NatsServer::FeedPassword);
        if (publisherBesideClient)
            publishing.urls = QStringList(m_feed->linkDetail());
        m_publisher = new VNatsQuotPublisher;
        return m_publisher->open(publishing, &error)
            && QTest::qWaitFor([this] { return m_publisher->link().state() == LinkState::Connected; });
    }
    // Publishes the first records of products and waits until every copy of the stream holds them.
    bool publishStored(const QStringList &products, double lastPrice)
    {
        const qint64 stored = m_cluster.storedQuotes();
        for (const QString &product : products) {
            if (!m_publisher->publish(quote(product, lastPrice)))
                return false;
        }
        return m_publisher->flush(2000)
            && QTest::qWaitFor([&] { return m_cluster.storedQuotes() >= stored + products.size(); }, 10000);
    }

private slots:
    void initTestCase()
    {
        START_NATS_SERVER(m_cluster);
        VNatsQuotPublisher feed;
        QString error;
        QVERIFY(feed.open(m_cluster.settings(NatsServer::Feed, NatsServer::FeedPassword), &error));
        QTRY_COMPARE(feed.link().state(), LinkState::Connected);
        QVERIFY2(VNatsQuotStream::create(feed.link().connection(), &error), qPrintable(error));
    }
    void init()
    {
        ++m_round;
        m_mgr = new VQuotMgr;
        m_receiver = new QuotReceiver;
    }
    void cleanup()
    {
        delete m_publisher;
        m_publisher = nullptr;
        delete m_receiver;
        delete m_mgr;
        m_mgr = nullptr;
    }

    // Frames on one security's subject while the GUI thread takes no events,
    // a record's price its place among them (1, 2, 3...): records leave the
    // feed in the order of their publish sequence (0: a version-1 frame,
    // which carries none), whatever order they arrive in; a refused frame,
    // sent 500 times before them, is counted and logged once. Every defect is
    // found before the record's security is compared with the subject's.
    void framesOfOneSecurity_data()
    {
        QTest::addColumn<QList<quint64>>("sequences");
        QTest::addColumn<QByteArray>("refused");
        QTest::addColumn<Defect>("defect");
        QTest::addColumn<double>("shown");
        QTest::newRow("in order") << QList<quint64> {3, 5} << QByteArray() << Defect::None << 2.0;
        QTest::newRow("an older one after a newer one") << QList<quint64> {5, 3} << QByteArray() << Defect::None << 1.0;
        QTest::newRow("the same twice") << QList<quint64> {5, 5} << QByteArray() << Defect::None << 1.0;
        QTest::newRow("version 1 in between") << QList<quint64> {5, 0, 4} << QByteArray() << Defect::None << 2.0;
        const QString product = u("H|ag2606");
        // The decoder's other defects are its own test's; the feed counts and logs each alike.
        QTest::newRow("truncated") << QList<quint64> {1} << VQuotFrame::encode(quote(product, 1), 1).left(100)
                                   << Defect::Length << 1.0;
        QTest::newRow("another security's record")
            << QList<quint64> {1} << VQuotFrame::encode(quote(u("H|cu2606"), 1), 1) << Defect::Subject << 1.0;
    }
    void framesOfOneSecurity()
    {
        QFETCH(QList<quint64>, sequences);
        QFETCH(QByteArray, refused);
        QFETCH(Defect, defect);
        QFETCH(double, shown);
        QVERIFY(connectAll());
        const QString product = own("H|ag2606");
        QVERIFY(m_receiver->subscribe({product}));
        QTRY_COMPARE(m_cluster.subscriptions().size(), 1);
        const int refusals = refused.isEmpty() ? 0 : 500;
        QVector<QByteArray> frames(refusals, refused);
        for (int i = 0; i < sequences.size(); ++i) {
            QByteArray frame(VQuotFrame::Version1Size, Qt::Uninitialized);
            if (sequences.at(i) == 0)
                VQuotFrame::encodeVersion1(quote(product, i + 1), frame.data());
            else
                frame = VQuotFrame::encode(quote(product, i + 1), sequences.at(i));
            frames << frame;
        }
        LogCapture log;
        for (const QByteArray &frame : qAsConst(frames))
            QVERIFY(m_publisher->publish(subjectOf(product), frame));
        QVERIFY(m_publisher->flush(2000));
        // Without taking events until the feed has received every frame, then the GUI thread takes what the
        // manager's queue holds.
        const QDeadlineTimer deadline(10000);
        while (m_feed->receivedCount() < quint64(frames.size()) && !deadline.hasExpired())
            QThread::msleep(10);
        QCoreApplication::processEvents();
        QCOMPARE(m_feed->receivedCount(), quint64(frames.size()));
        QCOMPARE(m_receiver->prices, (QHash<QString, QVector<double>> {{product, {shown}}}));
        QCOMPARE(m_feed->rejects().count(defect), quint64(refusals));
        QCOMPARE(m_feed->rejects().total(), quint64(refusals));
        QCOMPARE(log.records().size(), refusals ? 1 : 0);
        for (const VLogRecord &record : log.records())
            QVERIFY2(record.message.contains(VQuotFrame::defectText(defect)), qPrintable(record.message));
    }

    // A client's user may read quotes, not write them: the server refuses a
    // forged quote and every change of the stream (purging or deleting it,
    // deleting a record, changing it), and the stream still holds the feed's
    // record.
    void clientMayNotWrite()
    {
        QVERIFY(connectAll());
        const QString product = own("H|ag2606");
        QVERIFY(publishStored({product}, 1));
        VNatsQuotPublisher client;
        QString error;
        QVERIFY(client.open(m_cluster.settings(NatsServer::Client, NatsServer::ClientPassword), &error));
        QTRY_COMPARE(client.link().state(), LinkState::Connected);
        QSignalSpy errors(&client.link(), &VNatsLink::serverError);
        const QList<QByteArray> subjects
            = {subjectOf(product), "$JS.API.STREAM.PURGE.TARN_QUOT", "$JS.API.STREAM.DELETE.TARN_QUOT",
               "$JS.API.STREAM.MSG.DELETE.TARN_QUOT", "$JS.API.STREAM.UPDATE.TARN_QUOT"};
        for (int i = 0; i < subjects.size(); ++i) {
            QVERIFY(client.publish(subjects.at(i),
                                   VQuotFrame::encode(quote(product, 666), std::numeric_limits<quint64>::max())));
            QTRY_COMPARE(errors.size(), i + 1);
            const QString text = errors.at(i).constFirst().toString();
            QVERIFY2(text.contains(u("Permissions Violation for Publish to \"%1\"").arg(QLatin1String(subjects.at(i)))),
                     qPrintable(text));
        }
        QVERIFY(m_receiver->subscribe({product}));
        QTRY_COMPARE(m_receiver->prices.value(product), QVector<double> {1});
    }

    // A fresh subscription of 2,000 securities shows their latest records
    // from the stream, though nothing is published after it. Then the
    // server the client is connected to dies, twice, while 50 securities'
    // prices rise: quotes resume through another server, every
    // wanted security is asked for its latest record again, and no security
    // ever shows an older price. The first dead server comes back and
    // rejoins (healthy, its copy of the stream current), so the cluster
    // outlives the second loss. It leaves a server down.
    void failover()
    {
        QVERIFY(connectAll(false));
        QStringList products;
        for (int i = 0; i < 2000; ++i)
            products << own("1|6") + QStringLiteral("x%1").arg(i);
        const QStringList ticking = products.mid(0, 50);
        double price = 1;
        QVERIFY(publishStored(products, price));
        QVERIFY(m_receiver->subscribe(products));
        QTRY_COMPARE(m_receiver->prices.size(), products.size());
        for (const QString &product : qAsConst(products))
            QCOMPARE(m_receiver->prices.value(product), QVector<double> {1});
        QCOMPARE(m_feed->receivedCount(), quint64(0));
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] {
            ++price;
            for (const QString &product : ticking)
                m_publisher->publish(quote(product, price));
        });
        ticker.start(10);

        int down = -1;
        for (int round = 0; round < 2; ++round) {
            if (down >= 0)
                START_NATS_SERVER(m_cluster.server(down));
            down = m_cluster.indexOf(m_feed->linkDetail());
            QVERIFY2(down >= 0, qPrintable(m_feed->linkDetail()));
            const quint64 images = m_feed->imageCount();
            m_cluster.server(down).kill();
            const double afterKill = price;
            QTRY_VERIFY_WITH_TIMEOUT(
                m_feed->linkState() == LinkState::Connected && m_cluster.indexOf(m_feed->linkDetail()) != down, 10000);
            QTRY_VERIFY(m_feed->imageCount() >= images + quint64(products.size()));
            QTRY_VERIFY(std::all_of(ticking.cbegin(), ticking.cend(), [&](const QString &product) {
                return m_receiver->prices.value(product).constLast() > afterKill;
            }));
        }
        ticker.stop();
        for (auto prices = m_receiver->prices.cbegin(); prices != m_receiver->prices.cend(); ++prices) {
            QVERIFY2(std::adjacent_find(prices->cbegin(), prices->cend(), std::greater_equal<double>())
                         == prices->cend(),
                     qPrintable(prices.key()));
        }
    }

    // A client closed while every server is gone ends its subscriptions at
    // once: no wait of its own runs out. The last test: it ends the cluster.
    void closedWhileTheServersAreGone()
    {
        QVERIFY(connectAll());
        QVERIFY(m_receiver->subscribe({own("1|600000"), own("1|600004")}));
        QTRY_COMPARE(m_cluster.subscriptions().size(), 2);
        for (int server = 0; server < NatsCluster::Size; ++server)
            m_cluster.server(server).kill();
        QTRY_COMPARE(m_feed->linkState(), LinkState::Reconnecting);
        LogCapture log;
        delete m_publisher;
        m_publisher = nullptr;
        delete m_mgr;
        m_mgr = nullptr;
        for (const VLogRecord &record : log.records())
            QVERIFY2(!record.message.contains(u("不再等待")), qPrintable(record.message));
    }
};

QTEST_GUILESS_MAIN(TestVNatsQuotFeed)
#include "tst_vnatsquotfeed.moc"
