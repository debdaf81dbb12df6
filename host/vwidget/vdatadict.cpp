#include "vdatadict.h"

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

