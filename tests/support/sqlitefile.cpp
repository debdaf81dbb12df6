#include "sqlitefile.h"

#include "testutil.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>

// The header byte of the file format version that may write the file.
const qint64 WriteVersionOffset = 18;

// Makes SQLite read the SQLite file at path and refuse every write, as it
// does a file the user may not write, which file permissions cannot show when
// the tests run as root: the file's header asks for a newer SQLite to write it.
static bool makeSqliteFileReadOnly(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.seek(WriteVersionOffset) && file.putChar(3);
}

QStringList runSqlite(const QString &path, const QStringList &statements, bool *ok)
{
    const QString connection = QStringLiteral("sqlitefile");
    QStringList values;
    bool done = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        done = db.open();
        for (const QString &statement : statements) {
            QSqlQuery query(db);
            done = done && query.exec(statement);
            for (values.clear(); query.next();)
                values << query.value(0).toString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    if (ok)
        *ok = done;
    return values;
}

QString makeUnkeptConfig(const QString &dir, UnkeptConfig kind)
{
    const QString path = QDir(dir).filePath(QStringLiteral("config.db"));
    bool written = false;
    switch (kind) {
    case UnkeptConfig::MissingFolder: return QDir(dir).filePath(QStringLiteral("no/such/folder/config.db"));
    case UnkeptConfig::NotSqlite: return writeFile(path, "user notes, not a database\n") ? path : QString();
    case UnkeptConfig::OtherColumns:
        runSqlite(path, {QStringLiteral("CREATE TABLE cfgparam (name, value)")}, &written);
        return written ? path : QString();
    case UnkeptConfig::ReadOnly:
        runSqlite(path,
                  {QStringLiteral("CREATE TABLE cfgparam (groupname TEXT NOT NULL, paramname TEXT NOT NULL, "
                                  "paramvalue TEXT, encrypt TEXT NOT NULL DEFAULT '0')"),
                   QStringLiteral("INSERT INTO cfgparam VALUES ('G', 'k', 'v', '0')")},
                  &written);
        return written && makeSqliteFileReadOnly(path) ? path : QString();
    }
    return QString();
}
