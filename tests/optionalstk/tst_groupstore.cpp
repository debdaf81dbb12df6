#include <logcapture.h>
#include <optionalstk/groupstore.h>
#include <testutil.h>
#include <vlocaldb.h>

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace {

const QString kWatchlist = QStringLiteral("OptionalStk");
const QString kForeign = QStringLiteral("PG_Trd_FtQuotPanel");

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
    QTemporaryDir m_dir;
    QScopedPointer<VLocalDb> m_localDb;

    QSqlDatabase db() const { return m_localDb->database(); }
    QString path() const { return m_dir.filePath(QStringLiteral("config.db")); }
    // Closes the database and opens the same file again, as a restart of the client would.
    void reopen()
    {
        m_localDb.reset();
        m_localDb.reset(new VLocalDb(path()));
    }

    // A row as another module or tool left it; a null value stores NULL.
    void insertRow(const QString &group, const QString &name, const QString &value)
    {
        QSqlQuery query(db());
        query.prepare(QStringLiteral("INSERT INTO cfgparam (groupname, paramname, paramvalue, encrypt) "
                                     "VALUES (?, ?, ?, '0')"));
        for (const QString &bound : {group, name, value})
            query.addBindValue(bound);
        QVERIFY(query.exec());
    }

    QVariant storedValue(const QString &group, const QString &name) const
    {
        QSqlQuery query(db());
        query.prepare(QStringLiteral("SELECT paramvalue FROM cfgparam WHERE groupname = ? AND paramname = ?"));
        query.addBindValue(group);
        query.addBindValue(name);
        return query.exec() && query.next() ? query.value(0) : QVariant();
    }

private slots:
    void initTestCase() { VLog::setFileLogging(false); }
    void init()
    {
        m_localDb.reset();
        QFile::remove(path());
        reopen();
    }

    // Every change runs beside a row of another module with the same name and
    // a second watchlist group "H": neither may change. Groups keep their order.
    void changes_data()
    {
        QTest::addColumn<QString>("initial"); // the list of group "G"
        QTest::addColumn<char>("op"); // '+' add, '-' remove, 'r' rename to "K", 'd' delete the group
        QTest::addColumn<QString>("arg");
        QTest::addColumn<QString>("groups");
        QTest::newRow("add prepends") << u("1,") << '+' << u("2") << u("G=2,1,;H=9,");
        QTest::newRow("add, no final comma") << u("1") << '+' << u("2") << u("G=2,1;H=9,");
        QTest::newRow("add to NULL") << QString() << '+' << u("2") << u("G=2,;H=9,");
        QTest::newRow("remove middle") << u("a,b,c,") << '-' << u("b") << u("G=a,c,;H=9,");
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
        QFETCH(QString, groups);
        const QString g = QStringLiteral("G");
        insertRow(kForeign, g, u("a,b,"));
        insertRow(kWatchlist, g, initial);
        insertRow(kWatchlist, QStringLiteral("H"), u("9,"));
        {
            GroupStore store(db());
            switch (op) {
            case '+': store.saveGroupStk(g, arg); break;
            case '-': store.deleteGroupStk(g, arg); break;
            case 'r': store.renameGroup(g, arg); break;
            default: store.deleteGroupStk(g, QString());
            }
        }
        reopen(); // the change outlives the client
        GroupStore store(db());
        QCOMPARE(dump(store), groups);
        QCOMPARE(storedValue(kForeign, g), QVariant(u("a,b,")));
    }

    // The default group comes with no watchlist row at all, and another
    // module's row of that name does not count. (That any watchlist row blocks
    // it, whatever its name, the component's tests show: they start without it.)
    void defaultGroupBesideAnotherModulesRow()
    {
        insertRow(kForeign, GroupStore::DefaultGroupName, u("x"));
        GroupStore store(db());
        store.initDefaultGroup();
        QCOMPARE(dump(store), u("自选股1="));
    }

    void entriesSkipEmptyParts() { QCOMPARE(GroupStore::entries(u(",2,,1")), (QStringList {u("2"), u("1")})); }

    void unusableDatabaseReadsAsNoGroupsAndIsLogged()
    {
        LogCapture log;
        GroupStore store {QSqlDatabase()};
        store.initDefaultGroup();
        QCOMPARE(dump(store), QString());
        QVERIFY(std::any_of(log.records.cbegin(), log.records.cend(),
                            [](const VLogRecord &record) { return record.level == 3; }));
    }
};

QTEST_GUILESS_MAIN(GroupStoreTest)
#include "tst_groupstore.moc"
