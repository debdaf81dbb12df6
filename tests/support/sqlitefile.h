#pragma once

#include <QMetaType>
#include <QStringList>

// Configuration databases that keep no change, as a user may have them.
enum class UnkeptConfig {
    MissingFolder, // a file in a folder that does not exist
    NotSqlite, // a text file of the user's
    OtherColumns, // a table cfgparam of another program
    ReadOnly, // ours, holding the set G = {k: v}, in a file SQLite may not write
};
Q_DECLARE_METATYPE(UnkeptConfig)

// Runs the statements on the SQLite file at path, over a connection of its
// own; the first column of the last one's rows. ok says whether all ran.
QStringList runSqlite(const QString &path, const QStringList &statements, bool *ok = nullptr);

// Makes one in dir and returns its path; empty when it could not be made.
QString makeUnkeptConfig(const QString &dir, UnkeptConfig kind);
