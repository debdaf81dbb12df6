#include <logcapture.h>
#include <vdatadict.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class DataDictTest : public QObject
{
    Q_OBJECT

private:
    static VDataDict markets()
    {
        VDataDict dict;
        dict.setItem(QStringLiteral("4"), QStringLiteral("H"), QStringLiteral("上期所"));
        dict.setItem(QStringLiteral("4"), QStringLiteral("D"), QStringLiteral("大商所"));
        return dict;
    }

private slots:
    void initTestCase() { VLog::setFileLogging(false); }

    void translate_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("text");
        QTest::newRow("known") << QStringLiteral("4") << QStringLiteral("H") << QStringLiteral("上期所");
        QTest::newRow("unknown item stays") << QStringLiteral("4") << QStringLiteral("X") << QStringLiteral("X");
        QTest::newRow("unknown entry") << QStringLiteral("30070") << QStringLiteral("H") << QStringLiteral("H");
        QTest::newRow("list") << QStringLiteral("4") << QStringLiteral("H,D") << QStringLiteral("上期所,大商所");
        QTest::newRow("list with unknown")
            << QStringLiteral("4") << QStringLiteral("H,X") << QStringLiteral("上期所,X");
        QTest::newRow("empty item") << QStringLiteral("4") << QString() << QString();
    }
    void translate()
    {
        QFETCH(QString, entry);
        QFETCH(QString, item);
        QFETCH(QString, text);
        QCOMPARE(markets().transDictItem(entry, item, ','), text);
    }

    void loadCsv()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("dict.csv"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("entry,item,text\n"
                "4,H,上期所\n"
                "# comment\n"
                "\n"
                "30070,rb,螺纹钢\n"
                "30070,broken\n"
                "30070,\"a,b\",\"quoted, with comma\"\n");
        f.close();

        LogCapture log;
        VDataDict dict;
        QVERIFY(dict.loadCsv(path));
        QCOMPARE(dict.transDictItem(QStringLiteral("4"), QStringLiteral("H"), ','), QStringLiteral("上期所"));
        QCOMPARE(dict.transDictItem(QStringLiteral("30070"), QStringLiteral("rb"), ','), QStringLiteral("螺纹钢"));
        QCOMPARE(dict.entry(QStringLiteral("30070")).value(QStringLiteral("a,b")),
                 QStringLiteral("quoted, with comma"));
        QVERIFY(!dict.entry(QStringLiteral("entry")).contains(QStringLiteral("item")));
        QCOMPARE(log.records.size(), 1);
        QCOMPARE(log.records.first().level, 3);
        QVERIFY(log.records.first().message.contains(QLatin1String("6")));
    }

    void missingFile()
    {
        LogCapture log;
        VDataDict dict = markets();
        QVERIFY(!dict.loadCsv(QStringLiteral("/no/such/dict.csv")));
        QCOMPARE(log.records.size(), 1);
        QCOMPARE(dict.transDictItem(QStringLiteral("4"), QStringLiteral("H"), ','), QStringLiteral("上期所"));
    }
};

QTEST_GUILESS_MAIN(DataDictTest)
#include "tst_vdatadict.moc"
