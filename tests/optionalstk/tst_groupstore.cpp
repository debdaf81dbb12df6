#include <logcapture.h>
#include <optionalstk/groupstore.h>
#include <vlocaldb.h>

#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kWatchlist = QStringLiteral("OptionalStk");
const QString kForeign = QStringLiteral("PG_Trd_FtQuotPanel");

struct CfgRow
{
    QString group;
    QString name;
    QVariant value; // an invalid variant stores NULL
};

} // namespace

Q_DECLARE_METATYPE(QList<CfgRow>)

class GroupStoreTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QScopedPointer<VLocalDb> m_localDb;
    LogCapture m_log;

    QSqlDatabase db() const { return m_localDb->database(); }
    // Closes the database and opens the same file again, as a restart of the client would.
    void reopen()
    {
        m_localDb.reset();
        m_localDb.reset(new VLocalDb(m_dir.filePath(QStringLiteral("config.db"))));
    }

    void insertRow(const CfgRow &row)
    {
        QSqlQuery query(db());
        query.prepare(QStringLiteral("INSERT INTO cfgparam (groupname, paramname, paramvalue, encrypt) "
                                     "VALUES (?, ?, ?, '0')"));
        query.addBindValue(row.group);
        query.addBindValue(row.name);
        if (!row.value.isValid())
            query.addBindValue(QVariant(QVariant::String)); // NULL
        else if (row.value.toString().isEmpty())
            query.addBindValue(QStringLiteral("")); // the empty text; a null QString would bind NULL
        else
            query.addBindValue(row.value);
        QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
    }

    // The stored value of a row; a null variant for NULL, an invalid one when the row is missing.
    QVariant storedValue(const QString &group, const QString &name) const
    {
        QSqlQuery query(db());
        query.prepare(QStringLiteral("SELECT paramvalue FROM cfgparam WHERE groupname = ? AND paramname = ?"));
        query.addBindValue(group);
        query.addBindValue(name);
        if (!query.exec() || !query.next())
            return QVariant();
        return query.value(0);
    }

    int rowCount() const
    {
        QSqlQuery query(db());
        query.exec(QStringLiteral("SELECT count(*) FROM cfgparam"));
        query.next();
        return query.value(0).toInt();
    }

private slots:
    void initTestCase() { VLog::setFileLogging(false); }
    void init() { reopen(); }
    void cleanup()
    {
        m_localDb.reset();
        QFile::remove(m_dir.filePath(QStringLiteral("config.db")));
        m_log.records.clear();
    }

    void defaultGroupOnlyWithoutWatchlistRows_data()
    {
        QTest::addColumn<QList<CfgRow>>("existing");
        QTest::addColumn<QStringList>("groups");
        QTest::newRow("fresh table") << QList<CfgRow>() << QStringList {QStringLiteral("自选股1")};
        QTest::newRow("only another module's rows")
            << QList<CfgRow> {{kForeign, QStringLiteral("自选股1"), QStringLiteral("x")}}
            << QStringList {QStringLiteral("自选股1")};
        QTest::newRow("a watchlist group of another name")
            << QList<CfgRow> {{kWatchlist, QStringLiteral("长线"), QStringLiteral("1600519,")}}
            << QStringList {QStringLiteral("长线")};
        QTest::newRow("an empty watchlist group")
            << QList<CfgRow> {{kWatchlist, QStringLiteral("短线"), QString()}} << QStringList {QStringLiteral("短线")};
    }
    void defaultGroupOnlyWithoutWatchlistRows()
    {
        QFETCH(QList<CfgRow>, existing);
        QFETCH(QStringList, groups);
        for (const CfgRow &row : existing)
            insertRow(row);

        GroupStore store(db());
        store.initDefaultGroup();
        store.initDefaultGroup(); // a second start-up adds nothing
        store.loadGroups();
        QCOMPARE(store.groupNames(), groups);
        QCOMPARE(store.groups().size(), groups.size());
    }

    void defaultGroupIsStoredAsEmptyText()
    {
        GroupStore store(db());
        store.initDefaultGroup();
        const QVariant value = storedValue(kWatchlist, QStringLiteral("自选股1"));
        QVERIFY(value.isValid());
        QVERIFY(!value.isNull());
        QCOMPARE(value.toString(), QString());
        QSqlQuery query(db());
        QVERIFY(query.exec(QStringLiteral("SELECT encrypt FROM cfgparam")));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("0"));
    }

    void additionsArePrepended_data()
    {
        QTest::addColumn<QVariant>("initial");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty group") << QVariant(QString()) << QStringLiteral("2000001,1600519,");
        QTest::newRow("list without final comma")
            << QVariant(QStringLiteral("1600000")) << QStringLiteral("2000001,1600519,1600000");
        QTest::newRow("NULL list from another tool") << QVariant() << QStringLiteral("2000001,1600519,");
    }
    void additionsArePrepended()
    {
        QFETCH(QVariant, initial);
        QFETCH(QString, expected);
        insertRow({kWatchlist, QStringLiteral("G"), initial});
        GroupStore store(db());
        store.saveGroupStk(QStringLiteral("G"), QStringLiteral("1600519"));
        store.saveGroupStk(QStringLiteral("G"), QStringLiteral("2000001"));
        store.loadGroups();
        QCOMPARE(store.groups().value(QStringLiteral("G")), expected);
        QCOMPARE(GroupStore::entries(expected).first(), QStringLiteral("2000001"));
    }

    void removalTakesWholeEntries_data()
    {
        QTest::addColumn<QString>("initial");
        QTest::addColumn<QString>("ids");
        QTest::addColumn<QString>("expected");
        QTest::newRow("middle") << QStringLiteral("a,b,c,") << QStringLiteral("b") << QStringLiteral("a,c,");
        QTest::newRow("first") << QStringLiteral("a,b,c,") << QStringLiteral("a") << QStringLiteral("b,c,");
        QTest::newRow("last") << QStringLiteral("a,b,c,") << QStringLiteral("c") << QStringLiteral("a,b,");
        QTest::newRow("all, as a list") << QStringLiteral("a,b,c,") << QStringLiteral("c,a,b,") << QString();
        QTest::newRow("several") << QStringLiteral("a,b,c,") << QStringLiteral("c,a,") << QStringLiteral("b,");
        QTest::newRow("only entry") << QStringLiteral("a,") << QStringLiteral("a") << QString();
        QTest::newRow("suffix of a longer id after it")
            << QStringLiteral("1123,123,23,") << QStringLiteral("23") << QStringLiteral("1123,123,");
        QTest::newRow("suffix of a longer id before it")
            << QStringLiteral("23,123,") << QStringLiteral("23") << QStringLiteral("123,");
        QTest::newRow("longer id ending like a shorter one")
            << QStringLiteral("123,23,") << QStringLiteral("123") << QStringLiteral("23,");
        QTest::newRow("prefix of a longer id")
            << QStringLiteral("1234,123,") << QStringLiteral("123") << QStringLiteral("1234,");
        QTest::newRow("last entry without comma")
            << QStringLiteral("a,b") << QStringLiteral("b") << QStringLiteral("a,");
        QTest::newRow("entry before one without comma")
            << QStringLiteral("a,b") << QStringLiteral("a") << QStringLiteral("b,");
        QTest::newRow("absent id") << QStringLiteral("a,b,") << QStringLiteral("x") << QStringLiteral("a,b,");
        QTest::newRow("empty group") << QString() << QStringLiteral("a") << QString();
    }
    void removalTakesWholeEntries()
    {
        QFETCH(QString, initial);
        QFETCH(QString, ids);
        QFETCH(QString, expected);
        insertRow({kWatchlist, QStringLiteral("G"), initial});
        insertRow({kWatchlist, QStringLiteral("H"), initial});
        GroupStore store(db());
        store.deleteGroupStk(QStringLiteral("G"), ids);
        store.loadGroups();
        QCOMPARE(store.groups().value(QStringLiteral("G")), expected);
        QVERIFY(!storedValue(kWatchlist, QStringLiteral("G")).isNull());
        QCOMPARE(store.groups().value(QStringLiteral("H")), initial);
    }

    void deletingAGroupRemovesOnlyItsRow()
    {
        insertRow({kWatchlist, QStringLiteral("G"), QStringLiteral("a,")});
        insertRow({kWatchlist, QStringLiteral("H"), QStringLiteral("b,")});
        GroupStore store(db());
        store.deleteGroupStk(QStringLiteral("G"), QString());
        store.loadGroups();
        QCOMPARE(store.groupNames(), QStringList {QStringLiteral("H")});
        QCOMPARE(store.groups().value(QStringLiteral("H")), QStringLiteral("b,"));
    }

    // Another module may keep a parameter named like a watchlist group.
    void foreignRowOfTheSameNameIsNeverChanged_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::newRow("add") << QStringLiteral("add");
        QTest::newRow("remove") << QStringLiteral("remove");
        QTest::newRow("rename") << QStringLiteral("rename");
        QTest::newRow("delete group") << QStringLiteral("delete");
    }
    void foreignRowOfTheSameNameIsNeverChanged()
    {
        QFETCH(QString, operation);
        const QString name = QStringLiteral("G");
        insertRow({kForeign, name, QStringLiteral("a,b,")});
        insertRow({kWatchlist, name, QStringLiteral("a,b,")});
        GroupStore store(db());
        if (operation == QLatin1String("add"))
            store.saveGroupStk(name, QStringLiteral("c"));
        else if (operation == QLatin1String("remove"))
            store.deleteGroupStk(name, QStringLiteral("a"));
        else if (operation == QLatin1String("rename"))
            store.renameGroup(name, QStringLiteral("K"));
        else
            store.deleteGroupStk(name, QString());

        QCOMPARE(storedValue(kForeign, name), QVariant(QStringLiteral("a,b,")));
        // ...while the watchlist's own row did change.
        store.loadGroups();
        QVERIFY(store.groups().value(name) != QLatin1String("a,b,"));
    }

    void renameKeepsThePlaceAcrossARestart()
    {
        {
            GroupStore store(db());
            store.initDefaultGroup();
            store.saveGroupStk(QStringLiteral("长线"), QString());
            store.saveGroupStk(QStringLiteral("短线"), QString());
            store.saveGroupStk(QStringLiteral("自选股1"), QStringLiteral("1600519"));
            store.renameGroup(QStringLiteral("自选股1"), QStringLiteral("核心"));
        }
        reopen();
        GroupStore store(db());
        store.initDefaultGroup();
        store.loadGroups();
        QCOMPARE(store.groupNames(),
                 (QStringList {QStringLiteral("核心"), QStringLiteral("长线"), QStringLiteral("短线")}));
        QCOMPARE(store.groups().value(QStringLiteral("核心")), QStringLiteral("1600519,"));
        QCOMPARE(rowCount(), 3);
    }

    void entries_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QStringList>("ids");
        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("lone comma") << QStringLiteral(",") << QStringList();
        QTest::newRow("one") << QStringLiteral("1600519,") << QStringList {QStringLiteral("1600519")};
        QTest::newRow("without final comma")
            << QStringLiteral("2000001,1600519") << QStringList {QStringLiteral("2000001"), QStringLiteral("1600519")};
        QTest::newRow("stray commas") << QStringLiteral(",a,,b,")
                                      << QStringList {QStringLiteral("a"), QStringLiteral("b")};
    }
    void entries()
    {
        QFETCH(QString, list);
        QFETCH(QStringList, ids);
        QCOMPARE(GroupStore::entries(list), ids);
    }

    void unusableDatabaseReadsAsNoGroups()
    {
        GroupStore store {QSqlDatabase()};
        store.initDefaultGroup();
        store.saveGroupStk(QStringLiteral("G"), QString());
        store.loadGroups();
        QVERIFY(store.groups().isEmpty());
        QVERIFY(store.groupNames().isEmpty());
        bool logged = false;
        for (const VLogRecord &record : qAsConst(m_log.records))
            logged = logged || record.level == 3;
        QVERIFY(logged);
    }
};

QTEST_GUILESS_MAIN(GroupStoreTest)
#include "tst_groupstore.moc"
