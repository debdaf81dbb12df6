#include "quotrecord.h"

#include <cstring>

VQuotData makeQuotRecord(char market, const QByteArray &code)
{
    VQuotData record;
    std::memset(&record, 0, sizeof record);
    record.status = 1;
    record.market = market;
    record.setCode(code);
    return record;
}
