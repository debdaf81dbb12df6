#include "vdatadict.h"

#include <vcsv.h>
#include <voutput.h>

QString VDataDict::transDictItem(const QString &entry, const QString &item, char separator) const
{
    const auto e = m_entries.constFind(entry);
    if (e == m_entries.cend())
        return item;
    const QChar sep = QLatin1Char(separator);
    if (separator == 0 || !item.contains(sep))
        return e->value(item, item);
    QStringList texts = item.split(sep);
    for (QString &code : texts)
        code = e->value(code, code);
    return texts.join(sep);
}

void VDataDict::setItem(const QString &entry, const QString &item, const QString &text)
{
    m_entries[entry].insert(item, text);
}

QHash<QString, QString> VDataDict::entry(const QString &entry) const
{
    return m_entries.value(entry);
}

bool VDataDict::loadCsv(const QString &path)
{
    QVector<VCsv::Line> lines;
    QString error;
    if (!VCsv::read(path, lines, &error)) {
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("数据字典[%1]读取失败: %2").arg(path, error));
        return false;
    }
    for (const VCsv::Line &line : qAsConst(lines)) {
        if (line.fields.size() != 3 || line.fields.at(0).isEmpty()) {
            VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                    QStringLiteral("数据字典[%1]第%2行格式错误,已跳过").arg(path).arg(line.number));
            continue;
        }
        if (line.number == lines.constFirst().number && line.fields.at(0) == QLatin1String("entry"))
            continue;
        setItem(line.fields.at(0), line.fields.at(1), line.fields.at(2));
    }
    return true;
}
