#include <logcapture.h>
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

    // Nothing the user saved is touched: the file keeps its bytes.
    void unusableFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("missing folder") << QStringLiteral("no/such/folder/config.db") << QByteArray();
        QTest::newRow("not sqlite") << QStringLiteral("notes.db") << QByteArray("user notes, not a database\n");
    }
    void unusableFiles()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, contents);
        const QString full = m_dir.filePath(path);
        QFile file(full);
        if (!contents.isEmpty()) {
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(contents);
            file.close();
        }

        LogCapture log;
        VLocalDb db(full);
        QVERIFY(!db.isOpen());
        QCOMPARE(log.records.value(0).level, 3);
        QVERIFY(log.records.value(0).message.contains(full));
        Params params {{QStringLiteral("stale"), 1}};
        QVERIFY(!db.getCfgParam(QStringLiteral("G"), params));
        QVERIFY(params.isEmpty());
        QVERIFY(!db.setCfgParam(QStringLiteral("G"), Params {{QStringLiteral("k"), 1}}, true));
        if (!contents.isEmpty()) {
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), contents);
        }
    }
};

QTEST_GUILESS_MAIN(LocalDbTest)
#include "tst_vlocaldb.moc"
