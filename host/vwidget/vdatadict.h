#pragma once

#include "vwidget_global.h"

#include <QHash>
#include <QString>

// The client's code-to-text dictionary: entries (for example "4" market
// names, "30070" futures product names), each mapping item codes to texts.
class VWIDGET_EXPORT VDataDict
{
public:
    // The text of item under entry. An item holding several codes joined by
    // separator is translated code by code and joined again; a code without a
    // text stays as it is.
    QString transDictItem(const QString &entry, const QString &item, char separator) const;

    void setItem(const QString &entry, const QString &item, const QString &text);
    QHash<QString, QString> entry(const QString &entry) const;

private:
    QHash<QString, QHash<QString, QString>> m_entries;
};
