#pragma once

#include "samplesource.h"

#include <QDate>
#include <QVariant>

// Records in the form VCacheItem::load takes them.
struct SampleTable
{
    QStringList fields;
    QVector<QVector<QVariant>> rows;

    int fieldIndex(const QString &name) const { return fields.indexOf(name); }
};

// The reference data of the sample market on one business date: the
// securities cache (stocks, funds, futures and option contracts), the
// futures-contract and option-contract caches, and the dictionary. Futures
// months and option expiries are derived from the business date, so no
// contract has expired on it; ids and codes of a contract stay the same on
// every date it is listed. The same source and date give the same data.
struct SampleMarket
{
    static const QString FuturesCacheName; // "851101"
    static const QString OptionCacheName; // "600570"

    static SampleMarket generate(const SampleSource &source, const QDate &businessDate);

    SampleTable securities;
    SampleTable futures;
    SampleTable options;
    QVector<SampleDictItem> dictItems;
    // Source records that could not be turned into contracts (logged too).
    QStringList problems;
};
