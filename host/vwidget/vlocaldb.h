#pragma once

#include "vwidget_global.h"

#include <QHash>
#include <QSqlDatabase>
#include <QVariant>

class QSqlError;

// The client's local configuration database: a SQLite file holding the table
//   cfgparam(groupname, paramname, paramvalue, encrypt)
// in which every module keeps named parameter sets. A file whose changes
// cannot be kept (it cannot be opened, is not a SQLite database, its cfgparam
// lacks a column, or it refuses writes) is logged and left untouched; the run
// then works on a database in memory, which starts with what the file holds
// when it can be read and takes every change until the run ends.
class VWIDGET_EXPORT VLocalDb
{
public:
    enum class Mode {
        InFile, // changes go to the file
        InMemory, // a copy of the file in memory: the file is only read, nothing of the run is kept
    };

    explicit VLocalDb(const QString &path, Mode mode = Mode::InFile);
    ~VLocalDb();
    VLocalDb(const VLocalDb &) = delete;
    VLocalDb &operator=(const VLocalDb &) = delete;

    QString path() const;
    // The database can be used (false only when SQLite itself is missing).
    bool isOpen() const;
    // Changes are kept: they go to the file.
    bool keepsChanges() const;
    // Nothing was read from an earlier run: the file was created now, or the
    // database in memory found no cfgparam to copy.
    bool isFresh() const;
    // Why the file cannot keep changes, naming it; empty when it can, and
    // for a copy in memory of a file that could be read.
    QString problem() const;
    // The open database; callers may copy the handle (a copy in memory is
    // one connection, which every copy of the handle shares).
    QSqlDatabase database() const;

    // Fills params with the set stored under group (emptied first). False when
    // the read fails.
    bool getCfgParam(const QString &group, QHash<QString, QVariant> &params) const;
    // Stores params under group. With replace the stored set becomes exactly
    // params, in one transaction; without it the keys of params are updated
    // or added and other keys stay. False when nothing was stored: the write
    // failed. Of writes failing one
    // after another (a full disk, a lock) only the first is logged, and the
    // next write kept again says how many were lost.
    bool setCfgParam(const QString &group, const QHash<QString, QVariant> &params, bool replace);

private:
    bool openFile(QSqlDatabase &db);
    void openInMemory(QSqlDatabase &db);
    // Logs the failure when it is the first since a write was kept; returns false.
    bool writeFailed(int line, const QString &group, const QSqlError &error);

    QString m_path;
    QString m_connection;
    bool m_open = false;
    bool m_keepsChanges = false;
    bool m_fresh = false;
    QString m_problem;
    int m_unkeptWrites = 0; // failed writes since the last one kept
};
