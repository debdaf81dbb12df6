#include <modulehost.h>
#include <optionalstk/groupstore.h>
#include <testutil.h>
#include <vlocaldb.h>

#include <QSqlQuery>

namespace {

const QString Watchlist = QStringLiteral("OptionalStk");
const QString Foreign = QStringLiteral("PG_Trd_FtQuotPanel");

// The groups as loaded, "name=list" in their order.
QString dump(GroupStore &store)
{
    store.loadGroups();
    QStringList groups;
    for (const QString &name : store.groupNames())
        groups << name + QLatin1Char('=') + store.groups().value(name);
    return groups.join(QLatin1Char(';'));
}

} // namespace

class GroupStoreTest : public QObject
{
    Q_OBJECT

private:
    QScopedPointer<ModuleHost> m_host;
    QSqlDatabase db() const { return m_host->context().localDb()->database(); }

private slots:
    void init() { m_host.reset(new ModuleHost); }
    void cleanup() { m_host.reset(); }

    // Every change runs beside a row of another module with the same name and
    // a second watchlist group "H": neither may change. Groups keep their
    // order, and the change outlives the client.
    void changes_data()
    {
        QTest::addColumn<QString>("initial"); // the list of group "G"
        QTest::addColumn<char>("op"); // '+' add, '-' remove, 'r' rename to "K", 'd' delete the group
        QTest::addColumn<QString>("arg");
        QTest::addColumn<QString>("groups");
        QTest::newRow("add, no final comma") << u("1") << '+' << u("2") << u("G=2,1;H=9,");
        QTest::newRow("add to NULL") << QString() << '+' << u("2") << u("G=2,;H=9,");
        QTest::newRow("remove all, as a list") << u("a,b,c,") << '-' << u("c,a,b,") << u("G=;H=9,");
        QTest::newRow("remove an id ending another id") << u("23,123,") << '-' << u("23") << u("G=123,;H=9,");
        QTest::newRow("remove, no final comma") << u("a,b") << '-' << u("b") << u("G=a,;H=9,");
        QTest::newRow("rename") << u("a,") << 'r' << u("K") << u("K=a,;H=9,");
        QTest::newRow("delete the group") << u("a,") << 'd' << QString() << u("H=9,");
    }
    void changes()
    {
        QFETCH(QString, initial);
        QFETCH(char, op);
        QFETCH(QString, arg);
        const QString g = QStringLiteral("G");
        m_host->store(Foreign, g, u("a,b,"));
        m_host->store(Watchlist, g, initial);
        m_host->store(Watchlist, QStringLiteral("H"), u("9,"));
        {
            GroupStore store(db());
            switch (op) {
            case '+': store.saveGroupStk(g, arg); break;
            case '-': store.deleteGroupStk(g, arg); break;
            case 'r': store.renameGroup(g, arg); break;
            default: store.deleteGroupStk(g, QString());
            }
        }
        m_host->restart();
        GroupStore store(db());
        QTEST(dump(store), "groups");
        QCOMPARE(m_host->stored(Foreign), u("G=a,b,"));
    }

    // The default group comes with no watchlist row at all, and another
    // module's row of that name does not count. (That any watchlist row blocks
    // it, whatever its name, the component's tests show: they start without it.)
    void defaultGroupBesideAnotherModulesRow()
    {
        m_host->store(Foreign, GroupStore::DefaultGroupName, u("x"));
        GroupStore store(db());
        store.initDefaultGroup();
        QCOMPARE(dump(store), u("自选股1="));
    }

    // A read that fails keeps the groups read before; a removal of several
    // securities that fails midway (here a trigger refuses to lose "b")
    // changes nothing; both say they failed, once in the log.
    void failuresLoseNothing()
    {
        m_host->store(Watchlist, QStringLiteral("G"), u("a,b,c,"));
        GroupStore store(db());
        QVERIFY(store.loadGroups());
        QVERIFY(QSqlQuery(db()).exec(QStringLiteral(
            "CREATE TRIGGER keep_b BEFORE UPDATE ON cfgparam WHEN OLD.paramvalue LIKE '%b,%' "
            "AND NEW.paramvalue NOT LIKE '%b,%' BEGIN SELECT RAISE(ABORT, 'b stays'); END")));
        QVERIFY(!store.deleteGroupStk(QStringLiteral("G"), u("a,b,")));
        QVERIFY(QSqlQuery(db()).exec(QStringLiteral("ALTER TABLE cfgparam RENAME TO cfgparam_away")));
        QVERIFY(!store.loadGroups());
        QCOMPARE(store.groups().value(QStringLiteral("G")), u("a,b,c,"));
        QVERIFY(QSqlQuery(db()).exec(QStringLiteral("ALTER TABLE cfgparam_away RENAME TO cfgparam")));
        QCOMPARE(dump(store), u("G=a,b,c,"));
        QCOMPARE(m_host->log().failures().size(), 1);
    }

    void unusableDatabaseReadsAsNoGroupsAndIsLogged()
    {
        GroupStore store {QSqlDatabase()};
        store.initDefaultGroup();
        QCOMPARE(dump(store), QString());
        QVERIFY(!m_host->log().failures().isEmpty());
    }
};

QTEST_MAIN(GroupStoreTest)
#include "tst_groupstore.moc"
