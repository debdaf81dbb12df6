#include "vcsv.h"

#include <QFile>
#include <QTextStream>

QStringList VCsv::splitLine(const QString &line, bool *ok)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < line.size() && line.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    if (ok)
        *ok = !quoted;
    return fields;
}

bool VCsv::read(const QString &path, QVector<Line> &lines, QString *error)
{
    lines.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QTextStream in(&file);
    in.setCodec("UTF-8");
    int number = 0;
    while (!in.atEnd()) {
        const QString text = in.readLine();
        ++number;
        const QString trimmed = text.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        bool ok = true;
        Line line;
        line.number = number;
        line.fields = splitLine(text, &ok);
        if (!ok) {
            if (error)
                *error = QStringLiteral("line %1: unterminated quote").arg(number);
            lines.clear();
            return false;
        }
        lines.append(line);
    }
    return true;
}
