#include <logcapture.h>
#include <voutput.h>

#include <QtTest>

#include <memory>

class VOutputTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void sinksReceiveEveryFieldFromEveryThread()
    {
        LogCapture log;
        auto write = [] {
            for (int i = 0; i < 500; ++i)
                VOutput(3, QStringLiteral("bcftquotpanel"), 42, QString(), QStringLiteral("期货合约动态缓存异常."));
        };
        std::unique_ptr<QThread> other(QThread::create(write));
        other->start();
        write();
        QVERIFY(other->wait(30000));
        QCOMPARE(log.records().size(), 1000);
        const VLogRecord r = log.records().constLast();
        QCOMPARE(QStringLiteral("%1 %2:%3 %4").arg(r.level).arg(r.file).arg(r.line).arg(r.message),
                 QStringLiteral("3 bcftquotpanel:42 期货合约动态缓存异常."));
    }

    void fileSinkAppendsToTheDaysFile()
    {
        const QString path = VLog::logFilePath();
        QFile::remove(path);
        VLog::setFileLogging(true);
        VOutput(3, QStringLiteral("module_helper.cpp"), 7, QString(), QStringLiteral("释放元件列表失败"));
        VLog::setFileLogging(false);
        VOutput(0, QStringLiteral("module_helper.cpp"), 8, QString(), QStringLiteral("not in the file"));
        VLog::flush();

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY(text.contains(QStringLiteral("FAIL module_helper.cpp:7 释放元件列表失败")));
        QVERIFY(!text.contains(QStringLiteral("not in the file")));
        file.remove();
    }
};

QTEST_GUILESS_MAIN(VOutputTest)
#include "tst_voutput.moc"
