#include <icomponent.h>
#include <logcapture.h>
#include <vcomregistry.h>

#include <QtTest>

// A component that publishes a little of everything the real ones do.
class Probe : public IComponent
{
    Q_OBJECT
public:
    explicit Probe(const QString &identity)
        : IComponent(nullptr, QStringLiteral("Probe"), identity)
    {
        registSignal(QStringLiteral("onSelectedContract"), SIGNAL(selected(QString)), QStringLiteral("选中合约"));
        registSignal(QStringLiteral("onQuot"), "2quot(char, QString, QString, double, QString)",
                     QStringLiteral("行情"));
        registSlot(QStringLiteral("doSelectContract"), SLOT(select(QString)), QStringLiteral("选择合约"));
        registSlot(QStringLiteral("doSubscribeQuot"), "1subscribe(char, QString, QString, double, QString)",
                   QStringLiteral("订阅行情"));
        registSlot(QStringLiteral("doTakeMarket"), "1takeMarket(char)", QStringLiteral("市场"));
        registSlot(QStringLiteral("doSetCount"), SLOT(setCount(int)), QStringLiteral("数量"));
        registSlot(QStringLiteral("doGone"), "1gone(QString)", QStringLiteral("不存在的槽"));
    }

    QStringList received;

signals:
    void selected(const QString &id);
    void quot(char market, QString code, QString name, double unit, QString type);

public slots:
    void select(const QString &id) { received << id; }
    void subscribe(char market, QString code, QString name, double unit, QString type)
    {
        received << QStringLiteral("%1 %2 %3 %4 %5").arg(QLatin1Char(market)).arg(code, name).arg(unit).arg(type);
    }
    void takeMarket(char market) { received << QString(QLatin1Char(market)); }
    void setCount(int count) { received << QString::number(count); }
};

class TestVComRegistry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void connectByName_data();
    void connectByName();
    void destroyedComponentLeaves();
};

void TestVComRegistry::initTestCase()
{
    VLog::setFileLogging(false);
}

void TestVComRegistry::connectByName_data()
{
    QTest::addColumn<QString>("signalName");
    QTest::addColumn<QString>("slotName");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QString>("received"); // after both signals fire

    QTest::newRow("same arguments") << "onSelectedContract"
                                    << "doSelectContract" << true << "SHFE.cu2612";
    QTest::newRow("blanks after commas") << "onQuot"
                                         << "doSubscribeQuot" << true << "H 600000 浦发银行 0.01 A";
    QTest::newRow("slot takes fewer arguments") << "onQuot"
                                                << "doTakeMarket" << true << "H";
    QTest::newRow("unknown signal") << "onNothing"
                                    << "doSelectContract" << false << QString();
    QTest::newRow("unknown slot") << "onSelectedContract"
                                  << "doNothing" << false << QString();
    QTest::newRow("slot published under signal's name") << "doSelectContract"
                                                        << "doSelectContract" << false << QString();
    QTest::newRow("mismatched arguments") << "onSelectedContract"
                                          << "doSetCount" << false << QString();
    QTest::newRow("published slot that does not exist") << "onSelectedContract"
                                                        << "doGone" << false << QString();
}

void TestVComRegistry::connectByName()
{
    QFETCH(QString, signalName);
    QFETCH(QString, slotName);
    QFETCH(bool, connected);
    QFETCH(QString, received);

    Probe sender(QStringLiteral("sender"));
    Probe receiver(QStringLiteral("receiver"));
    LogCapture log;
    QCOMPARE(VComRegistry::connect(&sender, signalName, &receiver, slotName), connected);
    QCOMPARE(log.records.size(), connected ? 0 : 1);
    if (!connected)
        QCOMPARE(log.records.constFirst().level, 3);

    emit sender.selected(QStringLiteral("SHFE.cu2612"));
    emit sender.quot('H', QStringLiteral("600000"), QStringLiteral("浦发银行"), 0.01, QStringLiteral("A"));
    QCOMPARE(receiver.received.join(QLatin1Char('|')), received);
    QVERIFY(sender.received.isEmpty());
}

void TestVComRegistry::destroyedComponentLeaves()
{
    auto *first = new Probe(QStringLiteral("first"));
    Probe second(QStringLiteral("second"));
    QVERIFY(VComRegistry::components().contains(first));
    QVERIFY(VComRegistry::components().contains(&second));
    QVERIFY(VComRegistry::connect(&second, QStringLiteral("onSelectedContract"), first,
                                  QStringLiteral("doSelectContract")));
    delete first;
    QCOMPARE(VComRegistry::components(), QList<IComponent *> {&second});
    emit second.selected(QStringLiteral("no receiver left"));
}

QTEST_MAIN(TestVComRegistry)
#include "tst_vcomregistry.moc"
