#pragma once

#include "vframe_global.h"

#include <QStringList>
#include <QVector>

// Reads the host's reference-data files: UTF-8 text, one record per line,
// fields separated by commas, a field in double quotes may hold commas and
// doubled quotes. Blank lines and lines starting with '#' are skipped.
namespace VCsv {
struct Line
{
    int number = 0; // 1-based line number in the file, for messages
    QStringList fields;
};
// False (with the reason in error) when the file cannot be read or holds an
// unterminated quote.
VFRAME_EXPORT bool read(const QString &path, QVector<Line> &lines, QString *error);
VFRAME_EXPORT QStringList splitLine(const QString &line, bool *ok = nullptr);
} // namespace VCsv
