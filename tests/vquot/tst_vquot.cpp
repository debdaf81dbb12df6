// The quote record and the quote manager that routes records to subscribers.

#include <logcapture.h>
#include <quotrecord.h>
#include <testquotfeed.h>
#include <testutil.h>
#include <vquotmgr.h>
#include <vquotsubscriber.h>

#include <QtTest>
#include <cstring>
#include <functional>
#include <limits>
#include <type_traits>
#include <utility>

namespace {

VQuotData recordOf(const QString &product)
{
    return makeQuotRecord(product.at(0).toLatin1(), product.mid(2).toUtf8());
}

// The header pins the offsets; this pins what an offset cannot: which fields are binary64, which integers,
// and which integers are unsigned.
static_assert(std::is_same_v<decltype(VQuotData::highPrice), double>
              && std::is_same_v<decltype(VQuotData::priceChangeRatio), double>
              && std::is_same_v<decltype(VQuotData::matchQuantity), int64_t>
              && std::is_same_v<decltype(VQuotData::openInterest), int64_t>
              && std::is_same_v<std::remove_extent_t<decltype(VQuotData::askVolume)>, uint32_t>
              && std::is_same_v<std::remove_extent_t<decltype(VQuotData::bidVolume)>, uint32_t>);

// Every quote received, as "receiver:market|code".
QStringList g_calls;

} // namespace

class Receiver : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    std::function<void()> onRecord;
    QVector<qint64> sequence; // matchQuantity of every record, in arrival order
    bool offGuiThread = false;

private slots:
    void doRecvSubscribeQuot(VQuotData *record)
    {
        g_calls.append(objectName() + QLatin1Char(':') + record->productKey());
        sequence.append(record->matchQuantity);
        offGuiThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
        if (onRecord)
            onRecord();
    }
};

enum class Action { DeleteOther, DeleteOwn, DeleteOtherReceiver, SubscribeNewcomer, Nested };
Q_DECLARE_METATYPE(Action)

class TestVQuot : public QObject
{
    Q_OBJECT

private:
    QScopedPointer<VQuotMgr> m_mgr;
    TestQuotFeed *m_feed = nullptr;
    QScopedPointer<QObject> m_owner; // parent of the receivers and subscribers a test makes

    // A subscriber of a new receiver called name, holding products (not yet subscribed).
    VQuotSubscriber *newSubscriber(const QString &name, const char *products = "")
    {
        auto *subscriber = new VQuotSubscriber(m_owner.data(), name + QStringLiteral("订阅"));
        auto *receiver = new Receiver(m_owner.data());
        receiver->setObjectName(name);
        subscriber->setRecvSlot(receiver, "1doRecvSubscribeQuot(VQuotData*)");
        for (const QString &product : words(products))
            subscriber->addProduct(product.at(0).toLatin1(), product.mid(2));
        return subscriber;
    }
    void inject(const char *products)
    {
        for (const QString &product : words(products))
            m_feed->inject(recordOf(product));
    }

private slots:
    void init()
    {
        m_mgr.reset(new VQuotMgr);
        m_feed = new TestQuotFeed;
        m_mgr->setFeed(m_feed);
        m_owner.reset(new QObject);
        g_calls.clear();
    }
    void cleanup()
    {
        m_owner.reset();
        m_mgr.reset();
    }

    // Steps of the subscribers r and q: "r+H|a" addProduct,
    // "r-H|a" removeProduct, "r=H|a" subOneProduct, "r.subscribe", "r.unsubscribe",
    // "r.unsubscribe(true)"; "refuse" makes the feed refuse from then on, "answer" makes it answer a
    // subscription at once with the securities' current records; "tick" delivers records of H|a, H|b
    // and D|c. A step ending in "!" must fail. Then the answers (and the latest records owed to new
    // subscribers of streamed securities) come with the next flush, and records of H|a, H|b and D|c arrive.
    void subscriptions_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("products"); // r's list
        QTest::addColumn<QStringList>("wanted"); // what the feed streams
        QTest::addColumn<QStringList>("delivered");
        const auto row = [](const char *tag, const char *steps, const char *products, const char *wanted,
                            const char *delivered) {
            QTest::newRow(tag) << words(steps) << words(products) << words(wanted) << words(delivered);
        };
        row("editing alone delivers the accepted list", "r+H|a r+H|b r.subscribe r-H|a r+D|c", "H|b D|c", "H|a H|b",
            "r:H|a r:H|b");
        row("subscribe replaces the list and releases the rest", "r+H|a r+H|b r.subscribe r-H|a r+D|c r.subscribe",
            "H|b D|c", "H|b D|c", "r:H|b r:D|c");
        row("unsubscribe(true) empties the list", "r+H|a r+H|b r.subscribe r.unsubscribe(true) r+D|c r.subscribe",
            "D|c", "D|c", "r:D|c");
        row("unsubscribe keeps the list", "r+H|a r.subscribe r.unsubscribe", "H|a", "", "");
        row("subOneProduct twice", "r=H|a r=D|c", "D|c", "D|c", "r:D|c");
        row("overlapping subscribers get their own", "r+H|a r+H|b r.subscribe q+H|b q+D|c q.subscribe", "H|a H|b",
            "H|a H|b D|c", "r:H|a r:H|b q:H|b q:D|c");
        row("a security stays wanted while anyone holds it",
            "r+H|a r+H|b r.subscribe q+H|b q+D|c q.subscribe r.unsubscribe", "H|a H|b", "H|b D|c", "q:H|b q:D|c");
        // Codes that would not fit the record's field or would not split back.
        QTest::newRow("unusable codes") << (words("r+H|a r.subscribe r+H|ag|2606!")
                                            << u("r+H|%1!").arg(QString(80, QLatin1Char('x'))))
                                        << words("H|a") << words("H|a") << words("r:H|a");
        row("refused: the earlier subscription stays, a first one is none", "r=H|a refuse r=D|c! q+H|b q.subscribe!",
            "D|c", "H|a", "r:H|a");
        row("a newcomer to a streamed security gets its latest record in the next batch",
            "r+H|a r.subscribe tick q+H|a q+D|c q.subscribe", "H|a", "H|a D|c", "r:H|a q:H|a r:H|a q:H|a q:D|c");
        row("answers reach their routes, but not those of a refused subscription",
            "answer r+H|a r+H|b r.subscribe refuse q+D|c q.subscribe!", "H|a H|b", "H|a H|b",
            "r:H|a r:H|b r:H|a r:H|b");
    }
    void subscriptions()
    {
        QFETCH(QStringList, steps);
        const QHash<QChar, VQuotSubscriber *> subscribers {{QLatin1Char('r'), newSubscriber(QStringLiteral("r"))},
                                                           {QLatin1Char('q'), newSubscriber(QStringLiteral("q"))}};
        for (QString step : qAsConst(steps)) {
            if (step == QLatin1String("tick")) {
                inject("H|a H|b D|c");
                continue;
            }
            if (step == QLatin1String("refuse") || step == QLatin1String("answer")) {
                (step == QLatin1String("refuse") ? m_feed->refuse : m_feed->answer) = true;
                continue;
            }
            const bool fails = step.endsWith(QLatin1Char('!'));
            step.remove(QLatin1Char('!'));
            VQuotSubscriber *subscriber = subscribers.value(step.at(0));
            const char market = step.at(2).toLatin1();
            const QString code = step.mid(4);
            bool ok = true;
            switch (step.at(1).toLatin1()) {
            case '+': ok = subscriber->addProduct(market, code); break;
            case '-': subscriber->removeProduct(market, code); break;
            case '=': ok = subscriber->subOneProduct(market, code); break;
            default:
                ok = step.endsWith(QLatin1String(".subscribe"))
                    ? subscriber->subscribe()
                    : subscriber->unsubscribe(step.endsWith(QLatin1String("(true)")));
            }
            QVERIFY2(ok != fails, qPrintable(step));
        }
        QTEST(subscribers.value(QLatin1Char('r'))->productList(), "products");
        QTEST(m_feed->wanted, "wanted");
        m_mgr.data()->deliverPosted();
        inject("H|a H|b D|c");
        QTEST(g_calls, "delivered");
    }

    // Steps: "H|a:1" posts a record of H|a with sequence 1 from a feed
    // thread, "flush" lets the GUI thread deliver, "-H|a" unsubscribes it.
    // r subscribes H|a and H|b; Z|c is nobody's.
    void postedRecordsAreConflated_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("delivered");
        QTest::addColumn<int>("conflated");
        QTest::newRow("a GUI thread that keeps up gets every record")
            << words("H|a:1 flush H|a:2 flush H|b:3 flush") << words("H|a:1 H|a:2 H|b:3") << 0;
        QTest::newRow("a stalled one gets the latest of each, in first-arrival order")
            << words("H|a:1 H|b:2 H|a:3 H|b:4 H|a:5 flush") << words("H|a:5 H|b:4") << 3;
        QTest::newRow("nobody's securities are not queued") << words("Z|c:1 H|a:2 Z|c:3 flush") << words("H|a:2") << 0;
        QTest::newRow("an unsubscribed security's waiting record is discarded")
            << words("H|a:1 H|b:2 -H|a flush H|a:3 flush") << words("H|b:2") << 0;
    }
    void postedRecordsAreConflated()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, delivered);

        VQuotSubscriber *subscriber = newSubscriber(QStringLiteral("r"), "H|a H|b");
        QVERIFY(subscriber->subscribe());
        auto *receiver = qobject_cast<Receiver *>(subscriber->receiver());
        VQuotMgr *manager = m_mgr.data();
        for (const QString &step : qAsConst(steps)) {
            if (step == QLatin1String("flush")) {
                manager->deliverPosted();
                QCOMPARE(manager->queuedCount(), 0);
            } else if (step.startsWith(QLatin1Char('-'))) {
                subscriber->removeProduct(step.at(1).toLatin1(), step.mid(3));
                QVERIFY(subscriber->subscribe());
            } else {
                VQuotData record = recordOf(step.section(QLatin1Char(':'), 0, 0));
                record.matchQuantity = step.section(QLatin1Char(':'), 1).toInt();
                QScopedPointer<QThread> feed(QThread::create([manager, record] { manager->post(record); }));
                feed->start();
                QVERIFY(feed->wait(30000));
            }
        }
        QStringList received;
        for (int i = 0; i < g_calls.size(); ++i)
            received << g_calls.at(i).mid(2) + QLatin1Char(':') + QString::number(receiver->sequence.at(i));
        QCOMPARE(received, delivered);
        QVERIFY(!receiver->offGuiThread);
        QTEST(int(manager->conflatedCount()), "conflated");
        QCOMPARE(manager->recordCount(), quint64(delivered.size()));
    }

    // A receiver changes the subscriptions while a record is being delivered;
    // calls lists the receivers that two deliveries of one security reached.
    void reentrancy_data()
    {
        QTest::addColumn<Action>("action");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("delete the next subscriber") << Action::DeleteOther << words("r1:H|a r1:H|a");
        QTest::newRow("delete the own subscriber") << Action::DeleteOwn << words("r1:H|a r2:H|a r2:H|a");
        QTest::newRow("delete the next receiver") << Action::DeleteOtherReceiver << words("r1:H|a r1:H|a");
        QTest::newRow("subscribe a newcomer")
            << Action::SubscribeNewcomer << words("r1:H|a r2:H|a r1:H|a r2:H|a r3:H|a");
        QTest::newRow("deliver from inside") << Action::Nested << words("r1:H|a r1:H|a r2:H|a r2:H|a r1:H|a r2:H|a");
    }
    void reentrancy()
    {
        QFETCH(Action, action);

        QPointer<VQuotSubscriber> s1 = newSubscriber(QStringLiteral("r1"), "H|a");
        QPointer<VQuotSubscriber> s2 = newSubscriber(QStringLiteral("r2"), "H|a");
        QVERIFY(s1->subscribe() && s2->subscribe());
        bool done = false;
        qobject_cast<Receiver *>(s1->receiver())->onRecord = [&] {
            if (std::exchange(done, true))
                return;
            switch (action) {
            case Action::DeleteOther: delete s2.data(); break;
            case Action::DeleteOwn: delete s1.data(); break;
            case Action::DeleteOtherReceiver: delete s2->receiver(); break;
            case Action::SubscribeNewcomer: QVERIFY(newSubscriber(QStringLiteral("r3"), "H|a")->subscribe()); break;
            case Action::Nested: inject("H|a"); break;
            }
        };
        inject("H|a H|a");
        QTEST(g_calls, "calls");
    }

    // Which records are malformed is the record check's, which the frame decoder's test covers kind by kind;
    // here the manager drops them, logs the reason now and then, and goes on.
    void malformedRecordsAreDroppedAndLoggedRarely()
    {
        QVERIFY(newSubscriber(QStringLiteral("r"), "H|a")->subscribe());
        VQuotData record = recordOf(QStringLiteral("H|a"));
        record.askPrice[9] = -std::numeric_limits<double>::infinity();
        LogCapture log;
        for (int i = 0; i < 1000; ++i)
            m_feed->inject(record);
        QCOMPARE(m_mgr->droppedCount(), quint64(1000));
        QVERIFY(g_calls.isEmpty());
        // A flood is reported now and then with a count, not once per record.
        QVERIFY(!log.records().isEmpty() && log.records().size() < 10);
        QCOMPARE(log.records().constFirst().level, 3);
        QVERIFY2(log.records().constFirst().message.contains(QStringLiteral("askPrice[9]")),
                 qPrintable(log.records().constFirst().message));
        // The service goes on with good records.
        inject("H|a");
        QCOMPARE(g_calls, words("r:H|a"));
    }

    void code()
    {
        // A code without NUL stops at its field: the suspend flag behind it never leaks in.
        VQuotData record = makeQuotRecord('H', {});
        std::memset(record.code, 'A', sizeof record.code);
        record.suspendFlag = 'T';
        QCOMPARE(record.codeText(), QByteArray(80, 'A'));
        record.setCode(QByteArray(200, 'z'));
        QCOMPARE(record.codeText(), QByteArray(79, 'z'));
        QCOMPARE(record.suspendFlag, 'T');
    }
};

QTEST_GUILESS_MAIN(TestVQuot)
#include "tst_vquot.moc"
