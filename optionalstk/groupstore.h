#pragma once

#include <QMap>
#include <QSqlDatabase>
#include <QStringList>

class QSqlQuery;

// The watchlist's groups in the table cfgparam of the local configuration
// database: one row per group under the group name "OptionalStk", paramname
// the group's name, paramvalue its security ids, each followed by ",", newest
// first. The table is the single source of truth: every change is followed by
// loadGroups(), which rebuilds the in-memory map from it.
//
// Every operation says whether it succeeded; a failure is logged, of
// statements failing one after another (a full disk, a lock) only the first,
// until a change is kept again. A read that fails keeps the groups read
// before, so a busy or failing database shows the groups the user had; the
// removal of several securities from a group is one transaction.
class GroupStore
{
public:
    // The handle is copied; an invalid or closed database reads as no groups.
    explicit GroupStore(const QSqlDatabase &db);

    // Creates the group "自选股1" when the table holds no watchlist row at all.
    void initDefaultGroup();
    // Rebuilds the group map and the ordered name list from the table.
    bool loadGroups();
    // An empty entry creates the group; otherwise the id is prepended to its list.
    bool saveGroupStk(const QString &group, const QString &entry);
    // An empty list deletes the group; otherwise every id of the list (one id,
    // or several each followed by ",") is removed from the group as a whole entry.
    bool deleteGroupStk(const QString &group, const QString &ids);
    // Renames the group's row in place, so the group keeps its position.
    bool renameGroup(const QString &oldName, const QString &newName);

    // Group name → list text, as of the last loadGroups().
    const QMap<QString, QString> &groups() const { return m_groups; }
    // Group names in creation order, as of the last loadGroups().
    const QStringList &groupNames() const { return m_names; }
    // Every id of every group once, as first met going through the groups by name.
    QStringList ids() const;

    // The ids of a list text: split at "," with empty parts dropped, so a
    // missing final comma, a lone comma and the empty text all read correctly.
    static QStringList entries(const QString &list);

    static const QString DefaultGroupName;

private:
    // Runs a prepared statement; a failure is logged with the statement's purpose.
    bool run(QSqlQuery &query, int line, const QString &what);
    void logFailure(int line, const QString &what, const QString &reason);

    QSqlDatabase m_db;
    bool m_failing = false; // a failure was logged and no change kept since
    QMap<QString, QString> m_groups;
    QStringList m_names;
};
