#include <logcapture.h>
#include <natsserver.h>
#include <quotrecord.h>
#include <vnatsquotfeed.h>
#include <vnatsquotpublisher.h>
#include <vquotframe.h>
#include <vquotmgr.h>
#include <vquotsubject.h>
#include <vquotsubscriber.h>

#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>
#include <limits>

using Defect = VQuotFrame::Defect;
using LinkState = VQuotFeed::LinkState;
Q_DECLARE_METATYPE(Defect)

namespace {

VNatsSettings settingsFor(const NatsServer &server, const char *user = NatsServer::User,
                          const char *password = NatsServer::Password)
{
    VNatsSettings settings;
    settings.urls = QStringList(server.url());
    settings.user = QString::fromLatin1(user);
    settings.password = QString::fromLatin1(password);
    return settings;
}

VQuotData quote(const char *product, double lastPrice)
{
    VQuotData record = makeQuotRecord(product[0], QByteArray(product + 2));
    record.lastPrice = lastPrice;
    return record;
}

QByteArray subjectOf(const char *product)
{
    return VQuotSubject::of(product[0], QByteArray(product + 2));
}

} // namespace

// Every record it receives, as "market|code=lastPrice".
class Receiver : public QObject
{
    Q_OBJECT
public:
    QStringList received;

private slots:
    void doRecv(VQuotData *record)
    {
        received << record->productKey() + QLatin1Char('=') + QString::number(record->lastPrice);
    }
};

class TestVNatsQuotFeed : public QObject
{
    Q_OBJECT

private:
    NatsServer m_server;
    VQuotMgr *m_mgr = nullptr;
    VNatsQuotFeed *m_feed = nullptr; // owned by m_mgr
    Receiver *m_receiver = nullptr;
    VQuotSubscriber *m_subscriber = nullptr;
    VNatsQuotPublisher *m_publisher = nullptr;

    // The manager's feed connected to the server, and a publisher.
    bool connectAll()
    {
        QString error;
        m_feed = new VNatsQuotFeed;
        m_mgr->setFeed(m_feed);
        m_publisher = new VNatsQuotPublisher;
        if (!m_feed->open(settingsFor(m_server), &error) || !m_publisher->open(settingsFor(m_server), &error))
            return false;
        return QTest::qWaitFor([this] {
            return m_feed->linkState() == LinkState::Connected && m_publisher->link().state() == LinkState::Connected;
        });
    }
    bool subscribe(const QStringList &products)
    {
        m_subscriber->clear();
        for (const QString &product : products)
            m_subscriber->addProduct(product.at(0).toLatin1(), product.mid(2));
        return m_subscriber->subscribe();
    }
    QStringList subjects(const QStringList &products)
    {
        QStringList subjects;
        for (const QString &product : products)
            subjects << QString::fromLatin1(subjectOf(product.toLatin1().constData()));
        subjects.sort();
        return subjects;
    }

private slots:
    void initTestCase()
    {
        VLog::setFileLogging(false);
        START_NATS_SERVER(m_server);
    }
    void init()
    {
        m_mgr = new VQuotMgr;
        m_receiver = new Receiver;
        m_subscriber = new VQuotSubscriber(m_receiver, QStringLiteral("bus"));
        QVERIFY(m_subscriber->setRecvSlot(m_receiver, SLOT(doRecv(VQuotData *))));
    }
    void cleanup()
    {
        delete m_publisher;
        m_publisher = nullptr;
        delete m_receiver;
        delete m_mgr;
    }

    void subscriptionsReachTheServer()
    {
        QVERIFY(connectAll());
        const QStringList three = {QStringLiteral("H|ag2606"), QStringLiteral("F|IF2606"), QStringLiteral("1|600000")};
        QVERIFY(subscribe(three));
        QTRY_COMPARE(m_server.subscriptions(), subjects(three));
        QVERIFY(subscribe(three.mid(1)));
        QTRY_COMPARE(m_server.subscriptions(), subjects(three.mid(1)));
        QVERIFY(m_subscriber->unsubscribe(true));
        QTRY_COMPARE(m_server.subscriptions(), QStringList());
    }

    void recordsReachTheirSubscribers()
    {
        QVERIFY(connectAll());
        QVERIFY(subscribe({QStringLiteral("H|ag2606"), QStringLiteral("1|600000")}));
        QTRY_COMPARE(m_server.subscriptions().size(), 2);
        QVERIFY(m_publisher->publish(quote("H|ag2606", 5123)));
        QVERIFY(m_publisher->publish(quote("H|cu2606", 1))); // nobody's
        QVERIFY(m_publisher->publish(quote("1|600000", 10.5)));
        QVERIFY(m_publisher->flush(2000));
        QTRY_COMPARE(m_receiver->received,
                     QStringList({QStringLiteral("H|ag2606=5123"), QStringLiteral("1|600000=10.5")}));
    }

    void refusedFramesAreCountedAndLoggedOnce_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<Defect>("defect");
        const QByteArray good = VQuotFrame::encode(quote("H|ag2606", 1), 1);
        QByteArray version3 = good;
        version3[4] = 3;
        VQuotData notFinite = quote("H|ag2606", std::numeric_limits<double>::quiet_NaN());
        QTest::newRow("truncated") << good.left(100) << Defect::Length;
        QTest::newRow("version 3") << version3 << Defect::Version;
        QTest::newRow("NaN last price") << VQuotFrame::encode(notFinite, 1) << Defect::NotFinite;
        QTest::newRow("another security's record") << VQuotFrame::encode(quote("H|cu2606", 1), 1) << Defect::Subject;
    }
    void refusedFramesAreCountedAndLoggedOnce()
    {
        QFETCH(QByteArray, frame);
        QFETCH(Defect, defect);
        QVERIFY(connectAll());
        QVERIFY(subscribe({QStringLiteral("H|ag2606")}));
        QTRY_COMPARE(m_server.subscriptions().size(), 1);
        LogCapture log;
        for (int i = 0; i < 500; ++i)
            QVERIFY(m_publisher->publish(subjectOf("H|ag2606"), frame));
        QVERIFY(m_publisher->publish(quote("H|ag2606", 7)));
        QVERIFY(m_publisher->flush(2000));

        QTRY_COMPARE(m_receiver->received, QStringList(QStringLiteral("H|ag2606=7")));
        QCOMPARE(m_feed->rejects().count(defect), quint64(500));
        QCOMPARE(m_feed->rejects().total(), quint64(500));
        QCOMPARE(log.records.size(), 1);
        QVERIFY2(log.records.constFirst().message.contains(VQuotFrame::defectText(defect)),
                 qPrintable(log.records.constFirst().message));
    }

    void wrongCredentialsAreRefused_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::newRow("wrong password") << QString::fromLatin1(NatsServer::User) << QStringLiteral("guess-1");
        QTest::newRow("unknown user") << QStringLiteral("mallory") << QStringLiteral("guess-2");
        QTest::newRow("none") << QString() << QString();
    }
    void wrongCredentialsAreRefused()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        LogCapture log;
        auto *feed = new VNatsQuotFeed;
        m_mgr->setFeed(feed);
        VNatsSettings settings = settingsFor(m_server);
        settings.user = user;
        settings.password = password;
        QString error;
        QVERIFY(feed->open(settings, &error));
        QTRY_COMPARE(feed->linkState(), LinkState::Refused);
        QVERIFY2(feed->linkDetail().contains(QLatin1String("Authorization Violation")), qPrintable(feed->linkDetail()));
        // Nothing is subscribed on a refused connection, and no password reaches the log.
        QVERIFY(!subscribe({QStringLiteral("H|ag2606")}));
        QVERIFY(!log.records.isEmpty());
        for (const VLogRecord &record : qAsConst(log.records))
            QVERIFY2(password.isEmpty() || !record.message.contains(password), qPrintable(record.message));
    }

    void publishingWithoutPermissionIsReported()
    {
        VNatsQuotPublisher viewer;
        QString error;
        QVERIFY(viewer.open(settingsFor(m_server, NatsServer::Viewer, NatsServer::ViewerPassword), &error));
        QTRY_COMPARE(viewer.link().state(), LinkState::Connected);
        QSignalSpy errors(&viewer.link(), &VNatsLink::serverError);
        QVERIFY(viewer.publish(quote("H|ag2606", 1)));
        QTRY_COMPARE(errors.size(), 1);
        QVERIFY2(
            errors.constFirst().constFirst().toString().contains(QLatin1String("Permissions Violation for Publish")),
            qPrintable(errors.constFirst().constFirst().toString()));
    }

    void serverRestartRestoresSubscriptions()
    {
        QVERIFY(connectAll());
        const QStringList two = {QStringLiteral("H|ag2606"), QStringLiteral("1|600000")};
        QVERIFY(subscribe(two));
        QTRY_COMPARE(m_server.subscriptions(), subjects(two));

        m_server.stop();
        QTRY_COMPARE(m_feed->linkState(), LinkState::Reconnecting);
        START_NATS_SERVER(m_server);
        QTRY_COMPARE_WITH_TIMEOUT(m_feed->linkState(), LinkState::Connected, 10000);
        QTRY_COMPARE(m_server.subscriptions(), subjects(two));
        QTRY_COMPARE_WITH_TIMEOUT(m_publisher->link().state(), LinkState::Connected, 10000);
        QVERIFY(m_publisher->publish(quote("1|600000", 11)));
        QVERIFY(m_publisher->flush(2000));
        QTRY_COMPARE(m_receiver->received, QStringList(QStringLiteral("1|600000=11")));
    }

    // A burst for 100 securities while the GUI thread takes no events: the
    // manager's queue holds one record per security, and the GUI thread then
    // receives the latest of each, once.
    void burstWithTheGuiThreadStalled()
    {
        const int securities = 100;
        const int records = 1000000;
        QVERIFY(connectAll());
        QStringList products;
        for (int i = 0; i < securities; ++i)
            products << QStringLiteral("1|6%1").arg(i, 5, 10, QLatin1Char('0'));
        QVERIFY(subscribe(products));
        QTRY_COMPARE(m_server.subscriptions().size(), securities);

        QVector<VQuotData> quotes;
        for (const QString &product : qAsConst(products))
            quotes << quote(product.toLatin1().constData(), 0);
        for (int i = 0; i < records; ++i) {
            VQuotData &record = quotes[i % securities];
            record.lastPrice = i;
            QVERIFY(m_publisher->publish(record));
        }
        QVERIFY(m_publisher->flush(10000));
        const QDeadlineTimer deadline(60000);
        while (m_feed->receivedCount() < quint64(records) && !deadline.hasExpired())
            QThread::msleep(10);
        QCOMPARE(m_feed->receivedCount(), quint64(records));
        QVERIFY(m_mgr->queuedCount() <= securities);
        QVERIFY(m_receiver->received.isEmpty());

        QCoreApplication::processEvents();
        QStringList latest;
        for (int i = 0; i < securities; ++i)
            latest << products.at(i) + QLatin1Char('=') + QString::number(records - securities + i);
        m_receiver->received.sort();
        QCOMPARE(m_receiver->received, latest);
        QCOMPARE(m_mgr->conflatedCount(), quint64(records - securities));
    }
};

QTEST_GUILESS_MAIN(TestVNatsQuotFeed)
#include "tst_vnatsquotfeed.moc"
