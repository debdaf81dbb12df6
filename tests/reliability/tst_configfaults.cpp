// The configuration database failing in the middle of a session, under the
// three components that store something: each write that cannot be kept is
// reported once, nothing looks saved that was not, quotes keep flowing, and
// what had been committed is still in the user's file afterwards. (A database
// that takes no writes from the start is the host window's unkept
// configuration test.)
//
// The full-disk cases need a small file system of their own: the ctest entry
// tst_configfaults_fulldisk mounts a tmpfs (small-disk.sh) and names it in
// TARN_SMALL_DISK; without it they are skipped.

#include "livehost.h"

#include <quotrecord.h>
#include <sqlitefile.h>
#include <testquotfeed.h>
#include <testutil.h>

#include <icomponent.h>
#include <vquotdataitems.h>
#include <vquotpanel.h>
#include <vquotstyle.h>

#include <QApplication>
#include <QDialog>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStorageInfo>
#include <QtTest>

#include <memory>

namespace {

enum class Fault { Locked, Removed, DiskFull };

const QString PanelGroup = QStringLiteral("QuotPanel_fixture");
const QString OptionalStkGroups
    = QStringLiteral("SELECT paramname FROM cfgparam WHERE groupname='OptionalStk' ORDER BY rowid");

const QString SmallDisk = qEnvironmentVariable("TARN_SMALL_DISK");

// Takes all the free space of the file system that holds dir but pagesLeft
// pages, with one file of zeros; the destructor frees it again.
class DiskFiller
{
public:
    DiskFiller(const QString &dir, int pagesLeft)
        : m_file(QDir(dir).filePath(QStringLiteral("filler")))
    {
        QStorageInfo disk(dir);
        const qint64 page = disk.blockSize();
        qint64 size = disk.bytesAvailable() - pagesLeft * page;
        QVERIFY(m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray zeros(int(page), '\0');
        // With no page left, write until the file system refuses.
        while ((pagesLeft == 0 || size > 0) && m_file.write(zeros) == zeros.size())
            size -= page;
        m_file.close();
        disk.refresh();
        QCOMPARE(disk.bytesAvailable(), pagesLeft * page);
    }
    ~DiskFiller() { m_file.remove(); }
    void free() { m_file.remove(); }

private:
    QFile m_file;
};

// Starts a fault on the file and ends it again, leaving the file as it was.
class FaultOn
{
public:
    FaultOn(Fault fault, const QString &path)
        : m_fault(fault)
        , m_path(path)
    {
        switch (fault) {
        case Fault::Locked:
            m_locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
            m_locker.setDatabaseName(path);
            QVERIFY(m_locker.open() && QSqlQuery(m_locker).exec(QStringLiteral("BEGIN EXCLUSIVE")));
            break;
        case Fault::Removed: QVERIFY(QFile::rename(path, path + QStringLiteral(".away"))); break;
        case Fault::DiskFull: m_filler.reset(new DiskFiller(QFileInfo(path).absolutePath(), 0)); break;
        }
    }
    ~FaultOn()
    {
        if (m_fault == Fault::Locked) {
            m_locker.close(); // ends the transaction
            m_locker = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("locker"));
        } else if (m_fault == Fault::Removed) {
            QFile::rename(m_path + QStringLiteral(".away"), m_path);
        }
    }

private:
    Fault m_fault;
    QString m_path;
    QSqlDatabase m_locker;
    std::unique_ptr<DiskFiller> m_filler;
};

// Every row of the file, in order.
QStringList allRows(const QString &path)
{
    return runSqlite(path,
                     {u("SELECT groupname||'|'||paramname||'='||ifnull(paramvalue,'') FROM cfgparam ORDER BY rowid")});
}

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestConfigFaults : public QObject
{
    Q_OBJECT

private slots:
    void faultMidSession_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::newRow("locked by another connection") << Fault::Locked;
        QTest::newRow("moved away") << Fault::Removed;
        QTest::newRow("disk full") << Fault::DiskFull;
    }
    void faultMidSession()
    {
        QFETCH(Fault, fault);
        if (fault == Fault::DiskFull && SmallDisk.isEmpty())
            QSKIP("needs a small file system of its own: run it as the ctest entry tst_configfaults_fulldisk");
        LiveHost f(fault == Fault::DiskFull ? SmallDisk : QString());
        IComponent *panel = f.show("BCQuotPanel");
        IComponent *board = f.show("BCFtQuotPanel");
        IComponent *watchlist = f.show("BCOptionalStk");
        const QString path = f.configDbPath();
        const QStringList tabs = tabNames(watchlist);
        auto *quot = panel->findChild<VQuotPanel *>();
        panel->setComCfgGroup(PanelGroup);
        panel->saveScene();
        const QStringList committed = allRows(path);
        QVERIFY(committed.contains(u("OptionalStk|自选股1=1600519,")));
        QVERIFY(committed.contains(u("PG_Trd_FtQuotPanel|SHQH_Check_Products=cu=铜")));
        QVERIFY(committed.contains(u("QuotPanel_fixture|ShowTitle=true")));
        {
            FaultOn on(fault, path);
            f.messages().requests.clear();
            f.log().clear();
            QMetaObject::invokeMethod(watchlist, "addgroupname", Q_ARG(QString, u("新组")));
            QCOMPARE(f.messages().texts(), QStringList {u("分组<font color='red'>[新组]</font>保存失败!")});
            QCOMPARE(tabNames(watchlist), tabs);
            quot->quotStyle()->setShowTitle(false);
            panel->saveScene();
            panel->saveScene();
            f.free(board); // stores its choices as it closes
            // Quotes of 600519 still reach the quote panel and the watchlist.
            VQuotData record = makeQuotRecord('1', "600519");
            record.lastPrice = record.preClosingPrice = 1500.0;
            f.feed().inject(record);
            QTest::qWait(40);
            QCOMPARE(quot->itemText(quot->quotItems()->lastPrice()), u("1500.00"));
            QVERIFY(LiveHost::shownTexts(watchlist).contains(u("1500.00")));
            // One record for the database the host shares, one for the watchlist's own statement.
            const QStringList logged = f.log().failures();
            QVERIFY2(logged.size() == 2, qPrintable(logged.join(u("\n"))));
        }
        QCOMPARE(runSqlite(path, {u("PRAGMA integrity_check")}), QStringList {u("ok")});
        QCOMPARE(allRows(path), committed);
        // Once the fault is over, changes are kept again, and the log says how many were lost.
        panel->saveScene();
        QVERIFY(!allRows(path).contains(u("QuotPanel_fixture|ShowTitle=true")));
        QVERIFY(f.log().contains(1, u("配置库[%1]恢复写入, 此前3次保存失败").arg(QDir::toNativeSeparators(path))));
    }

    // Groups added until the database grows into the end of the disk: the
    // group refused is not in the file, every group that got a tab is.
    void databaseGrowsIntoFullDisk()
    {
        if (SmallDisk.isEmpty())
            QSKIP("needs a small file system of its own: run it as the ctest entry tst_configfaults_fulldisk");
        LiveHost f(SmallDisk);
        IComponent *watchlist = f.show("BCOptionalStk");
        const QString path = f.configDbPath();
        DiskFiller filler(QFileInfo(path).absolutePath(), 8);
        f.messages().requests.clear();
        QStringList added;
        for (int i = 0; i < 16 && f.messages().requests.isEmpty(); ++i) {
            const QString name = QString::number(i) + QString(3000, QLatin1Char('x')); // most of a page
            QMetaObject::invokeMethod(watchlist, "addgroupname", Q_ARG(QString, name));
            if (f.messages().requests.isEmpty())
                added << name;
        }
        QCOMPARE(f.messages().requests.size(), 1);
        QVERIFY(!added.isEmpty());
        QCOMPARE(tabNames(watchlist), QStringList {u("自选股1")} + added);

        filler.free();
        QCOMPARE(runSqlite(path, {u("PRAGMA integrity_check")}), QStringList {u("ok")});
        QCOMPARE(runSqlite(path, {OptionalStkGroups}), QStringList {u("自选股1")} + added);
    }

    // Names a user (or a pasted text) may give a group: stored and read back
    // exactly, or refused with the watchlist's message; the other groups
    // stay as they were.
    void hostileGroupNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("SQL text") << u("x'); DROP TABLE \"cfgparam\"; --");
        QTest::newRow("NUL") << (u("a") + QChar(0) + u("b"));
        QTest::newRow("1 MiB") << QString(1 << 20, QLatin1Char('n'));
    }
    void hostileGroupNames()
    {
        QFETCH(QString, name);
        LiveHost f;
        IComponent *watchlist = f.show("BCOptionalStk");
        f.messages().requests.clear();
        // A refused name opens the group dialog again; the user cancels it.
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        closer.start(10);
        QMetaObject::invokeMethod(watchlist, "addgroupname", Q_ARG(QString, name));
        const QStringList names = runSqlite(f.configDbPath(), {OptionalStkGroups});
        if (f.messages().requests.isEmpty())
            QCOMPARE(names, (QStringList {u("自选股1"), name}));
        else
            QCOMPARE(names, QStringList {u("自选股1")});
    }
};

QTEST_MAIN(TestConfigFaults)
#include "tst_configfaults.moc"
