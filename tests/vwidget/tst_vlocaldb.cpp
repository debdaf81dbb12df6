#include <logcapture.h>
#include <vlocaldb.h>

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using Params = QHash<QString, QVariant>;

class LocalDbTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString dbPath() const { return m_dir.filePath(QStringLiteral("config.db")); }

private slots:
    void initTestCase() { VLog::setFileLogging(false); }
    void cleanup() { QFile::remove(dbPath()); }

    void valuesSurviveARestart_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("reading");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("int") << QVariant(9) << QStringLiteral("int") << QVariant(9);
        QTest::newRow("negative int") << QVariant(-3) << QStringLiteral("int") << QVariant(-3);
        QTest::newRow("bool true") << QVariant(true) << QStringLiteral("bool") << QVariant(true);
        QTest::newRow("bool false") << QVariant(false) << QStringLiteral("bool") << QVariant(false);
        QTest::newRow("chinese text") << QVariant(QStringLiteral("rb=螺纹钢;cu=铜")) << QStringLiteral("string")
                                      << QVariant(QStringLiteral("rb=螺纹钢;cu=铜"));
        QTest::newRow("empty text") << QVariant(QString()) << QStringLiteral("string") << QVariant(QString());
        QTest::newRow("quote characters") << QVariant(QStringLiteral("it's \"x\"")) << QStringLiteral("string")
                                          << QVariant(QStringLiteral("it's \"x\""));
    }
    void valuesSurviveARestart()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, reading);
        QFETCH(QVariant, expected);
        {
            VLocalDb db(dbPath());
            QVERIFY(db.setCfgParam(QStringLiteral("G"), Params {{QStringLiteral("key"), stored}}, true));
        }
        VLocalDb db(dbPath());
        Params params;
        QVERIFY(db.getCfgParam(QStringLiteral("G"), params));
        const QVariant value = params.value(QStringLiteral("key"));
        QVERIFY(value.isValid());
        if (reading == QLatin1String("int"))
            QCOMPARE(value.toInt(), expected.toInt());
        else if (reading == QLatin1String("bool"))
            QCOMPARE(value.toBool(), expected.toBool());
        else
            QCOMPARE(value.toString(), expected.toString());
    }

    void replaceDropsKeysLeftOut_data()
    {
        QTest::addColumn<bool>("replace");
        QTest::addColumn<QStringList>("keysAfterRestart");
        QTest::newRow("replace") << true << QStringList {QStringLiteral("a")};
        QTest::newRow("merge") << false << QStringList {QStringLiteral("a"), QStringLiteral("b")};
    }
    void replaceDropsKeysLeftOut()
    {
        QFETCH(bool, replace);
        QFETCH(QStringList, keysAfterRestart);
        {
            VLocalDb db(dbPath());
            QVERIFY(
                db.setCfgParam(QStringLiteral("G"), Params {{QStringLiteral("a"), 1}, {QStringLiteral("b"), 2}}, true));
            QVERIFY(db.setCfgParam(QStringLiteral("G"), Params {{QStringLiteral("a"), 3}}, replace));
        }
        VLocalDb db(dbPath());
        Params params;
        QVERIFY(db.getCfgParam(QStringLiteral("G"), params));
        QStringList keys = params.keys();
        keys.sort();
        QCOMPARE(keys, keysAfterRestart);
        QCOMPARE(params.value(QStringLiteral("a")).toInt(), 3);
    }

    void groupsAreIndependent()
    {
        VLocalDb db(dbPath());
        QVERIFY(db.setCfgParam(QStringLiteral("A"), Params {{QStringLiteral("k"), 1}}, true));
        QVERIFY(db.setCfgParam(QStringLiteral("B"), Params {{QStringLiteral("k"), 2}}, true));
        QVERIFY(db.setCfgParam(QStringLiteral("A"), Params(), true));
        Params a, b;
        QVERIFY(db.getCfgParam(QStringLiteral("A"), a));
        QVERIFY(db.getCfgParam(QStringLiteral("B"), b));
        QVERIFY(a.isEmpty());
        QCOMPARE(b.value(QStringLiteral("k")).toInt(), 2);
    }

    void readingEmptiesTheMapFirst()
    {
        VLocalDb db(dbPath());
        Params params {{QStringLiteral("stale"), 1}};
        QVERIFY(db.getCfgParam(QStringLiteral("missing"), params));
        QVERIFY(params.isEmpty());
    }

    void handleSeesTheTable()
    {
        VLocalDb db(dbPath());
        QVERIFY(db.setCfgParam(QStringLiteral("G"), Params {{QStringLiteral("k"), QStringLiteral("v")}}, true));
        QSqlDatabase copy = db.database();
        QSqlQuery query(copy);
        QVERIFY(query.exec(QStringLiteral("select groupname, paramname, paramvalue, encrypt, rowid from cfgparam")));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("G"));
        QCOMPARE(query.value(2).toString(), QStringLiteral("v"));
        QCOMPARE(query.value(3).toString(), QStringLiteral("0"));
    }

    void unusableFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("missing folder") << QStringLiteral("no/such/folder/config.db") << QByteArray();
        QTest::newRow("not sqlite") << QStringLiteral("notes.db") << QByteArray("user notes, not a database\n");
        QTest::newRow("folder") << QStringLiteral("afolder") << QByteArray();
    }
    void unusableFiles()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, contents);
        const QString full = m_dir.filePath(path);
        if (!contents.isEmpty()) {
            QFile f(full);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(contents);
        } else if (path == QLatin1String("afolder")) {
            QVERIFY(QDir(m_dir.path()).mkpath(path));
        }

        LogCapture log;
        VLocalDb db(full);
        QVERIFY(!db.isOpen());
        QVERIFY(!log.records.isEmpty());
        QCOMPARE(log.records.first().level, 3);
        QVERIFY(log.records.first().message.contains(full));

        Params params {{QStringLiteral("stale"), 1}};
        QVERIFY(!db.getCfgParam(QStringLiteral("G"), params));
        QVERIFY(params.isEmpty());
        QVERIFY(!db.setCfgParam(QStringLiteral("G"), Params {{QStringLiteral("k"), 1}}, true));

        if (!contents.isEmpty()) {
            QFile f(full);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), contents);
        }
    }
};

QTEST_GUILESS_MAIN(LocalDbTest)
#include "tst_vlocaldb.moc"
