#include <logcapture.h>
#include <voutput.h>

#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <QtTest>

class VOutputTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        VLog::setFileLogging(false);
    }

    void sinksReceiveEveryField()
    {
        LogCapture log;
        VOutput(3, QStringLiteral("bcftquotpanel"), 42, QString(),
                QStringLiteral("期货行情面板:期货合约动态缓存异常."));
        QCOMPARE(log.records.size(), 1);
        const VLogRecord &r = log.records.first();
        QCOMPARE(r.level, 3);
        QCOMPARE(r.file, QStringLiteral("bcftquotpanel"));
        QCOMPARE(r.line, 42);
        QVERIFY(r.function.isEmpty());
        QCOMPARE(r.message, QStringLiteral("期货行情面板:期货合约动态缓存异常."));
        QVERIFY(r.time.isValid());
    }

    void removedSinkHearsNothing()
    {
        LogCapture kept;
        {
            LogCapture gone;
            VOutput(0, QStringLiteral("f"), 1, QString(), QStringLiteral("one"));
            QCOMPARE(gone.records.size(), 1);
        }
        VOutput(0, QStringLiteral("f"), 2, QString(), QStringLiteral("two"));
        QCOMPARE(kept.records.size(), 2);
    }

    void recordsFromManyThreads()
    {
        LogCapture log;
        QList<QThread *> threads;
        for (int t = 0; t < 4; ++t) {
            threads << QThread::create([] {
                for (int i = 0; i < 250; ++i)
                    VOutput(0, QStringLiteral("worker"), i, QString(), QStringLiteral("tick"));
            });
            threads.last()->start();
        }
        for (QThread *thread : qAsConst(threads)) {
            thread->wait();
            delete thread;
        }
        QCOMPARE(log.records.size(), 1000);
    }

    void fileSinkAppendsToTheDaysFile()
    {
        const QString path = VLog::logFilePath();
        QVERIFY(path.startsWith(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
        QFile::remove(path);
        VLog::setFileLogging(true);
        VOutput(3, QStringLiteral("module_helper.cpp"), 7, QString(), QStringLiteral("释放元件列表失败"));
        VLog::setFileLogging(false);
        VOutput(0, QStringLiteral("module_helper.cpp"), 8, QString(), QStringLiteral("not in the file"));

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
