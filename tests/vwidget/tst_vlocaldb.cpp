#include <logcapture.h>
#include <sqlitefile.h>
#include <testutil.h>
#include <vlocaldb.h>

#include <QtTest>

using Params = QHash<QString, QVariant>;

class LocalDbTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString dbPath() const { return m_dir.filePath(QStringLiteral("config.db")); }

private slots:
    void cleanup() { QFile::remove(dbPath()); }

    // A set stored over another, replacing it or not, as the next run reads
    // it back the way the scene does (toInt, toBool, toString). Another group
    // stays as it was, and reading empties the map first.
    void storedSetSurvivesARestart_data()
    {
        QTest::addColumn<bool>("replace");
        QTest::newRow("replace") << true;
        QTest::newRow("merge") << false;
    }
    void storedSetSurvivesARestart()
    {
        QFETCH(bool, replace);
        const Params stored {{QStringLiteral("int"), -3},
                             {QStringLiteral("on"), true},
                             {QStringLiteral("off"), false},
                             {QStringLiteral("text"), QStringLiteral("it's \"螺纹钢\";cu=铜")}};
        {
            VLocalDb db(dbPath());
            QVERIFY(db.isFresh() && db.keepsChanges());
            QVERIFY(db.setCfgParam(QStringLiteral("Other"), Params {{QStringLiteral("int"), 7}}, true));
            const Params earlier {{QStringLiteral("int"), 1}, {QStringLiteral("left out"), 2}};
            QVERIFY(db.setCfgParam(QStringLiteral("G"), earlier, true));
            QVERIFY(db.setCfgParam(QStringLiteral("G"), stored, replace));
        }
        VLocalDb db(dbPath());
        QVERIFY(!db.isFresh());
        Params read {{QStringLiteral("stale"), 1}}, other;
        QVERIFY(db.getCfgParam(QStringLiteral("G"), read));
        QVERIFY(db.getCfgParam(QStringLiteral("Other"), other));
        QCOMPARE(read.size(), stored.size() + (replace ? 0 : 1));
        QCOMPARE(read.contains(QStringLiteral("left out")), !replace);
        QCOMPARE(read.value(QStringLiteral("int")).toInt(), -3);
        QVERIFY(read.value(QStringLiteral("on")).toBool());
        QVERIFY(!read.value(QStringLiteral("off")).toBool());
        QCOMPARE(read.value(QStringLiteral("text")).toString(), stored.value(QStringLiteral("text")).toString());
        QCOMPARE(other.value(QStringLiteral("int")).toInt(), 7);
    }

    // A file that keeps no change, or a run asked to keep none: the run works
    // in memory, starting with what the file holds when it can be read, and
    // the file keeps its bytes. A file that cannot serve says why, naming it.
    void filesThatKeepNoChange_data()
    {
        QTest::addColumn<UnkeptConfig>("kind");
        QTest::addColumn<bool>("inMemory");
        QTest::addColumn<QString>("reason"); // empty: no problem
        QTest::newRow("missing folder") << UnkeptConfig::MissingFolder << false << QStringLiteral("无法打开");
        QTest::newRow("not sqlite") << UnkeptConfig::NotSqlite << false << QStringLiteral("不是SQLite数据库");
        QTest::newRow("cfgparam of other columns")
            << UnkeptConfig::OtherColumns << false << QStringLiteral("缺少列groupname,paramname,paramvalue,encrypt");
        QTest::newRow("read-only") << UnkeptConfig::ReadOnly << false << QStringLiteral("只读");
        QTest::newRow("copy of a readable file") << UnkeptConfig::ReadOnly << true << QString();
        QTest::newRow("copy of a missing file") << UnkeptConfig::MissingFolder << true << QString();
        QTest::newRow("copy of a file that is no database")
            << UnkeptConfig::NotSqlite << true << QStringLiteral("不是SQLite数据库");
    }
    void filesThatKeepNoChange()
    {
        QFETCH(UnkeptConfig, kind);
        QFETCH(bool, inMemory);
        QFETCH(QString, reason);
        const QString path = makeUnkeptConfig(m_dir.path(), kind);
        QVERIFY(!path.isEmpty());
        const QByteArray contents = fileBytes(path);

        LogCapture log;
        const bool readable = kind == UnkeptConfig::ReadOnly;
        VLocalDb db(path, inMemory ? VLocalDb::Mode::InMemory : VLocalDb::Mode::InFile);
        QVERIFY(db.isOpen() && !db.keepsChanges());
        QCOMPARE(db.isFresh(), !readable);
        if (reason.isEmpty()) {
            QCOMPARE(db.problem(), QString());
        } else {
            QVERIFY2(db.problem().contains(path) && db.problem().contains(reason), qPrintable(db.problem()));
            QCOMPARE(log.records().value(0).level, 3);
            QCOMPARE(log.records().value(0).message, db.problem());
        }
        Params params {{QStringLiteral("stale"), 1}};
        QVERIFY(db.getCfgParam(QStringLiteral("G"), params));
        const Params stored {{QStringLiteral("k"), QStringLiteral("v")}};
        QCOMPARE(params, readable ? stored : Params());
        QVERIFY(db.setCfgParam(QStringLiteral("G"), Params {{QStringLiteral("n"), 1}}, false));
        QVERIFY(db.getCfgParam(QStringLiteral("G"), params));
        QCOMPARE(params.value(QStringLiteral("n")).toInt(), 1);
        QCOMPARE(fileBytes(path), contents);
        QCOMPARE(QFile::exists(path), kind != UnkeptConfig::MissingFolder);
    }
};

QTEST_GUILESS_MAIN(LocalDbTest)
#include "tst_vlocaldb.moc"
