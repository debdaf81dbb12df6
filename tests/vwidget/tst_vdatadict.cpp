#include <logcapture.h>
#include <vdatadict.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class DataDictTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { VLog::setFileLogging(false); }

    void translate_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("text");
        QTest::newRow("quoted text") << QStringLiteral("30070") << QStringLiteral("rb")
                                     << QStringLiteral("螺纹钢, 主力");
        QTest::newRow("unknown entry") << QStringLiteral("5") << QStringLiteral("H") << QStringLiteral("H");
        QTest::newRow("list with unknown")
            << QStringLiteral("4") << QStringLiteral("H,X,D") << QStringLiteral("上期所,X,大商所");
    }
    // From a file whose header, comment and blank line are skipped; its
    // malformed line is logged with its number and the lines after it load.
    void translate()
    {
        QFETCH(QString, entry);
        QFETCH(QString, item);
        QFETCH(QString, text);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("dict.csv"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("entry,item,text\n4,H,上期所\n# comment\n\n30070,broken\n4,D,大商所\n30070,rb,\"螺纹钢, 主力\"\n");
        f.close();
        LogCapture log;
        VDataDict dict;
        QVERIFY(dict.loadCsv(path));
        QCOMPARE(log.records.size(), 1);
        QVERIFY(log.contains(3, QStringLiteral("数据字典[%1]第5行格式错误,已跳过").arg(path)));
        QCOMPARE(dict.transDictItem(entry, item, ','), text);
    }
};

QTEST_GUILESS_MAIN(DataDictTest)
#include "tst_vdatadict.moc"
