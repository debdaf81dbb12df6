// The futures board over the quote bus, a real three-server cluster: only
// the rows in view are subscribed, each change of that window reaches the
// servers, and rows that come into view show their latest records at once.

#include "livehost.h"

#include <natsserver.h>
#include <quotrecord.h>
#include <vnatsquotfeed.h>
#include <vnatsquotpublisher.h>
#include <vnatsquotstream.h>
#include <vquotmgr.h>
#include <vquotsubject.h>

#include <icomponent.h>

#include <QRegularExpression>
#include <QScrollBar>
#include <QTableView>
#include <QtTest>

class TestFuturesOnBus : public QObject
{
    Q_OBJECT

    NatsCluster m_cluster;

private slots:
    void initTestCase() { START_NATS_SERVER(m_cluster); }

    // Every contract was published once, before the board opened, and never
    // since: the rows in view, on opening and after a scroll, are what the
    // servers have subscribed, and they show their latest records from the
    // stream instead of "--" until a next tick.
    void rowsInView()
    {
        LiveHost fixture;
        VNatsQuotPublisher publisher;
        QString error;
        QVERIFY(publisher.open(m_cluster.settings(NatsServer::Feed, NatsServer::FeedPassword), &error));
        QTRY_COMPARE(publisher.link().state(), VQuotFeed::LinkState::Connected);
        QVERIFY2(VNatsQuotStream::create(publisher.link().connection(), &error), qPrintable(error));
        const QStringList securities = fixture.context().securityKeys();
        for (const QString &key : securities) {
            VQuotData record = makeQuotRecord(key);
            record.lastPrice = 4321;
            QVERIFY(publisher.publish(record));
        }
        QVERIFY(publisher.flush(5000));
        QTRY_VERIFY(m_cluster.storedQuotes() >= securities.size());

        auto *feed = new VNatsQuotFeed;
        QVERIFY(feed->open(m_cluster.settings(NatsServer::Client, NatsServer::ClientPassword), &error));
        fixture.context().setQuotFeed(feed);
        VQuotMgr *manager = fixture.context().quotMgr();
        IComponent *board = fixture.show("BCFtQuotPanel");
        board->resize(1000, 220);
        auto *table = board->findChild<QTableView *>(QStringLiteral("tbSHQH"));
        const auto wantedSubjects = [manager] {
            QStringList subjects;
            for (const QString &product : manager->wantedProducts())
                subjects << QString::fromLatin1(VQuotSubject::of(product.at(0).toLatin1(), product.mid(2).toUtf8()));
            subjects.sort();
            return subjects;
        };
        const auto shown = [&] {
            return LiveHost::shownTexts(board).filter(QRegularExpression(QStringLiteral("^4321(\\.0+)?$"))).size();
        };
        QTRY_VERIFY(table->verticalScrollBar()->maximum() > 0);
        QTRY_VERIFY(!manager->wantedProducts().isEmpty());
        QTRY_COMPARE(m_cluster.subscriptions(), wantedSubjects());
        QTRY_COMPARE(shown(), manager->wantedProducts().size());

        // The rows that were in view keep what they showed.
        const QStringList top = manager->wantedProducts();
        table->verticalScrollBar()->setValue(table->verticalScrollBar()->maximum());
        QTRY_VERIFY(manager->wantedProducts() != top);
        QTRY_COMPARE(m_cluster.subscriptions(), wantedSubjects());
        const auto shownEver = [&] {
            const QStringList wanted = manager->wantedProducts();
            return (QSet<QString>(top.cbegin(), top.cend()) + QSet<QString>(wanted.cbegin(), wanted.cend())).size();
        };
        QTRY_COMPARE(shown(), shownEver());
        QCOMPARE(feed->receivedCount(), quint64(0));

        fixture.free(board);
        QTRY_COMPARE(m_cluster.subscriptions(), QStringList());
    }
};

QTEST_MAIN(TestFuturesOnBus)
#include "tst_futuresonbus.moc"
