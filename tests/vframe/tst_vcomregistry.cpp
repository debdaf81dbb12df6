#include <icomponent.h>
#include <logcapture.h>
#include <vcomregistry.h>

#include <QtTest>

// A component that publishes its signals and slots the way the real ones do.
class Probe : public IComponent
{
    Q_OBJECT
public:
    Probe()
        : IComponent(nullptr, QStringLiteral("Probe"), QString())
    {
        registSignal(QStringLiteral("onQuot"), "2quot(char, QString)", QStringLiteral("行情"));
        registSlot(QStringLiteral("doSelectContract"), SLOT(select(QString)), QStringLiteral("选择合约"));
        registSlot(QStringLiteral("doSubscribeQuot"), "1subscribe(char, QString)", QStringLiteral("订阅行情"));
        registSlot(QStringLiteral("doTakeMarket"), "1takeMarket(char)", QStringLiteral("市场"));
        registSlot(QStringLiteral("doGone"), "1gone(QString)", QStringLiteral("不存在的槽"));
    }

    QStringList received;

signals:
    void quot(char market, QString code);

public slots:
    void select(const QString &id) { received << id; }
    void subscribe(char market, QString code) { received << QLatin1Char(market) + code; }
    void takeMarket(char market) { received << QString(QLatin1Char(market)); }
};

class TestVComRegistry : public QObject
{
    Q_OBJECT

private slots:
    void connectByName_data()
    {
        QTest::addColumn<QString>("signalName");
        QTest::addColumn<QString>("slotName");
        QTest::addColumn<QString>("received"); // after the signal fires; empty: refused and logged

        auto row = [](const char *tag, const char *signal, const char *slot, const char *received) {
            QTest::newRow(tag) << QString::fromLatin1(signal) << QString::fromLatin1(slot)
                               << QString::fromLatin1(received);
        };
        row("same arguments, blanks after commas", "onQuot", "doSubscribeQuot", "H600000");
        row("slot takes fewer arguments", "onQuot", "doTakeMarket", "H");
        row("unknown signal", "onNothing", "doSubscribeQuot", "");
        row("slot under a signal's name", "doSubscribeQuot", "doSubscribeQuot", "");
        row("mismatched arguments", "onQuot", "doSelectContract", "");
        row("published slot that does not exist", "onQuot", "doGone", "");
    }
    void connectByName()
    {
        QFETCH(QString, signalName);
        QFETCH(QString, slotName);
        QFETCH(QString, received);

        Probe sender, receiver;
        LogCapture log;
        QCOMPARE(VComRegistry::connect(&sender, signalName, &receiver, slotName), !received.isEmpty());
        QCOMPARE(log.records().size(), received.isEmpty() ? 1 : 0);
        emit sender.quot('H', QStringLiteral("600000"));
        QCOMPARE(receiver.received.join(QLatin1Char('|')), received);
    }
};

QTEST_MAIN(TestVComRegistry)
#include "tst_vcomregistry.moc"
