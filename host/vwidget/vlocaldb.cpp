#include "vlocaldb.h"

#include "vwidgetlog.h"

#include <voutput.h>

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

Q_LOGGING_CATEGORY(lcWidget, "tarn.vwidget", QtInfoMsg)

namespace {

constexpr int BusyTimeoutMs = 250;

void logFailure(int line, const QString &message)
{
    VOutput(3, QStringLiteral(__FILE__), line, QString(), message);
}

QString nextConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("vlocaldb-%1").arg(counter.fetchAndAddRelaxed(1));
}

// SQLite's reason in the user's words where its result code is a known one.
QString reason(const QSqlError &error)
{
    switch (error.nativeErrorCode().toInt() & 0xff) { // the primary code of an extended one
    case 5: // SQLITE_BUSY
        return QStringLiteral("文件被其他程序占用");
    case 8: // SQLITE_READONLY
        return QStringLiteral("文件或其所在文件夹只读");
    case 11: // SQLITE_CORRUPT
        return QStringLiteral("文件已损坏");
    case 13: // SQLITE_FULL
        return QStringLiteral("磁盘已满");
    case 14: // SQLITE_CANTOPEN
        return QStringLiteral("文件无法打开或创建");
    case 26: // SQLITE_NOTADB
        return QStringLiteral("文件不是SQLite数据库");
    default: return error.text();
    }
}

const QString CreateTable = QStringLiteral("CREATE TABLE IF NOT EXISTS cfgparam ("
                                           "groupname TEXT NOT NULL, paramname TEXT NOT NULL, "
                                           "paramvalue TEXT, encrypt TEXT NOT NULL DEFAULT '0')");

QString shownPath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString unusable(const QString &path, const QSqlError &error)
{
    return QStringLiteral("配置库[%1]不可用: %2").arg(shownPath(path), reason(error));
}

// Names the columns of cfgparam that its definition in the file lacks;
// empty when it has them all.
QString missingColumns(const QSqlDatabase &db, const QString &path)
{
    const QSqlRecord columns = db.record(QStringLiteral("cfgparam"));
    QStringList missing;
    for (const char *name : {"groupname", "paramname", "paramvalue", "encrypt"}) {
        if (columns.indexOf(QLatin1String(name)) < 0)
            missing << QLatin1String(name);
    }
    return missing.isEmpty() ? QString()
                             : QStringLiteral("配置库[%1]的表cfgparam缺少列%2")
                                   .arg(shownPath(path), missing.join(QLatin1Char(',')));
}

// Whether SQLite lets the file change: the file's own user_version written
// again, in a transaction that is rolled back. Unlike the file's permissions
// this also finds a folder that refuses SQLite's journal.
bool takesWrites(QSqlDatabase &db, QString *refusal)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        *refusal = reason(query.lastError());
        return false;
    }
    const int version = query.value(0).toInt();
    query.finish();
    if (!db.transaction()) {
        *refusal = reason(db.lastError());
        return false;
    }
    const bool written = query.exec(QStringLiteral("PRAGMA user_version = %1").arg(version));
    if (!written)
        *refusal = reason(query.lastError());
    query.finish();
    db.rollback();
    return written;
}

// Inserts the rows of rows (groupname, paramname, paramvalue, encrypt) into
// cfgparam of target, in one transaction; returns how many.
int insertRows(QSqlQuery &rows, QSqlDatabase &target)
{
    QSqlQuery write(target);
    write.prepare(QStringLiteral("INSERT INTO cfgparam (groupname, paramname, paramvalue, encrypt) VALUES (?, ?, ?, ?)"));
    int inserted = 0;
    target.transaction();
    while (rows.next()) {
        for (int column = 0; column < 4; ++column)
            write.bindValue(column, rows.value(column));
        inserted += write.exec() ? 1 : 0;
    }
    target.commit();
    return inserted;
}

// Copies the rows of cfgparam of the file at path into target, in their
// order, through a connection that may only read the file. Returns the rows
// copied, or -1 when the file holds no cfgparam to copy (it is missing, has
// no such table, or cannot be read: then problem says why).
int copyRows(const QString &path, const QString &connection, QSqlDatabase &target, QString *problem)
{
    if (!QFileInfo::exists(path))
        return -1;
    int copied = -1;
    {
        QSqlDatabase source = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        source.setDatabaseName(path);
        source.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
        const bool opened = source.open();
        QSqlQuery read(source);
        if (!opened) {
            *problem = unusable(path, source.lastError());
        } else if (!read.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'cfgparam'"))
                   || !read.next()) {
            *problem = unusable(path, read.lastError());
        } else if (read.value(0).toInt() > 0) {
            *problem = missingColumns(source, path);
            if (problem->isEmpty()
                && !read.exec(QStringLiteral("SELECT groupname, paramname, paramvalue, encrypt FROM cfgparam "
                                             "ORDER BY rowid")))
                *problem = unusable(path, read.lastError());
            if (problem->isEmpty())
                copied = insertRows(read, target);
        }
        read.finish();
        source.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return copied;
}

} // namespace

VLocalDb::VLocalDb(const QString &path, Mode mode)
    : m_path(path)
    , m_connection(nextConnectionName())
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    // A database another program holds locked fails a write after a quarter
    // of a second, instead of Qt's five seconds of a frozen window.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
    if (mode == Mode::InFile) {
        const bool existed = QFileInfo::exists(path);
        db.setDatabaseName(path);
        if (openFile(db)) {
            m_fresh = !existed;
            qCDebug(lcWidget) << "opened" << path;
            return;
        }
        db.close();
        logFailure(__LINE__, m_problem);
    }
    openInMemory(db);
}

// Opens the file and tells whether it keeps changes; sets m_problem when it
// does not. SQLite opens any file lazily; the first statement tells whether
// it is a database. A file that is not, or whose cfgparam is another table
// than ours, is never written to.
bool VLocalDb::openFile(QSqlDatabase &db)
{
    if (!db.open()) {
        m_problem = QStringLiteral("配置库[%1]打开失败: %2").arg(shownPath(m_path), reason(db.lastError()));
        return false;
    }
    QSqlQuery query(db);
    if (!query.exec(CreateTable)) {
        m_problem = unusable(m_path, query.lastError());
        return false;
    }
    m_problem = missingColumns(db, m_path);
    if (!m_problem.isEmpty())
        return false;
    QString refusal;
    if (!takesWrites(db, &refusal)) {
        m_problem = QStringLiteral("配置库[%1]不能写入: %2").arg(shownPath(m_path), refusal);
        return false;
    }
    m_open = m_keepsChanges = true;
    return true;
}

// Makes db a database in memory that starts with what the file's cfgparam
// holds when it can be read. Why the file itself cannot be used has been said
// already when m_problem is set; otherwise a file that cannot be read is the
// problem.
void VLocalDb::openInMemory(QSqlDatabase &db)
{
    db.setDatabaseName(QStringLiteral(":memory:"));
    if (!db.open() || !QSqlQuery(db).exec(CreateTable)) {
        logFailure(__LINE__, QStringLiteral("内存配置库无法建立: %1").arg(db.lastError().text()));
        return;
    }
    m_open = true;
    QString unreadable;
    const int copied = copyRows(m_path, m_connection + QStringLiteral("-source"), db, &unreadable);
    m_fresh = copied < 0;
    if (m_problem.isEmpty() && !unreadable.isEmpty()) {
        m_problem = unreadable;
        logFailure(__LINE__, m_problem);
    }
    VOutput(0, QStringLiteral(__FILE__), __LINE__, QString(),
            copied < 0 ? QStringLiteral("配置库在内存中运行, 本次运行的设置不会保存, 文件[%1]不受影响")
                             .arg(shownPath(m_path))
                       : QStringLiteral("配置库[%1]的%2条参数已复制到内存, 本次运行的设置不会保存, 该文件不受影响")
                             .arg(shownPath(m_path))
                             .arg(copied));
}

VLocalDb::~VLocalDb()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

QString VLocalDb::path() const
{
    return m_path;
}

bool VLocalDb::isOpen() const
{
    return m_open;
}

bool VLocalDb::keepsChanges() const
{
    return m_keepsChanges;
}

bool VLocalDb::isFresh() const
{
    return m_fresh;
}

QString VLocalDb::problem() const
{
    return m_problem;
}

QSqlDatabase VLocalDb::database() const
{
    return QSqlDatabase::database(m_connection, false);
}

bool VLocalDb::getCfgParam(const QString &group, QHash<QString, QVariant> &params) const
{
    params.clear();
    if (!m_open)
        return false;
    QSqlQuery query(database());
    query.prepare(QStringLiteral("SELECT paramname, paramvalue FROM cfgparam WHERE groupname = :groupname "
                                 "ORDER BY rowid"));
    query.bindValue(QStringLiteral(":groupname"), group);
    if (!query.exec()) {
        logFailure(__LINE__, QStringLiteral("读取配置组[%1]失败: %2").arg(group, query.lastError().text()));
        return false;
    }
    while (query.next())
        params.insert(query.value(0).toString(), query.value(1));
    return true;
}

bool VLocalDb::setCfgParam(const QString &group, const QHash<QString, QVariant> &params, bool replace)
{
    if (!m_open)
        return false;
    QSqlDatabase db = database();
    if (!db.transaction())
        return writeFailed(__LINE__, group, db.lastError());
    QSqlQuery query(db);
    bool ok = true;
    if (replace) {
        query.prepare(QStringLiteral("DELETE FROM cfgparam WHERE groupname = :groupname"));
        query.bindValue(QStringLiteral(":groupname"), group);
        ok = query.exec();
    } else {
        query.prepare(QStringLiteral("DELETE FROM cfgparam WHERE groupname = :groupname AND paramname = :paramname"));
        for (auto it = params.cbegin(); ok && it != params.cend(); ++it) {
            query.bindValue(QStringLiteral(":groupname"), group);
            query.bindValue(QStringLiteral(":paramname"), it.key());
            ok = query.exec();
        }
    }
    if (ok) {
        query.prepare(QStringLiteral("INSERT INTO cfgparam (groupname, paramname, paramvalue, encrypt) "
                                     "VALUES (:groupname, :paramname, :paramvalue, '0')"));
        for (auto it = params.cbegin(); ok && it != params.cend(); ++it) {
            query.bindValue(QStringLiteral(":groupname"), group);
            query.bindValue(QStringLiteral(":paramname"), it.key());
            // Stored as text: toInt, toBool and toString read every value back.
            query.bindValue(QStringLiteral(":paramvalue"), it.value().toString());
            ok = query.exec();
        }
    }
    if (!ok) {
        const QSqlError error = query.lastError();
        db.rollback();
        return writeFailed(__LINE__, group, error);
    }
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        db.rollback();
        return writeFailed(__LINE__, group, error);
    }
    if (m_unkeptWrites > 0) {
        VOutput(1, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("配置库[%1]恢复写入, 此前%2次保存失败")
                    .arg(QDir::toNativeSeparators(m_path))
                    .arg(m_unkeptWrites));
        m_unkeptWrites = 0;
    }
    return true;
}

bool VLocalDb::writeFailed(int line, const QString &group, const QSqlError &error)
{
    if (m_unkeptWrites++ == 0)
        logFailure(line, QStringLiteral("保存配置组[%1]失败: %2").arg(group, reason(error)));
    return false;
}
