// The futures board over the quote bus: only the rows in view are
// subscribed, and each change of that window reaches the server.

#include "componentfixture.h"

#include <natsserver.h>
#include <vnatsquotfeed.h>
#include <vquotmgr.h>
#include <vquotsubject.h>

#include <icomponent.h>

#include <QScrollBar>
#include <QTableView>
#include <QtTest>

class TestFuturesOnBus : public QObject
{
    Q_OBJECT

private slots:
    void windowChangesReachTheServer()
    {
        NatsServer server;
        START_NATS_SERVER(server);
        ComponentFixture fixture;
        VNatsSettings settings;
        settings.urls = QStringList(server.url());
        settings.user = QString::fromLatin1(NatsServer::User);
        settings.password = QString::fromLatin1(NatsServer::Password);
        auto *feed = new VNatsQuotFeed;
        QString error;
        QVERIFY2(feed->open(settings, &error), qPrintable(error));
        fixture.host.context().setQuotFeed(feed);
        VQuotMgr *manager = fixture.host.context().quotMgr();
        const auto wantedSubjects = [manager] {
            QStringList subjects;
            for (const QString &product : manager->wantedProducts())
                subjects << QString::fromLatin1(VQuotSubject::of(product.at(0).toLatin1(), product.mid(2).toUtf8()));
            subjects.sort();
            return subjects;
        };

        IComponent *board = fixture.create("BCFtQuotPanel");
        board->resize(1000, 220);
        auto *table = board->findChild<QTableView *>(QStringLiteral("tbSHQH"));
        QTRY_VERIFY(table->verticalScrollBar()->maximum() > 0);
        QTRY_VERIFY(!manager->wantedProducts().isEmpty());
        QTRY_COMPARE(server.subscriptions(), wantedSubjects());
        const QStringList top = server.subscriptions();

        table->verticalScrollBar()->setValue(table->verticalScrollBar()->maximum());
        QTRY_VERIFY(wantedSubjects() != top);
        QTRY_COMPARE(server.subscriptions(), wantedSubjects());

        fixture.free(board);
        QTRY_COMPARE(server.subscriptions(), QStringList());
    }
};

QTEST_MAIN(TestFuturesOnBus)
#include "tst_futuresonbus.moc"
