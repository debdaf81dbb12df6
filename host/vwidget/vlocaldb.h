#pragma once

#include "vwidget_global.h"

#include <QHash>
#include <QSqlDatabase>
#include <QVariant>

class QSqlError;

// The client's local configuration database: a SQLite file holding the table
//   cfgparam(groupname, paramname, paramvalue, encrypt)
// in which every module keeps named parameter sets. A file that cannot be
// opened, that is not a SQLite database or whose cfgparam lacks a column is
// logged and left untouched; the database then reads as empty and refuses
// writes. A file that reads but refuses writes (read-only) is read as usual
// and refuses writes.
class VWIDGET_EXPORT VLocalDb
{
public:
    explicit VLocalDb(const QString &path);
    ~VLocalDb();
    VLocalDb(const VLocalDb &) = delete;
    VLocalDb &operator=(const VLocalDb &) = delete;

    QString path() const;
    // The stored sets can be read.
    bool isOpen() const;
    // Changes are kept: the file is open and takes writes.
    bool isWritable() const;
    // Why changes are not kept, naming the file; empty when they are.
    QString problem() const;
    // The open database (invalid when opening failed); callers may copy the handle.
    QSqlDatabase database() const;

    // Fills params with the set stored under group (emptied first). False when
    // the database is unusable or the read fails.
    bool getCfgParam(const QString &group, QHash<QString, QVariant> &params) const;
    // Stores params under group. With replace the stored set becomes exactly
    // params, in one transaction; without it the keys of params are updated
    // or added and other keys stay. False when nothing was stored: the
    // database is not writable or the write failed. Of writes failing one
    // after another (a full disk, a lock) only the first is logged, and the
    // next write kept again says how many were lost.
    bool setCfgParam(const QString &group, const QHash<QString, QVariant> &params, bool replace);

private:
    bool open(QSqlDatabase &db);
    // Logs the failure when it is the first since a write was kept; returns false.
    bool writeFailed(int line, const QString &group, const QSqlError &error);

    QString m_path;
    QString m_connection;
    bool m_open = false;
    bool m_writable = false;
    QString m_problem;
    int m_unkeptWrites = 0; // failed writes since the last one kept
};
