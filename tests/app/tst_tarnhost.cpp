// tarn-host as a user runs it: the executable, headless, with good and bad input.

#include <vlocaldb.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString NoComponent = QStringLiteral("the module created no component");

QStringList words(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

class TestTarnHost : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void headlessScreenshots();
    void withoutDisplayFallsBackToHeadless();
    void refusesToStart_data();
    void refusesToStart();
    void startsWithWhatItHas_data();
    void startsWithWhatItHas();
    void profileOnlyOnFirstRun();

private:
    // Runs tarn-host in the temporary folder with its own user folders.
    int run(const QStringList &arguments, QString *errors, bool display = true);
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QScopedPointer<QTemporaryDir> m_case;
};

void TestTarnHost::init()
{
    m_case.reset(new QTemporaryDir(m_dir.filePath(QStringLiteral("case-XXXXXX"))));
}

int TestTarnHost::run(const QStringList &arguments, QString *errors, bool display)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_case->filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_case->filePath(QStringLiteral("share")));
    if (display) {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    } else {
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QLatin1String(name));
    }
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(m_case->path());
    process.start(QStringLiteral(TARN_HOST_PATH), arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    *errors = QString::fromLocal8Bit(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void TestTarnHost::headlessScreenshots()
{
    const QString shots = m_case->filePath(QStringLiteral("shots"));
    QString errors;
    const int status
        = run({QStringLiteral("--screenshot"), shots, QStringLiteral("--duration"), QStringLiteral("1")}, &errors);
    if (status == 1 && errors.contains(NoComponent))
        QSKIP("the module offers no component yet");
    QVERIFY2(status == 0, qPrintable(errors));
    QVERIFY2(errors.contains(QStringLiteral("screenshots saved in")), qPrintable(errors));
    const QStringList files = QDir(shots).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    QVERIFY2(files.contains(QStringLiteral("tarn-host.png")) && files.size() >= 2, qPrintable(files.join(u' ')));
    for (const QString &file : files)
        QVERIFY(!QImage(QDir(shots).filePath(file)).isNull());
    // The first run made the configuration database in the user's folder.
    QVERIFY(QFile::exists(m_case->filePath(QStringLiteral("config/tarn-host/config.db"))));
}

void TestTarnHost::withoutDisplayFallsBackToHeadless()
{
    QString errors;
    const int status = run({QStringLiteral("--duration"), QStringLiteral("1")}, &errors, false);
    if (status == 1 && errors.contains(NoComponent))
        QSKIP("the module offers no component yet");
    QVERIFY2(status == 0, qPrintable(errors));
    QVERIFY2(errors.contains(QStringLiteral("no display found")), qPrintable(errors));
    QVERIFY(QFile::exists(m_case->filePath(QStringLiteral("tarn-screenshots/tarn-host.png"))));
}

void TestTarnHost::refusesToStart_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("reason");

    QTest::newRow("missing module") << QStringList {QStringLiteral("--library"),
                                                    QStringLiteral("/nonexistent/libtarn.so")}
                                    << 1 << words("/nonexistent/libtarn.so 加载失败");
    QTest::newRow("library that is no module")
        << QStringList {QStringLiteral("--library"), QStringLiteral(NOT_A_MODULE_PATH)} << 1
        << words("缺少入口函数LoadBizModule");
    QTest::newRow("unknown component") << words("--components BCNoSuchPanel") << 1 << words("BCNoSuchPanel");
    QTest::newRow("impossible date") << words("--date 20261399") << 2 << words("--date 20261399");
    QTest::newRow("unknown option") << words("--colour red") << 2 << words("colour");
}

void TestTarnHost::refusesToStart()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QStringList, reason);
    QString errors;
    QCOMPARE(run(arguments + QStringList {QStringLiteral("--screenshot"), m_case->filePath(QStringLiteral("shots"))},
                 &errors),
             status);
    for (const QString &word : reason)
        QVERIFY2(errors.contains(word), qPrintable(errors));
    QVERIFY(!QDir(m_case->filePath(QStringLiteral("shots"))).exists());
}

void TestTarnHost::startsWithWhatItHas_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("file"); // written at value first, unless empty
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing data folder") << QStringLiteral("--data") << QStringLiteral("nowhere") << QByteArray()
                                         << QStringLiteral("不存在");
    QTest::newRow("configuration that is not SQLite") << QStringLiteral("--config") << QStringLiteral("settings.ini")
                                                      << QByteArray("[General]\nkeep=me\n") << QStringLiteral("配置库");
    QTest::newRow("configuration folder that cannot be made")
        << QStringLiteral("--config") << QStringLiteral("blocker/config.db") << QByteArray()
        << QStringLiteral("配置目录");
}

void TestTarnHost::startsWithWhatItHas()
{
    QFETCH(QString, option);
    QFETCH(QString, value);
    QFETCH(QByteArray, file);
    QFETCH(QString, reason);
    const QString target = m_case->filePath(value);
    if (!file.isEmpty()) {
        QFile out(target);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file);
    }
    QFile blocker(m_case->filePath(QStringLiteral("blocker")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    QString errors;
    const int status = run({option, target, QStringLiteral("--screenshot"), m_case->filePath(QStringLiteral("shots")),
                            QStringLiteral("--duration"), QStringLiteral("0")},
                           &errors);
    if (status == 1 && errors.contains(NoComponent))
        QSKIP("the module offers no component yet");
    QVERIFY2(status == 0, qPrintable(errors));
    QVERIFY2(errors.contains(reason), qPrintable(errors));
    QVERIFY2(errors.contains(QStringLiteral("the log has the details")), qPrintable(errors));
    if (!file.isEmpty()) {
        QFile in(target);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QCOMPARE(in.readAll(), file);
    }
}

void TestTarnHost::profileOnlyOnFirstRun()
{
    const QString config = m_case->filePath(QStringLiteral("config.db"));
    const QStringList arguments {QStringLiteral("--config"), config, QStringLiteral("--duration"), QStringLiteral("0")};
    const QString group = QStringLiteral("PG_Trd_FtQuotPanel");
    QString errors;
    run(arguments, &errors);
    QHash<QString, QVariant> params;
    {
        VLocalDb db(config);
        QVERIFY(db.getCfgParam(group, params));
        QCOMPARE(params.value(QStringLiteral("Check_Market")).toString(), QStringLiteral("H"));
        params.insert(QStringLiteral("SHQH_Check_Products"), QStringLiteral("cu=铜"));
        QVERIFY(db.setCfgParam(group, params, true));
    }
    run(arguments, &errors);
    VLocalDb db(config);
    QVERIFY(db.getCfgParam(group, params));
    QCOMPARE(params.value(QStringLiteral("SHQH_Check_Products")).toString(), QStringLiteral("cu=铜"));
}

QTEST_GUILESS_MAIN(TestTarnHost)
#include "tst_tarnhost.moc"
