#include "fakemodule.h"
#include <testutil.h>

#include <componentlinker.h>
#include <testhost.h>

#include <QtTest>

class TestComponentLinker : public QObject
{
    Q_OBJECT

private slots:
    // A security chosen in one component is shown by every other that publishes the show slot; one whose
    // show slot takes no security is logged and skipped, one that is gone has left the linker.
    void choiceIsShownByTheOthers_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("stkid");
        QTest::addColumn<bool>("market"); // false: no securities cache
        QTest::addColumn<QString>("shown"); // empty: not shown, logged

        QTest::newRow("futures contract") << u("BCFtQuotPanel") << u("Hrb2701") << true << u("H rb2701 螺纹钢2701 1 Q");
        QTest::newRow("financial futures")
            << u("BCFtQuotPanel") << u("FIF2612") << true << u("F IF2612 沪深300股指2612 0.2 R");
        QTest::newRow("option contract") << u("BCStoQuot") << u("510350055") << true
                                         << u("5 10350055 50ETF购12月2750 0.0001 S");
        QTest::newRow("order request") << u("BCOptionalStk") << u("0300750") << true << u("0 300750 宁德时代 0.01 0");
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

        if (source == QLatin1String("BCOptionalStk")) {
            OrderDetail order;
            order.stockId = stkid;
            emit sender->onIssueOrder(order);
        } else {
            emit sender->onChosen(stkid);
        }

        QCOMPARE(panel->shown, shown.isEmpty() ? QStringList() : QStringList {shown});
        QCOMPARE(options->shown.size(), sender == options || shown.isEmpty() ? 0 : 1); // not shown by its source
        QCOMPARE(shownSpy.size(), shown.isEmpty() ? 0 : 1);
        QCOMPARE(log.records.size(), 1);
        QCOMPARE(log.records.constFirst().level, 3);
        QVERIFY(log.records.constFirst().message.contains(shown.isEmpty() ? stkid : u("BCBadPanel")));
    }
};

QTEST_MAIN(TestComponentLinker)
#include "tst_componentlinker.moc"
