#include "groupstore.h"

#include "optionalstklog.h"

#include <voutput.h>

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

const QString GroupStore::DefaultGroupName = QStringLiteral("自选股1");

namespace {

const QString WatchlistGroup = QStringLiteral("OptionalStk");

} // namespace

bool GroupStore::run(QSqlQuery &query, int line, const QString &what)
{
    if (query.exec()) {
        if (!query.isSelect())
            m_failing = false;
        return true;
    }
    logFailure(line, what, query.lastError().text());
    return false;
}

void GroupStore::logFailure(int line, const QString &what, const QString &reason)
{
    if (!m_failing)
        VOutput(3, QStringLiteral(__FILE__), line, QString(), QStringLiteral("自选股分组%1失败: %2").arg(what, reason));
    m_failing = true;
}

GroupStore::GroupStore(const QSqlDatabase &db)
    : m_db(db)
{
}

void GroupStore::initDefaultGroup()
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("select paramname,paramvalue from cfgparam where groupname='OptionalStk'"));
    // Without a readable table nothing is known about existing groups: create none.
    if (!run(query, __LINE__, QStringLiteral("读取")) || query.next())
        return;
    qCDebug(lcOptionalStk) << "creating the default group";
    saveGroupStk(DefaultGroupName, QString());
}

bool GroupStore::loadGroups()
{
    QSqlQuery query(m_db);
    query.prepare(
        QStringLiteral("select paramname,paramvalue from cfgparam where groupname='OptionalStk' order by rowid"));
    if (!run(query, __LINE__, QStringLiteral("读取")))
        return false;
    QMap<QString, QString> groups;
    QStringList names;
    while (query.next()) {
        const QString name = query.value(0).toString();
        if (!groups.contains(name))
            names.append(name);
        groups.insert(name, query.value(1).toString());
    }
    // A read that broke off midway is no read: what was read before stays.
    if (query.lastError().isValid()) {
        logFailure(__LINE__, QStringLiteral("读取"), query.lastError().text());
        return false;
    }
    m_groups = groups;
    m_names = names;
    qCDebug(lcOptionalStk) << "loaded groups" << m_names;
    return true;
}

bool GroupStore::saveGroupStk(const QString &group, const QString &entry)
{
    QSqlQuery query(m_db);
    if (entry.isEmpty()) {
        query.prepare(QStringLiteral("INSERT INTO cfgparam (groupname, paramname, paramvalue,encrypt) "
                                     "VALUES (:groupname, :paramname, :paramvalue,:encrypt)"));
        query.bindValue(QStringLiteral(":groupname"), WatchlistGroup);
        query.bindValue(QStringLiteral(":paramname"), group);
        query.bindValue(QStringLiteral(":paramvalue"), QLatin1String(""));
        query.bindValue(QStringLiteral(":encrypt"), QStringLiteral("0"));
        return run(query, __LINE__, QStringLiteral("[%1]创建").arg(group));
    }
    // ifnull: a row written by another tool with a NULL list still takes the entry.
    query.prepare(QStringLiteral("UPDATE cfgparam SET paramvalue=:paramvalue||ifnull(paramvalue,'') "
                                 "WHERE groupname='OptionalStk' AND paramname=:paramname"));
    query.bindValue(QStringLiteral(":paramname"), group);
    query.bindValue(QStringLiteral(":paramvalue"), entry + QLatin1Char(','));
    return run(query, __LINE__, QStringLiteral("[%1]添加[%2]").arg(group, entry));
}

bool GroupStore::deleteGroupStk(const QString &group, const QString &ids)
{
    QSqlQuery query(m_db);
    if (ids.isEmpty()) {
        query.prepare(QStringLiteral("delete from cfgparam where groupname='OptionalStk' and paramname=:paramname"));
        query.bindValue(QStringLiteral(":paramname"), group);
        return run(query, __LINE__, QStringLiteral("[%1]删除").arg(group));
    }
    // A plain replace of "23," would also cut the tail off an entry "123,".
    // The list is therefore framed by commas (",a,b,c,", which also completes
    // a last entry written without its comma) and ",id," is replaced by ",",
    // so only a whole entry matches; the leading comma is dropped again, which
    // leaves the empty text when the last entry goes.
    query.prepare(QStringLiteral(
        "UPDATE cfgparam SET paramvalue=ltrim(replace(','||rtrim(paramvalue,',')||',',:paramvalue,','),',') "
        "WHERE groupname='OptionalStk' AND paramname=:paramname"));
    // Several ids go together or not at all.
    const QStringList list = entries(ids);
    const bool together = list.size() > 1;
    if (together && !m_db.transaction()) {
        logFailure(__LINE__, QStringLiteral("[%1]删除").arg(group), m_db.lastError().text());
        return false;
    }
    for (const QString &id : list) {
        query.bindValue(QStringLiteral(":paramname"), group);
        query.bindValue(QStringLiteral(":paramvalue"), QLatin1Char(',') + id + QLatin1Char(','));
        if (!run(query, __LINE__, QStringLiteral("[%1]删除[%2]").arg(group, id))) {
            if (together)
                m_db.rollback();
            return false;
        }
    }
    if (together && !m_db.commit()) {
        logFailure(__LINE__, QStringLiteral("[%1]删除").arg(group), m_db.lastError().text());
        m_db.rollback();
        return false;
    }
    return true;
}

bool GroupStore::renameGroup(const QString &oldName, const QString &newName)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("UPDATE cfgparam SET paramname=:newparamname "
                                 "WHERE groupname='OptionalStk' AND paramname=:oldparamname"));
    query.bindValue(QStringLiteral(":oldparamname"), oldName);
    query.bindValue(QStringLiteral(":newparamname"), newName);
    return run(query, __LINE__, QStringLiteral("[%1]改名为[%2]").arg(oldName, newName));
}

QStringList GroupStore::ids() const
{
    QStringList ids;
    QSet<QString> seen;
    for (const QString &list : m_groups) {
        for (const QString &id : entries(list)) {
            if (!seen.contains(id)) {
                seen.insert(id);
                ids.append(id);
            }
        }
    }
    return ids;
}

QStringList GroupStore::entries(const QString &list)
{
    return list.split(QLatin1Char(','), Qt::SkipEmptyParts);
}
