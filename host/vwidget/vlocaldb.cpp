#include "vlocaldb.h"

#include <voutput.h>

#include <QAtomicInt>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSqlError>
#include <QSqlQuery>

Q_LOGGING_CATEGORY(lcLocalDb, "vexa.widget.localdb", QtInfoMsg)

namespace {

void logFailure(int line, const QString &message)
{
    VOutput(3, QStringLiteral(__FILE__), line, QString(), message);
}

QString nextConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("vlocaldb-%1").arg(counter.fetchAndAddRelaxed(1));
}

} // namespace

VLocalDb::VLocalDb(const QString &path)
    : m_path(path)
    , m_connection(nextConnectionName())
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(path);
    if (!db.open()) {
        logFailure(__LINE__, QStringLiteral("本地配置库[%1]打开失败: %2").arg(path, db.lastError().text()));
        return;
    }
    // SQLite opens any file lazily; the first statement tells whether it is a
    // database. A file that is not is never written to.
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS cfgparam ("
                                   "groupname TEXT NOT NULL, paramname TEXT NOT NULL, "
                                   "paramvalue TEXT, encrypt TEXT NOT NULL DEFAULT '0')"))) {
        logFailure(__LINE__, QStringLiteral("本地配置库[%1]不可用: %2").arg(path, query.lastError().text()));
        db.close();
        return;
    }
    m_open = true;
    qCDebug(lcLocalDb) << "opened" << path;
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
    if (!db.transaction()) {
        logFailure(__LINE__, QStringLiteral("保存配置组[%1]失败: %2").arg(group, db.lastError().text()));
        return false;
    }
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
        logFailure(__LINE__, QStringLiteral("保存配置组[%1]失败: %2").arg(group, query.lastError().text()));
        db.rollback();
        return false;
    }
    if (!db.commit()) {
        logFailure(__LINE__, QStringLiteral("保存配置组[%1]失败: %2").arg(group, db.lastError().text()));
        db.rollback();
        return false;
    }
    return true;
}
