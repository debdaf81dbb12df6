#include "groupstore.h"

#include <voutput.h>

#include <QLoggingCategory>
#include <QSqlError>
#include <QSqlQuery>

Q_LOGGING_CATEGORY(lcGroupStore, "tarn.optionalstk.store", QtInfoMsg)

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
    if (!m_failing)
        VOutput(3, QStringLiteral(__FILE__), line, QString(),
                QStringLiteral("自选股分组%1失败: %2").arg(what, query.lastError().text()));
    m_failing = true;
    return false;
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
    qCDebug(lcGroupStore) << "creating the default group";
    saveGroupStk(DefaultGroupName, QString());
}

void GroupStore::loadGroups()
{
    m_groups.clear();
    m_names.clear();
    QSqlQuery query(m_db);
    query.prepare(
        QStringLiteral("select paramname,paramvalue from cfgparam where groupname='OptionalStk' order by rowid"));
    if (!run(query, __LINE__, QStringLiteral("读取")))
        return;
    while (query.next()) {
        const QString name = query.value(0).toString();
        if (!m_groups.contains(name))
            m_names.append(name);
        m_groups.insert(name, query.value(1).toString());
    }
    qCDebug(lcGroupStore) << "loaded groups" << m_names;
}

void GroupStore::saveGroupStk(const QString &group, const QString &entry)
{
    QSqlQuery query(m_db);
    if (entry.isEmpty()) {
        query.prepare(QStringLiteral("INSERT INTO cfgparam (groupname, paramname, paramvalue,encrypt) "
                                     "VALUES (:groupname, :paramname, :paramvalue,:encrypt)"));
        query.bindValue(QStringLiteral(":groupname"), WatchlistGroup);
        query.bindValue(QStringLiteral(":paramname"), group);
        query.bindValue(QStringLiteral(":paramvalue"), QLatin1String(""));
        query.bindValue(QStringLiteral(":encrypt"), QStringLiteral("0"));
        run(query, __LINE__, QStringLiteral("[%1]创建").arg(group));
        return;
    }
    // ifnull: a row written by another tool with a NULL list still takes the entry.
    query.prepare(QStringLiteral("UPDATE cfgparam SET paramvalue=:paramvalue||ifnull(paramvalue,'') "
                                 "WHERE groupname='OptionalStk' AND paramname=:paramname"));
    query.bindValue(QStringLiteral(":paramname"), group);
    query.bindValue(QStringLiteral(":paramvalue"), entry + QLatin1Char(','));
    run(query, __LINE__, QStringLiteral("[%1]添加[%2]").arg(group, entry));
}

void GroupStore::deleteGroupStk(const QString &group, const QString &ids)
{
    QSqlQuery query(m_db);
    if (ids.isEmpty()) {
        query.prepare(QStringLiteral("delete from cfgparam where groupname='OptionalStk' and paramname=:paramname"));
        query.bindValue(QStringLiteral(":paramname"), group);
        run(query, __LINE__, QStringLiteral("[%1]删除").arg(group));
        return;
    }
    // A plain replace of "23," would also cut the tail off an entry "123,".
    // The list is therefore framed by commas (",a,b,c,", which also completes
    // a last entry written without its comma) and ",id," is replaced by ",",
    // so only a whole entry matches; the leading comma is dropped again, which
    // leaves the empty text when the last entry goes.
    query.prepare(QStringLiteral(
        "UPDATE cfgparam SET paramvalue=ltrim(replace(','||rtrim(paramvalue,',')||',',:paramvalue,','),',') "
        "WHERE groupname='OptionalStk' AND paramname=:paramname"));
    const QStringList list = entries(ids);
    for (const QString &id : list) {
        query.bindValue(QStringLiteral(":paramname"), group);
        query.bindValue(QStringLiteral(":paramvalue"), QLatin1Char(',') + id + QLatin1Char(','));
        run(query, __LINE__, QStringLiteral("[%1]删除[%2]").arg(group, id));
    }
}

void GroupStore::renameGroup(const QString &oldName, const QString &newName)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("UPDATE cfgparam SET paramname=:newparamname "
                                 "WHERE groupname='OptionalStk' AND paramname=:oldparamname"));
    query.bindValue(QStringLiteral(":oldparamname"), oldName);
    query.bindValue(QStringLiteral(":newparamname"), newName);
    run(query, __LINE__, QStringLiteral("[%1]改名为[%2]").arg(oldName, newName));
}

QStringList GroupStore::entries(const QString &list)
{
    return list.split(QLatin1Char(','), Qt::SkipEmptyParts);
}
