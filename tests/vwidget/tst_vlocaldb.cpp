#include <logcapture.h>
#include <sqlitefile.h>
#include <vlocaldb.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using Params = QHash<QString, QVariant>;

class LocalDbTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString dbPath() const { return m_dir.filePath(QStringLiteral("config.db")); }

private slots:
    void initTestCase() { VLog::setFileLogging(false); }
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
            QVERIFY(db.setCfgParam(QStringLiteral("Other"), Params {{QStringLiteral("int"), 7}}, true));
            const Params earlier {{QStringLiteral("int"), 1}, {QStringLiteral("left out"), 2}};
            QVERIFY(db.setCfgParam(QStringLiteral("G"), earlier, true));
            QVERIFY(db.setCfgParam(QStringLiteral("G"), stored, replace));
        }
        VLocalDb db(dbPath());
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

    // A file that keeps no change: it refuses every write and keeps its
    // bytes, says why naming the file, and a read-only one is still read.
    void filesThatKeepNoChange_data()
    {
        QTest::addColumn<UnkeptConfig>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing folder") << UnkeptConfig::MissingFolder << QStringLiteral("无法打开");
        QTest::newRow("not sqlite") << UnkeptConfig::NotSqlite << QStringLiteral("不是SQLite数据库");
        QTest::newRow("cfgparam of other columns")
            << UnkeptConfig::OtherColumns << QStringLiteral("缺少列groupname,paramname,paramvalue,encrypt");
        QTest::newRow("read-only") << UnkeptConfig::ReadOnly << QStringLiteral("只读");
    }
    void filesThatKeepNoChange()
    {
        QFETCH(UnkeptConfig, kind);
        QFETCH(QString, reason);
        const QString path = makeUnkeptConfig(m_dir.path(), kind);
        QVERIFY(!path.isEmpty());
        QFile file(path);
        const QByteArray contents = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        file.close();

        LogCapture log;
        const bool readOnly = kind == UnkeptConfig::ReadOnly;
        VLocalDb db(path);
        QCOMPARE(db.isOpen(), readOnly);
        QVERIFY(!db.isWritable());
        QVERIFY2(db.problem().contains(path) && db.problem().contains(reason), qPrintable(db.problem()));
        QCOMPARE(log.records.value(0).level, 3);
        QCOMPARE(log.records.value(0).message, db.problem());
        Params params {{QStringLiteral("stale"), 1}};
        QCOMPARE(db.getCfgParam(QStringLiteral("G"), params), readOnly);
        const Params expected = readOnly ? Params {{QStringLiteral("k"), QStringLiteral("v")}} : Params();
        QCOMPARE(params, expected);
        QVERIFY(!db.setCfgParam(QStringLiteral("G"), Params {{QStringLiteral("k"), 1}}, true));
        if (file.open(QIODevice::ReadOnly))
            QCOMPARE(file.readAll(), contents);
        else
            QVERIFY(contents.isEmpty());
    }
};

QTEST_GUILESS_MAIN(LocalDbTest)
#include "tst_vlocaldb.moc"
