// tarn-host as a user runs it: the executable, headless, with good and bad input.

#include <testutil.h>
#include <vlocaldb.h>

#include <QImage>
#include <QtTest>

namespace {

// A file the user keeps beside tarn-host that is no configuration database.
const QByteArray Settings = "[General]\nkeep=me\n";

} // namespace

class TestTarnHost : public QObject
{
    Q_OBJECT

    // Runs tarn-host for no time in the case's folder (see runProgram).
    int runHost(const QStringList &arguments, QString *errors, bool display = true, QString *output = nullptr)
    {
        return runProgram(QStringLiteral(TARN_HOST_PATH), arguments + QStringList {u("--duration"), u("0")},
                          m_case->path(), errors, display, output);
    }

    QString path(const QString &name) const { return m_case->filePath(name); }

    QScopedPointer<QTemporaryDir> m_case;

private slots:
    void init()
    {
        m_case.reset(new QTemporaryDir);
        QVERIFY(m_case->isValid());
    }

    // Paths are relative to the folder tarn-host runs in, which holds settings.ini.
    // tarn-host saves screenshots in shots, or in tarn-screenshots when it finds no display. A refusal names
    // what the user gave. (The loader's refusals are the module loader's test.)
    void startsOrRefuses_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<bool>("display");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason");

        QTest::newRow("screenshots") << QString() << true << 0 << u("截图已保存在");
        QTest::newRow("no display") << QString() << false << 0 << u("未找到显示器");
        QTest::newRow("missing data folder") << u("--data nowhere") << true << 2 << u("nowhere]不存在");
        QTest::newRow("configuration that is text") << u("--config settings.ini") << true << 0 << u("配置库");
        QTest::newRow("configuration in a mistyped folder")
            << u("--config typo/config.db") << true << 2 << u("typo]不存在");
        QTest::newRow("configuration that is a folder") << u("--config .") << true << 2 << u("是文件夹");
        QTest::newRow("bare module name beside tarn-host")
            << u("--library " TARN_MODULE_FILE_NAME) << true << 0 << u("截图已保存在");
        QTest::newRow("library that is no module")
            << u("--library " NOT_A_MODULE_PATH) << true << 1 << u("缺少入口函数LoadBizModule");
        QTest::newRow("unknown component") << u("--components BCNoSuchPanel") << true << 1 << u("BCNoSuchPanel");
        QTest::newRow("unknown option") << u("--colour red") << true << 2 << u("未知选项");
    }

    void startsOrRefuses()
    {
        QFETCH(QString, arguments);
        QFETCH(bool, display);
        QFETCH(int, status);
        QFETCH(QString, reason);
        QVERIFY(writeFile(path(u("settings.ini")), Settings));

        const QDir dir(path(display ? QStringLiteral("shots") : QStringLiteral("tarn-screenshots")));
        arguments += display ? QStringLiteral(" --screenshot shots") : QString();
        QString errors;
        QCOMPARE(runHost(arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts), &errors, display), status);
        QVERIFY2(errors.contains(reason), qPrintable(errors));
        const QStringList files = dir.entryList({QStringLiteral("*.png")}, QDir::Files);
        // The module's debug trace goes to the log file, not to the console.
        QVERIFY2(!errors.contains(u("have created")) && !errors.contains(u("Cannot load library")), qPrintable(errors));
        // A timed run makes neither a mistyped folder nor the default configuration's.
        QVERIFY(!QFileInfo::exists(path(u("typo"))) && !QFileInfo::exists(path(u("config/tarn-host"))));
        if (status == 0) {
            QVERIFY2(files.contains(QStringLiteral("tarn-host.png")) && files.size() >= 2,
                     qPrintable(files.join(u' ')));
            for (const QString &file : files)
                QVERIFY(!QImage(dir.filePath(file)).isNull());
        } else {
            QVERIFY(!dir.exists());
        }
        QCOMPARE(fileBytes(path(u("settings.ini"))), Settings);
    }

    // A timed run works on a copy in memory: the user's configuration (the window's geometry and the security
    // shown among it) keeps its bytes. A run on a good configuration prints nothing.
    void timedRunLeavesTheConfigurationAlone()
    {
        {
            VLocalDb db(path(u("config.db")));
            QVERIFY(db.setCfgParam(
                u("TarnHost"),
                {{u("WindowGeometry"), u("AdnQywADAAAAAAAAAAAAAAAA")}, {u("ShownSecurity"), u("0000858")}}, true));
            QVERIFY(db.setCfgParam(u("OptionalStk"), {{u("自选股1"), u("1600519,")}}, true));
        }
        const QByteArray before = fileBytes(path(u("config.db")));
        QString errors;
        QCOMPARE(runHost({u("--config"), u("config.db")}, &errors), 0);
        QVERIFY2(errors.isEmpty(), qPrintable(errors));
        QCOMPARE(fileBytes(path(u("config.db"))), before);
    }

    // The help is in Chinese, the option names as they are.
    void chineseHelp()
    {
        QString errors;
        QString help;
        QCOMPARE(runHost({u("--help")}, &errors, true, &help), 0);
        for (const QString &text : {u("用法"), u("--config <路径>"), u("业务日期"), u("--feed"), u("显示")})
            QVERIFY2(help.contains(text), qPrintable(help));
    }
};

QTEST_GUILESS_MAIN(TestTarnHost)
#include "tst_tarnhost.moc"
