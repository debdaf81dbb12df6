// The configuration database failing in the middle of a session, under the
// three components that store something: each write that cannot be kept is
// reported, nothing looks saved that was not, quotes keep flowing, and what
// had been committed is still in the user's file afterwards.

#include "componentfixture.h"

#include <quotrecord.h>
#include <testquotfeed.h>
#include <testutil.h>

#include <icomponent.h>
#include <vquotdataitems.h>
#include <vquotpanel.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>
#include <QtTest>

namespace {

enum class Fault { Locked, Removed };

// Starts a fault on the file and ends it again, leaving the file as it was.
class FaultOn
{
public:
    FaultOn(Fault fault, const QString &path)
        : m_fault(fault)
        , m_path(path)
    {
        switch (fault) {
        case Fault::Locked: {
            QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
            locker.setDatabaseName(path);
            QVERIFY(locker.open());
            QVERIFY(QSqlQuery(locker).exec(QStringLiteral("BEGIN EXCLUSIVE")));
            break;
        }
        case Fault::Removed: QVERIFY(QFile::rename(path, path + QStringLiteral(".away"))); break;
        }
    }
    ~FaultOn()
    {
        if (m_fault == Fault::Locked) {
            {
                QSqlDatabase locker = QSqlDatabase::database(QStringLiteral("locker"));
                QSqlQuery(locker).exec(QStringLiteral("ROLLBACK"));
                locker.close();
            }
            QSqlDatabase::removeDatabase(QStringLiteral("locker"));
        } else {
            QFile::rename(m_path + QStringLiteral(".away"), m_path);
        }
    }

private:
    Fault m_fault;
    QString m_path;
};

QStringList column(const QString &path, const QString &sql)
{
    QStringList values;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("checker"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery query(db);
        query.exec(sql);
        while (query.next())
            values << query.value(0).toString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("checker"));
    return values;
}

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestConfigFaults : public QObject
{
    Q_OBJECT

private slots:
    void faultMidSession_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::newRow("locked by another connection") << Fault::Locked;
        QTest::newRow("moved away") << Fault::Removed;
    }
    void faultMidSession()
    {
        QFETCH(Fault, fault);
        ComponentFixture f;
        IComponent *panel = f.create("BCQuotPanel");
        IComponent *board = f.create("BCFtQuotPanel");
        IComponent *watchlist = f.create("BCOptionalStk");
        const QString path = f.host.configDbPath();
        const int tabs = watchlist->findChildren<QAbstractButton *>().size();
        {
            FaultOn on(fault, path);
            f.host.messages().requests.clear();
            QMetaObject::invokeMethod(watchlist, "addgroupname", Q_ARG(QString, u("新组")));
            QCOMPARE(f.host.messages().texts(), QStringList {u("分组<font color='red'>[新组]</font>保存失败!")});
            QCOMPARE(watchlist->findChildren<QAbstractButton *>().size(), tabs);
            panel->saveScene();
            f.free(board); // stores its choices as it goes

            // Quotes keep flowing.
            VQuotData record = makeQuotRecord('1', "600519");
            record.lastPrice = record.preClosingPrice = 1500.0;
            f.host.feed().inject(record);
            QTest::qWait(40);
            auto *quot = panel->findChild<VQuotPanel *>();
            QCOMPARE(quot->itemText(quot->quotItems()->lastPrice()), u("1500.00"));
        }
        QCOMPARE(column(path, u("PRAGMA integrity_check")), QStringList {u("ok")});
        QCOMPARE(column(path, u("SELECT paramvalue FROM cfgparam WHERE groupname='OptionalStk'")),
                 QStringList {u("1600519,")});
        QVERIFY(column(path, u("SELECT paramname FROM cfgparam WHERE groupname='PG_Trd_FtQuotPanel'"))
                    .contains(u("SHQH_Check_Products")));
    }

    // Names a user (or a pasted text) may give a group: stored and read back
    // exactly, or refused with the watchlist's message; the other groups
    // stay as they were.
    void hostileGroupNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("quotes") << u("a'b\"c");
        QTest::newRow("SQL text") << u("x'); DROP TABLE cfgparam; --");
        QTest::newRow("NUL") << (u("a") + QChar(0) + u("b"));
        QTest::newRow("1 MiB") << QString(1 << 20, QLatin1Char('n'));
    }
    void hostileGroupNames()
    {
        QFETCH(QString, name);
        ComponentFixture f;
        IComponent *watchlist = f.create("BCOptionalStk");
        f.host.messages().requests.clear();
        // A refused name opens the group dialog again; the user cancels it.
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        closer.start(10);
        QMetaObject::invokeMethod(watchlist, "addgroupname", Q_ARG(QString, name));
        const QStringList names = column(f.host.configDbPath(),
                                         u("SELECT paramname FROM cfgparam WHERE groupname='OptionalStk' ORDER BY rowid"));
        if (f.host.messages().requests.isEmpty())
            QCOMPARE(names, (QStringList {u("自选股1"), name}));
        else
            QCOMPARE(names, QStringList {u("自选股1")});
    }
};

QTEST_MAIN(TestConfigFaults)
#include "tst_configfaults.moc"
