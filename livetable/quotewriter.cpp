#include "quotewriter.h"

#include "quotetext.h"

#include <vquotdata.h>

#include <cmath>
#include <limits>

namespace {

constexpr double None = std::numeric_limits<double>::quiet_NaN();

double rawValue(const VQuotData &record, QuoteValue value)
{
    switch (value) {
    case QuoteValue::LastPrice: return record.lastPrice;
    case QuoteValue::Change: return record.priceChange;
    case QuoteValue::ChangeRatio: return record.priceChangeRatio;
    case QuoteValue::ChangePercent: return record.priceChangeRatio * 100.0;
    case QuoteValue::BidPrice: return record.bidPrice[0];
    case QuoteValue::BidVolume: return double(record.bidVolume[0]);
    case QuoteValue::AskPrice: return record.askPrice[0];
    case QuoteValue::AskVolume: return double(record.askVolume[0]);
    case QuoteValue::Volume: return double(record.matchQuantity);
    case QuoteValue::Amount: return record.matchAmount;
    case QuoteValue::OpenPrice: return record.openingPrice;
    case QuoteValue::HighPrice: return record.highPrice;
    case QuoteValue::LowPrice: return record.lowPrice;
    case QuoteValue::PreClose: return record.preClosingPrice;
    case QuoteValue::PreSettlement: return record.preSettlementPrice;
    case QuoteValue::HighLimit: return record.highLimitPrice;
    case QuoteValue::LowLimit: return record.lowLimitPrice;
    case QuoteValue::OpenInterest: return double(record.openInterest);
    }
    return None;
}

bool isChange(QuoteValue value)
{
    return value == QuoteValue::Change || value == QuoteValue::ChangeRatio || value == QuoteValue::ChangePercent;
}

bool isZero(double price)
{
    return std::fabs(price) < QuoteText::Tolerance;
}

} // namespace

QuoteFormat::Kind quoteKind(QuoteValue value)
{
    switch (value) {
    case QuoteValue::Change: return QuoteFormat::Change;
    case QuoteValue::ChangeRatio:
    case QuoteValue::ChangePercent: return QuoteFormat::Percent;
    case QuoteValue::BidVolume:
    case QuoteValue::AskVolume:
    case QuoteValue::Volume:
    case QuoteValue::OpenInterest: return QuoteFormat::Volume;
    case QuoteValue::Amount: return QuoteFormat::Amount;
    case QuoteValue::LastPrice:
    case QuoteValue::BidPrice:
    case QuoteValue::AskPrice:
    case QuoteValue::OpenPrice:
    case QuoteValue::HighPrice:
    case QuoteValue::LowPrice:
    case QuoteValue::PreClose:
    case QuoteValue::PreSettlement:
    case QuoteValue::HighLimit:
    case QuoteValue::LowLimit: break;
    }
    return QuoteFormat::Price;
}

QuoteWriter::QuoteWriter(QVector<Cell> cells)
    : m_cells(std::move(cells))
{
}

std::optional<double> QuoteWriter::read(const VQuotData &record, QuoteValue value)
{
    const double raw = rawValue(record, value);
    if (!QuoteText::isShownNumber(raw))
        return std::nullopt;
    if (!isChange(value))
        return raw;
    // A change needs what it is a change of: a trade, and a price it is
    // reckoned from. A broken one of those leaves the change alone too.
    const double prices[] = {record.lastPrice, record.preSettlementPrice, record.preClosingPrice};
    for (const double price : prices) {
        if (!QuoteText::isShownNumber(price))
            return std::nullopt;
    }
    if (isZero(record.lastPrice) || (isZero(record.preSettlementPrice) && isZero(record.preClosingPrice)))
        return None;
    return raw;
}

void QuoteWriter::write(QuoteRowTarget &target, int row, const VQuotData &record) const
{
    for (const Cell &cell : m_cells) {
        const std::optional<double> value = read(record, cell.value);
        if (!value)
            continue;
        const double old = target.quoteValue(row, cell.cell);
        if (std::isnan(*value)) {
            if (!std::isnan(old))
                target.setQuoteValue(row, cell.cell, None, false);
        } else if (std::isnan(old)) {
            target.setQuoteValue(row, cell.cell, *value, false);
        } else if (std::fabs(*value - old) >= QuoteText::Tolerance) {
            target.setQuoteValue(row, cell.cell, *value, true);
        }
    }
}

QuoteWriter::Frame::Frame(std::initializer_list<QuoteRowTarget *> targets)
    : m_targets(targets)
{
    hold();
}

void QuoteWriter::Frame::hold()
{
    for (QuoteRowTarget *target : m_targets)
        target->holdChanges();
}

QuoteWriter::Frame::~Frame()
{
    for (QuoteRowTarget *target : m_targets)
        target->releaseChanges();
}
