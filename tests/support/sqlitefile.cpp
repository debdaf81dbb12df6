#include "sqlitefile.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>

namespace {

// The header byte of the file format version that may write the file.
const qint64 WriteVersionOffset = 18;

bool writeSqliteFile(const QString &path, const QStringList &statements)
{
    const QString connection = QStringLiteral("sqlitefile");
    bool written = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        written = db.open();
        for (const QString &statement : statements)
            written = written && QSqlQuery(db).exec(statement);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return written;
}

} // namespace

QString makeUnkeptConfig(const QString &dir, UnkeptConfig kind)
{
    const QString path = QDir(dir).filePath(QStringLiteral("config.db"));
    switch (kind) {
    case UnkeptConfig::MissingFolder: return QDir(dir).filePath(QStringLiteral("no/such/folder/config.db"));
    case UnkeptConfig::NotSqlite: {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write("user notes, not a database\n") > 0 ? path : QString();
    }
    case UnkeptConfig::OtherColumns:
        return writeSqliteFile(path, {QStringLiteral("CREATE TABLE cfgparam (name, value)")}) ? path : QString();
    case UnkeptConfig::ReadOnly:
        return writeSqliteFile(path,
                               {QStringLiteral("CREATE TABLE cfgparam (groupname TEXT NOT NULL, paramname TEXT NOT "
                                               "NULL, paramvalue TEXT, encrypt TEXT NOT NULL DEFAULT '0')"),
                                QStringLiteral("INSERT INTO cfgparam VALUES ('G', 'k', 'v', '0')")})
                && makeSqliteFileReadOnly(path)
            ? path
            : QString();
    }
    return QString();
}

bool makeSqliteFileReadOnly(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.seek(WriteVersionOffset) && file.putChar(3);
}
