#pragma once

#include <vquotdata.h>

#include <QString>

#include <cstring>

// A valid quote record (status 1) of one security with every number zero;
// tests set the fields they need.
inline VQuotData makeQuotRecord(char market, const QByteArray &code)
{
    VQuotData record;
    std::memset(&record, 0, sizeof record);
    record.status = 1;
    record.market = market;
    record.setCode(code);
    return record;
}

// The same of a product "market|code".
inline VQuotData makeQuotRecord(const QString &product)
{
    return makeQuotRecord(product.at(0).toLatin1(), product.mid(2).toUtf8());
}
