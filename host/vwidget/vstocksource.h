#pragma once

#include "vwidget_global.h"

#include <QList>
#include <QSet>
#include <QString>

// One security as a security entry shows and keeps it.
struct VStockInfo
{
    QString id; // the host's internal id (stkid)
    QString code; // trading code (stkcode)
    QString name; // stkname
    QString market; // one-character market code
    QString marketName; // the market's display name; the code when the dictionary has none
    QString type; // stktype
};

// Where security entries look securities up; the host's stock helper
// provides one over its securities cache.
class VWIDGET_EXPORT VStockSource
{
public:
    virtual ~VStockSource();
    // At most limit securities whose code starts with text, whose name's
    // pinyin initials start with it ("zgpa" for 中国平安) or whose name
    // contains it, ignoring case: code matches first, then initials, then
    // names, each group in the source's order. Securities of a type in
    // hiddenTypes are left out.
    virtual QList<VStockInfo> findStocks(const QString &text, const QSet<QString> &hiddenTypes, int limit) const = 0;
    // The security with this internal id; false when there is none.
    virtual bool stockById(const QString &id, VStockInfo &info) const = 0;
};
