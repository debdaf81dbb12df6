#include <logcapture.h>
#include <quotrecord.h>
#include <testquotfeed.h>
#include <vlogsink.h>
#include <vquotmgr.h>
#include <vquotsubscriber.h>

#include <QPointer>
#include <QThread>
#include <QtTest>
#include <cmath>
#include <functional>
#include <limits>

namespace {

const char RecvSlot[] = "1doRecvSubscribeQuot(VQuotData*)";

VQuotData recordOf(const QString &product)
{
    return makeQuotRecord(product.at(0).toLatin1(), product.mid(2).toUtf8());
}

} // namespace

// Records every quote it receives as "name:market|code" in a log shared by all receivers.
class Receiver : public QObject
{
    Q_OBJECT
public:
    Receiver(const QString &name, QStringList *calls)
        : m_calls(calls)
    {
        setObjectName(name);
    }

    std::function<void(VQuotData *)> onRecord;
    QVector<QThread *> threads;
    QVector<qint64> sequence; // matchQuantity of every record, in arrival order

public slots:
    void wrongType(int) { }

private slots:
    void doRecvSubscribeQuot(VQuotData *record)
    {
        m_calls->append(objectName() + QLatin1Char(':') + record->productKey());
        threads.append(QThread::currentThread());
        sequence.append(record->matchQuantity);
        if (onRecord)
            onRecord(record);
    }

private:
    QStringList *m_calls;
};

class TestVQuotMgr : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void setRecvSlot_data();
    void setRecvSlot();
    void addProduct_data();
    void addProduct();

    void subscribeReplacesAcceptedList();
    void unsubscribeWithClearThenResubscribe();
    void subOneProductTwiceKeepsOnlySecond();
    void refusedSubscriptionKeepsEarlierState();
    void overlappingSubscribersGetTheirOwn();
    void destroyedSubscriberIsDropped();
    void statusZeroIsDelivered();
    void newFeedIsAskedForEverythingWanted();
    void instanceIsLastConstructed();

    void postQueuesUntilTheEventLoop();
    void postFromAnotherThread();

    void reentrancy_data();
    void reentrancy();

    void malformedRecord_data();
    void malformedRecord();
    void malformedFloodIsRateLimited();

private:
    Receiver *newReceiver(const QString &name);
    VQuotSubscriber *newSubscriber(Receiver *receiver, const QStringList &products = QStringList());
    void inject(const QStringList &products);
    QStringList wantedByFeed() const;

    QScopedPointer<VQuotMgr> m_mgr;
    TestQuotFeed *m_feed = nullptr;
    QStringList m_calls;
    QList<QPointer<QObject>> m_owned; // receivers and subscribers a test made
};

void TestVQuotMgr::initTestCase()
{
    VLog::setFileLogging(false);
}

void TestVQuotMgr::init()
{
    m_mgr.reset(new VQuotMgr);
    m_feed = new TestQuotFeed;
    m_mgr->setFeed(m_feed);
    m_calls.clear();
}

void TestVQuotMgr::cleanup()
{
    for (const QPointer<QObject> &object : qAsConst(m_owned))
        delete object.data();
    m_owned.clear();
    m_mgr.reset();
}

Receiver *TestVQuotMgr::newReceiver(const QString &name)
{
    auto *receiver = new Receiver(name, &m_calls);
    m_owned.append(receiver);
    return receiver;
}

VQuotSubscriber *TestVQuotMgr::newSubscriber(Receiver *receiver, const QStringList &products)
{
    auto *subscriber = new VQuotSubscriber(nullptr, receiver->objectName() + QStringLiteral("订阅"));
    m_owned.append(subscriber);
    subscriber->setRecvSlot(receiver, RecvSlot);
    for (const QString &product : products)
        subscriber->addProduct(product.at(0).toLatin1(), product.mid(2));
    return subscriber;
}

void TestVQuotMgr::inject(const QStringList &products)
{
    for (const QString &product : products)
        m_feed->inject(recordOf(product));
}

QStringList TestVQuotMgr::wantedByFeed() const
{
    QStringList wanted = m_feed->wanted;
    wanted.sort();
    return wanted;
}

void TestVQuotMgr::setRecvSlot_data()
{
    QTest::addColumn<bool>("withReceiver");
    QTest::addColumn<QByteArray>("slot");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("slot form") << true << QByteArray(RecvSlot) << true;
    QTest::newRow("blanks normalised") << true << QByteArray("1doRecvSubscribeQuot( VQuotData * )") << true;
    QTest::newRow("no such slot") << true << QByteArray("1doRecvOther(VQuotData*)") << false;
    QTest::newRow("other argument type") << true << QByteArray("1wrongType(int)") << false;
    QTest::newRow("without the slot code") << true << QByteArray("doRecvSubscribeQuot(VQuotData*)") << false;
    QTest::newRow("empty") << true << QByteArray() << false;
    QTest::newRow("no receiver") << false << QByteArray(RecvSlot) << false;
}

void TestVQuotMgr::setRecvSlot()
{
    QFETCH(bool, withReceiver);
    QFETCH(QByteArray, slot);
    QFETCH(bool, accepted);

    LogCapture log;
    Receiver *receiver = newReceiver(QStringLiteral("r"));
    VQuotSubscriber subscriber(nullptr, QStringLiteral("测试订阅"));
    QCOMPARE(subscriber.setRecvSlot(withReceiver ? receiver : nullptr, slot.constData()), accepted);
    QCOMPARE(subscriber.receiverMethod() >= 0, accepted);
    QCOMPARE(log.records.size(), accepted ? 0 : 1);
    if (!accepted)
        QCOMPARE(log.records.constFirst().level, 3);

    QVERIFY(subscriber.subOneProduct('H', QStringLiteral("ag2606")));
    inject({QStringLiteral("H|ag2606")});
    QCOMPARE(m_calls, accepted ? QStringList {QStringLiteral("r:H|ag2606")} : QStringList());
}

void TestVQuotMgr::addProduct_data()
{
    QTest::addColumn<char>("market");
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("futures contract") << 'H' << QStringLiteral("ag2606") << true;
    QTest::newRow("79 bytes") << '1' << QString(79, QLatin1Char('x')) << true;
    QTest::newRow("80 bytes") << '1' << QString(80, QLatin1Char('x')) << false;
    QTest::newRow("market 0") << '\0' << QStringLiteral("600570") << false;
    QTest::newRow("market blank") << ' ' << QStringLiteral("600570") << false;
    QTest::newRow("market separator") << '|' << QStringLiteral("600570") << false;
    QTest::newRow("empty code") << 'H' << QString() << false;
    QTest::newRow("code with separator") << 'H' << QStringLiteral("ag|2606") << false;
}

void TestVQuotMgr::addProduct()
{
    QFETCH(char, market);
    QFETCH(QString, code);
    QFETCH(bool, accepted);

    VQuotSubscriber subscriber(nullptr, QStringLiteral("测试订阅"));
    QCOMPARE(subscriber.addProduct(market, code), accepted);
    QCOMPARE(subscriber.addProduct(market, code), accepted);
    const QStringList expected
        = accepted ? QStringList {QString(QLatin1Char(market)) + QLatin1Char('|') + code} : QStringList();
    QCOMPARE(subscriber.productList(), expected);

    subscriber.removeProduct(market, code);
    QVERIFY(subscriber.productList().isEmpty());
}

void TestVQuotMgr::subscribeReplacesAcceptedList()
{
    const QString a = QStringLiteral("H|ag2606"), b = QStringLiteral("H|cu2607"), c = QStringLiteral("D|m2609");
    VQuotSubscriber *subscriber = newSubscriber(newReceiver(QStringLiteral("r")), {a, b});
    QVERIFY(subscriber->subscribe());
    QCOMPARE(wantedByFeed(), QStringList({a, b}));

    // Editing the list alone changes nothing that is delivered.
    subscriber->removeProduct('H', QStringLiteral("ag2606"));
    subscriber->addProduct('D', QStringLiteral("m2609"));
    inject({a, b, c});
    QCOMPARE(m_calls, QStringList({QStringLiteral("r:") + a, QStringLiteral("r:") + b}));

    m_calls.clear();
    QVERIFY(subscriber->subscribe());
    inject({a, b, c});
    QCOMPARE(m_calls, QStringList({QStringLiteral("r:") + b, QStringLiteral("r:") + c}));
    QCOMPARE(wantedByFeed(), QStringList({c, b}));
    QCOMPARE(m_mgr->wantedProducts(), QStringList({c, b}));
}

void TestVQuotMgr::unsubscribeWithClearThenResubscribe()
{
    const QString a = QStringLiteral("1|600570"), b = QStringLiteral("2|000001"), c = QStringLiteral("1|510050");
    VQuotSubscriber *subscriber = newSubscriber(newReceiver(QStringLiteral("r")), {a, b});
    QVERIFY(subscriber->subscribe());

    QVERIFY(subscriber->unsubscribe(true));
    QVERIFY(subscriber->productList().isEmpty());
    QVERIFY(!m_mgr->isSubscribed(subscriber));
    QVERIFY(m_feed->wanted.isEmpty());

    QVERIFY(subscriber->addProduct('1', QStringLiteral("510050")));
    QVERIFY(subscriber->subscribe());
    inject({a, b, c});
    QCOMPARE(m_calls, QStringList({QStringLiteral("r:") + c}));
}

void TestVQuotMgr::subOneProductTwiceKeepsOnlySecond()
{
    VQuotSubscriber *subscriber = newSubscriber(newReceiver(QStringLiteral("r")));
    QVERIFY(subscriber->subOneProduct('1', QStringLiteral("600570")));
    QVERIFY(subscriber->subOneProduct('2', QStringLiteral("000001")));
    QCOMPARE(subscriber->productList(), QStringList({QStringLiteral("2|000001")}));
    inject({QStringLiteral("1|600570"), QStringLiteral("2|000001")});
    QCOMPARE(m_calls, QStringList({QStringLiteral("r:2|000001")}));
    QCOMPARE(wantedByFeed(), QStringList({QStringLiteral("2|000001")}));
}

void TestVQuotMgr::refusedSubscriptionKeepsEarlierState()
{
    LogCapture log;
    VQuotSubscriber *subscriber = newSubscriber(newReceiver(QStringLiteral("r")));
    QVERIFY(subscriber->subOneProduct('1', QStringLiteral("600570")));

    m_feed->refuse = true;
    QVERIFY(!subscriber->subOneProduct('2', QStringLiteral("000001")));
    QVERIFY(m_mgr->isSubscribed(subscriber));
    QCOMPARE(m_mgr->wantedProducts(), QStringList({QStringLiteral("1|600570")}));
    QCOMPARE(log.records.size(), 1);
    QCOMPARE(log.records.constFirst().level, 3);
    inject({QStringLiteral("1|600570"), QStringLiteral("2|000001")});
    QCOMPARE(m_calls, QStringList({QStringLiteral("r:1|600570")}));

    // A subscriber refused at its first subscription is not subscribed at all.
    m_calls.clear();
    VQuotSubscriber *refused = newSubscriber(newReceiver(QStringLiteral("q")), {QStringLiteral("2|000001")});
    QVERIFY(!refused->subscribe());
    QVERIFY(!m_mgr->isSubscribed(refused));
    inject({QStringLiteral("2|000001")});
    QVERIFY(m_calls.isEmpty());
}

void TestVQuotMgr::overlappingSubscribersGetTheirOwn()
{
    const QString a = QStringLiteral("H|ag2606"), b = QStringLiteral("H|cu2607"), c = QStringLiteral("D|m2609"),
                  d = QStringLiteral("Z|SR609");
    VQuotSubscriber *first = newSubscriber(newReceiver(QStringLiteral("r1")), {a, b});
    VQuotSubscriber *second = newSubscriber(newReceiver(QStringLiteral("r2")), {b, c});
    QVERIFY(first->subscribe());
    QVERIFY(second->subscribe());
    QCOMPARE(m_feed->subscribeCalls, 2);
    QCOMPARE(wantedByFeed(), QStringList({c, a, b}));

    inject({a, b, c, d});
    QCOMPARE(m_calls,
             QStringList({QStringLiteral("r1:") + a, QStringLiteral("r1:") + b, QStringLiteral("r2:") + b,
                          QStringLiteral("r2:") + c}));

    // A security wanted already costs the feed nothing more.
    VQuotSubscriber *third = newSubscriber(newReceiver(QStringLiteral("r3")), {b});
    QVERIFY(third->subscribe());
    QCOMPARE(m_feed->subscribeCalls, 2);

    // b stays wanted while anyone holds it.
    QVERIFY(first->unsubscribe(false));
    QCOMPARE(first->productList(), QStringList({a, b}));
    QCOMPARE(wantedByFeed(), QStringList({c, b}));
    QVERIFY(second->unsubscribe(false));
    QCOMPARE(wantedByFeed(), QStringList({b}));
    m_calls.clear();
    inject({a, b, c});
    QCOMPARE(m_calls, QStringList({QStringLiteral("r3:") + b}));
}

void TestVQuotMgr::destroyedSubscriberIsDropped()
{
    const QString a = QStringLiteral("F|IF2612");
    Receiver *receiver = newReceiver(QStringLiteral("r"));
    QPointer<VQuotSubscriber> subscriber = newSubscriber(receiver, {a});
    QVERIFY(subscriber->subscribe());
    const VQuotSubscriber *address = subscriber.data();

    delete subscriber.data();
    QVERIFY(!m_mgr->isSubscribed(address));
    QVERIFY(m_feed->wanted.isEmpty());
    inject({a});
    QVERIFY(m_calls.isEmpty());

    // A receiver destroyed before its subscriber is simply not called.
    VQuotSubscriber *orphan = newSubscriber(receiver, {a});
    QVERIFY(orphan->subscribe());
    delete receiver;
    inject({a});
    QVERIFY(m_calls.isEmpty());
    QCOMPARE(m_mgr->deliveredCount(), quint64(0));
}

void TestVQuotMgr::statusZeroIsDelivered()
{
    // Receivers ignore such records themselves; the service only routes them,
    // whatever their prices hold.
    VQuotSubscriber *subscriber = newSubscriber(newReceiver(QStringLiteral("r")), {QStringLiteral("H|ag2606")});
    QVERIFY(subscriber->subscribe());
    VQuotData record = recordOf(QStringLiteral("H|ag2606"));
    record.status = 0;
    record.lastPrice = std::numeric_limits<double>::quiet_NaN();
    m_feed->inject(record);
    QCOMPARE(m_calls, QStringList({QStringLiteral("r:H|ag2606")}));
    QCOMPARE(m_mgr->droppedCount(), quint64(0));
}

void TestVQuotMgr::newFeedIsAskedForEverythingWanted()
{
    VQuotSubscriber *subscriber
        = newSubscriber(newReceiver(QStringLiteral("r")), {QStringLiteral("H|ag2606"), QStringLiteral("D|m2609")});
    QVERIFY(subscriber->subscribe());

    auto *replacement = new TestQuotFeed;
    replacement->type = vq::QST_Basic;
    m_mgr->setFeed(replacement);
    m_feed = replacement;
    QCOMPARE(m_mgr->feed(), replacement);
    QCOMPARE(replacement->subscribeCalls, 1);
    QCOMPARE(wantedByFeed(), m_mgr->wantedProducts());
    QCOMPARE(m_mgr->serverType(), vq::QST_Basic);

    m_mgr->setFeed(nullptr);
    m_feed = nullptr;
    QCOMPARE(m_mgr->serverType(), vq::QST_Full);
    // Records still reach their subscribers without a feed (posted by anyone).
    m_mgr->deliver(recordOf(QStringLiteral("D|m2609")));
    QCOMPARE(m_calls, QStringList({QStringLiteral("r:D|m2609")}));
}

void TestVQuotMgr::instanceIsLastConstructed()
{
    QCOMPARE(VQuotMgr::instance(), m_mgr.data());
    {
        VQuotMgr newer;
        QCOMPARE(VQuotMgr::instance(), &newer);
    }
    QCOMPARE(VQuotMgr::instance(), nullptr);

    LogCapture log;
    VQuotSubscriber subscriber(nullptr, QStringLiteral("测试订阅"));
    QVERIFY(!subscriber.subOneProduct('H', QStringLiteral("ag2606")));
    QCOMPARE(log.records.size(), 1);
    QCOMPARE(log.records.constFirst().level, 3);
}

void TestVQuotMgr::postQueuesUntilTheEventLoop()
{
    Receiver *receiver = newReceiver(QStringLiteral("r"));
    VQuotSubscriber *subscriber = newSubscriber(receiver, {QStringLiteral("H|ag2606")});
    QVERIFY(subscriber->subscribe());

    for (int i = 0; i < 100; ++i) {
        VQuotData record = recordOf(QStringLiteral("H|ag2606"));
        record.matchQuantity = i;
        m_mgr->post(record);
    }
    QVERIFY(m_calls.isEmpty());
    // All queued records arrive with one queued flush, in the order posted.
    QCoreApplication::sendPostedEvents(m_mgr.data(), QEvent::MetaCall);
    QCOMPARE(m_calls.size(), 100);
    for (int i = 0; i < 100; ++i)
        QCOMPARE(receiver->sequence.at(i), qint64(i));
}

void TestVQuotMgr::postFromAnotherThread()
{
    const QString a = QStringLiteral("H|ag2606"), b = QStringLiteral("D|m2609"), other = QStringLiteral("Z|SR609");
    Receiver *receiver = newReceiver(QStringLiteral("r"));
    VQuotSubscriber *subscriber = newSubscriber(receiver, {a, b});
    QVERIFY(subscriber->subscribe());

    const int count = 3000;
    VQuotMgr *manager = m_mgr.data();
    QScopedPointer<QThread> producer(QThread::create([manager, a, b, other] {
        QVector<VQuotData> batch;
        for (int i = 0; i < count; ++i) {
            VQuotData record = recordOf(i % 3 == 0 ? other : i % 3 == 1 ? a : b);
            record.matchQuantity = i;
            // Alternate single records and small batches.
            if (i % 2) {
                manager->post(record);
            } else {
                batch.append(record);
                if (batch.size() == 10) {
                    manager->post(batch);
                    batch.clear();
                }
            }
        }
        manager->post(batch);
    }));
    producer->start();
    QVERIFY(producer->wait(30000));
    QTRY_COMPARE(m_calls.size(), 2 * count / 3);

    for (QThread *thread : qAsConst(receiver->threads))
        QCOMPARE(thread, QCoreApplication::instance()->thread());
    // Each kind of post keeps its order: odd records came one by one.
    qint64 lastOdd = -1;
    for (qint64 sequence : qAsConst(receiver->sequence)) {
        QVERIFY(sequence % 3 != 0);
        if (sequence % 2) {
            QVERIFY(sequence > lastOdd);
            lastOdd = sequence;
        }
    }
}

enum class Action {
    DeleteOther,
    UnsubscribeOther,
    DeleteOwn,
    DeleteOtherReceiver,
    SubscribeNewcomer,
    ReplaceOwnList,
    Nested
};
Q_DECLARE_METATYPE(Action)

void TestVQuotMgr::reentrancy_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<QStringList>("calls"); // receivers called by two deliveries of the same security

    const QString r1 = QStringLiteral("r1"), r2 = QStringLiteral("r2"), r3 = QStringLiteral("r3");
    QTest::newRow("delete the next subscriber") << Action::DeleteOther << QStringList {r1, r1};
    QTest::newRow("unsubscribe the next subscriber") << Action::UnsubscribeOther << QStringList {r1, r1};
    QTest::newRow("delete the own subscriber") << Action::DeleteOwn << QStringList {r1, r2, r2};
    QTest::newRow("delete the next receiver") << Action::DeleteOtherReceiver << QStringList {r1, r1};
    QTest::newRow("subscribe a newcomer") << Action::SubscribeNewcomer << QStringList {r1, r2, r1, r2, r3};
    QTest::newRow("replace the own list") << Action::ReplaceOwnList << QStringList {r1, r2, r2};
    QTest::newRow("deliver from inside") << Action::Nested << QStringList {r1, r1, r2, r2, r1, r2};
}

void TestVQuotMgr::reentrancy()
{
    QFETCH(Action, action);
    QFETCH(QStringList, calls);

    const QString a = QStringLiteral("H|ag2606");
    Receiver *r1 = newReceiver(QStringLiteral("r1"));
    QPointer<Receiver> r2 = newReceiver(QStringLiteral("r2"));
    QPointer<VQuotSubscriber> s1 = newSubscriber(r1, {a});
    QPointer<VQuotSubscriber> s2 = newSubscriber(r2, {a});
    QVERIFY(s1->subscribe());
    QVERIFY(s2->subscribe());

    bool done = false;
    r1->onRecord = [&](VQuotData *) {
        if (done)
            return;
        done = true;
        switch (action) {
        case Action::DeleteOther: delete s2.data(); break;
        case Action::UnsubscribeOther: s2->unsubscribe(true); break;
        case Action::DeleteOwn: delete s1.data(); break;
        case Action::DeleteOtherReceiver: delete r2.data(); break;
        case Action::SubscribeNewcomer:
            QVERIFY(newSubscriber(newReceiver(QStringLiteral("r3")), {a})->subscribe());
            break;
        case Action::ReplaceOwnList: QVERIFY(s1->subOneProduct('D', QStringLiteral("m2609"))); break;
        case Action::Nested: m_feed->inject(recordOf(a)); break;
        }
    };

    inject({a, a});
    QStringList called;
    for (const QString &call : qAsConst(m_calls))
        called.append(call.section(QLatin1Char(':'), 0, 0));
    QCOMPARE(called, calls);
}

enum class Defect { NoMarket, EmptyCode, UnterminatedCode, NanLast, InfiniteAsk10, NanBid1, NanRatio };
Q_DECLARE_METATYPE(Defect)

void TestVQuotMgr::malformedRecord_data()
{
    QTest::addColumn<Defect>("defect");
    QTest::addColumn<QString>("reason");

    QTest::newRow("market 0") << Defect::NoMarket << QStringLiteral("市场代码为空");
    QTest::newRow("empty code") << Defect::EmptyCode << QStringLiteral("证券代码为空");
    QTest::newRow("code without NUL") << Defect::UnterminatedCode << QStringLiteral("证券代码超出字段");
    QTest::newRow("NaN last price") << Defect::NanLast << QStringLiteral("lastPrice");
    QTest::newRow("infinite ask level 10") << Defect::InfiniteAsk10 << QStringLiteral("askPrice[9]");
    QTest::newRow("NaN bid level 1") << Defect::NanBid1 << QStringLiteral("bidPrice[0]");
    QTest::newRow("NaN change ratio") << Defect::NanRatio << QStringLiteral("priceChangeRatio");
}

void TestVQuotMgr::malformedRecord()
{
    QFETCH(Defect, defect);
    QFETCH(QString, reason);

    const QString a = QStringLiteral("H|ag2606");
    VQuotSubscriber *subscriber = newSubscriber(newReceiver(QStringLiteral("r")), {a});
    QVERIFY(subscriber->subscribe());

    VQuotData record = recordOf(a);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    switch (defect) {
    case Defect::NoMarket: record.market = 0; break;
    case Defect::EmptyCode: record.code[0] = 0; break;
    case Defect::UnterminatedCode: std::fill(std::begin(record.code), std::end(record.code), 'A'); break;
    case Defect::NanLast: record.lastPrice = nan; break;
    case Defect::InfiniteAsk10: record.askPrice[9] = -std::numeric_limits<double>::infinity(); break;
    case Defect::NanBid1: record.bidPrice[0] = nan; break;
    case Defect::NanRatio: record.priceChangeRatio = nan; break;
    }

    LogCapture log;
    m_feed->inject(record);
    m_mgr->post(record);
    QTRY_COMPARE(m_mgr->droppedCount(), quint64(2));
    QVERIFY(m_calls.isEmpty());
    QCOMPARE(log.records.size(), 1);
    QCOMPARE(log.records.constFirst().level, 3);
    QVERIFY2(log.records.constFirst().message.contains(reason), qPrintable(log.records.constFirst().message));

    // The service goes on with good records.
    inject({a});
    QCOMPARE(m_calls, QStringList({QStringLiteral("r:") + a}));
}

void TestVQuotMgr::malformedFloodIsRateLimited()
{
    LogCapture log;
    VQuotData bad = recordOf(QStringLiteral("H|ag2606"));
    bad.market = 0;
    for (int i = 0; i < 1000; ++i)
        m_feed->inject(bad);
    QCOMPARE(m_mgr->droppedCount(), quint64(1000));
    QVERIFY(!log.records.isEmpty());
    QVERIFY2(log.records.size() < 10, qPrintable(QString::number(log.records.size())));
}

QTEST_GUILESS_MAIN(TestVQuotMgr)
#include "tst_vquotmgr.moc"
