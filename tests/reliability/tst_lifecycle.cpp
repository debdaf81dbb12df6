// Components deleted at bad moments, and created and deleted many times with
// live subscriptions: nothing is touched after it is gone (the sanitizer
// build reports any use after free or leak), and every subscription ends
// with its component. (One deleted from inside another receiver's quote
// callback is the quote manager's reentrancy test.)

#include "livehost.h"

#include <testquotfeed.h>

#include <icomponent.h>

#include <QScrollBar>
#include <QTableView>
#include <QtTest>

class TestLifecycle : public QObject
{
    Q_OBJECT

private slots:
    // With flash, marker, frame and scroll timers pending, and with the
    // component's parent deleted by the host instead of the module.
    void deletedWithWorkPending_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<bool>("byParent");
        for (const char *name : LiveHost::ClassNames) {
            QTest::addRow("%s, freed", name) << QString::fromLatin1(name) << false;
            QTest::addRow("%s, parent deleted", name) << QString::fromLatin1(name) << true;
        }
    }
    void deletedWithWorkPending()
    {
        QFETCH(QString, className);
        QFETCH(bool, byParent);
        LiveHost f;
        auto *parent = new QWidget;
        parent->show();
        IComponent *component = f.show(className.toLatin1(), byParent ? parent : nullptr);
        QTest::qWait(50);
        for (int round = 0; round < 3; ++round) {
            VQuotData record = LiveHost::shownRecord(component);
            record.lastPrice = record.preClosingPrice = 10.0 + round;
            record.openInterest = record.matchQuantity = round + 1;
            f.feed().inject(record);
            QTest::qWait(20);
        }
        for (QTableView *table : component->findChildren<QTableView *>())
            table->verticalScrollBar()->setValue(1); // a re-subscription waits for quiet
        if (byParent)
            delete parent;
        else
            f.free(component);
        QTest::qWait(1000);
        QCOMPARE(f.wanted(), QString());
        if (!byParent)
            delete parent;
    }

    // While a confirmation of the watchlist's runs, the host frees it.
    void deletedWhileItsConfirmationRuns()
    {
        LiveHost f;
        QPointer<IComponent> watchlist = f.show("BCOptionalStk");
        f.messages().onPresent = [&](const VMsgRequest &) { f.free(watchlist); };
        QMetaObject::invokeMethod(watchlist, "DeleteCurrentG", Q_ARG(int, 0));
        QVERIFY(!watchlist);
        f.messages().onPresent = nullptr;
        QCOMPARE(f.wanted(), QString());
    }

    // Created and deleted many times with live subscriptions: the
    // subscriptions end with each component.
    void createDeleteCycles_data()
    {
        QTest::addColumn<QString>("className");
        for (const char *name : LiveHost::ClassNames)
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void createDeleteCycles()
    {
        QFETCH(QString, className);
        LiveHost f;
        // TARN_LIFECYCLE_CYCLES=10000 for the long run the README reports.
        const int cycles = qMax(50, qEnvironmentVariableIntValue("TARN_LIFECYCLE_CYCLES"));
        for (int cycle = 0; cycle < cycles; ++cycle) {
            IComponent *component = f.show(className.toLatin1());
            QVERIFY(!f.wanted().isEmpty());
            f.free(component);
            QCOMPARE(f.wanted(), QString());
        }
    }
};

QTEST_MAIN(TestLifecycle)
#include "tst_lifecycle.moc"
