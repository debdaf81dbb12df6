#pragma once

#include <QMetaType>
#include <QString>

// Configuration databases that keep no change, as a user may have them.
enum class UnkeptConfig {
    MissingFolder, // a file in a folder that does not exist
    NotSqlite, // a text file of the user's
    OtherColumns, // a table cfgparam of another program
    ReadOnly, // ours, holding the set G = {k: v}, in a file SQLite may not write
};
Q_DECLARE_METATYPE(UnkeptConfig)

// Makes one in dir and returns its path; empty when it could not be made.
QString makeUnkeptConfig(const QString &dir, UnkeptConfig kind);

// Makes SQLite read the SQLite file at path and refuse every write, as it
// does a file the user may not write, which file permissions cannot show when
// the tests run as root: the file's header asks for a newer SQLite to write it.
bool makeSqliteFileReadOnly(const QString &path);
