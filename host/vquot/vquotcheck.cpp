#include "vquotcheck.h"

#include "vquotdata.h"

#include <cmath>
#include <cstdint>

namespace vq {

namespace {

struct Field
{
    const char *name;
    int index; // element of an array field, -1 for a plain field
};

QString fieldName(const Field &field)
{
    const QString name = QLatin1String(field.name);
    return field.index < 0 ? name : QStringLiteral("%1[%2]").arg(name).arg(field.index);
}

RecordDefect fail(RecordDefect defect, QString *detail, const QString &text)
{
    if (detail)
        *detail = text;
    return defect;
}

RecordDefect checkNumber(double value, const Field &field, QString *detail)
{
    if (!std::isfinite(value))
        return fail(RecordDefect::NotFinite, detail, QStringLiteral("%1 不是有限数").arg(fieldName(field)));
    if (std::fabs(value) > MaxQuotValue)
        return fail(RecordDefect::OutOfRange, detail, QStringLiteral("%1 超出范围").arg(fieldName(field)));
    return RecordDefect::None;
}

RecordDefect checkQuantity(int64_t value, const Field &field, QString *detail)
{
    if (value < 0 || double(value) > MaxQuotValue)
        return fail(RecordDefect::OutOfRange, detail, QStringLiteral("%1 超出范围").arg(fieldName(field)));
    return RecordDefect::None;
}

} // namespace

RecordDefect recordDefect(const VQuotData &record, QString *detail)
{
    if (record.market == 0)
        return fail(RecordDefect::Market, detail, QStringLiteral("市场代码为空"));
    if (record.market <= ' ' || record.market >= 0x7f || record.market == '|')
        return fail(RecordDefect::Market, detail, QStringLiteral("市场代码无效"));
    if (!record.isCodeTerminated())
        return fail(RecordDefect::Code, detail, QStringLiteral("证券代码超出字段"));
    if (record.code[0] == 0)
        return fail(RecordDefect::Code, detail, QStringLiteral("证券代码为空"));
    if (record.status == 0)
        return RecordDefect::None;
    if (record.status != 1)
        return fail(RecordDefect::Status, detail, QStringLiteral("状态 %1 无效").arg(int(uchar(record.status))));

    static const struct
    {
        double VQuotData::*field;
        const char *name;
    } numbers[] = {
        {&VQuotData::highPrice, "highPrice"},
        {&VQuotData::lowPrice, "lowPrice"},
        {&VQuotData::lastPrice, "lastPrice"},
        {&VQuotData::preClosingPrice, "preClosingPrice"},
        {&VQuotData::openingPrice, "openingPrice"},
        {&VQuotData::settlementPrice, "settlementPrice"},
        {&VQuotData::preSettlementPrice, "preSettlementPrice"},
        {&VQuotData::highLimitPrice, "highLimitPrice"},
        {&VQuotData::lowLimitPrice, "lowLimitPrice"},
        {&VQuotData::matchAmount, "matchAmount"},
        {&VQuotData::avgPrice, "avgPrice"},
        {&VQuotData::priceChange, "priceChange"},
        {&VQuotData::priceChangeRatio, "priceChangeRatio"},
    };
    RecordDefect defect = RecordDefect::None;
    for (const auto &number : numbers) {
        if ((defect = checkNumber(record.*number.field, {number.name, -1}, detail)) != RecordDefect::None)
            return defect;
    }
    static const struct
    {
        int64_t VQuotData::*field;
        const char *name;
    } quantities[] = {
        {&VQuotData::matchQuantity, "matchQuantity"},
        {&VQuotData::openInterest, "openInterest"},
        {&VQuotData::preOpenInterest, "preOpenInterest"},
    };
    for (const auto &quantity : quantities) {
        if ((defect = checkQuantity(record.*quantity.field, {quantity.name, -1}, detail)) != RecordDefect::None)
            return defect;
    }
    for (int level = 0; level < 10; ++level) {
        if ((defect = checkNumber(record.askPrice[level], {"askPrice", level}, detail)) != RecordDefect::None
            || (defect = checkNumber(record.bidPrice[level], {"bidPrice", level}, detail)) != RecordDefect::None)
            return defect;
    }
    return RecordDefect::None;
}

} // namespace vq
