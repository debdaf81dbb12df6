#include "stkquoterouter.h"

#include <quotbatch.h>
#include <quotetext.h>

#include <vquotdata.h>

#include <cmath>

namespace {

bool same(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace

StkQuoteRouter::StkQuoteRouter(QList<StkModel::Row> *allRows, QList<StkModel::Row> *shownRows, StkModel *model,
                               QObject *parent)
    : QObject(parent)
    , m_allRows(allRows)
    , m_shownRows(shownRows)
    , m_model(model)
    , m_quotes(new QuotBatch(this))
{
    connect(m_quotes, &QuotBatch::ready, this, &StkQuoteRouter::applyQuotes);
}

void StkQuoteRouter::add(const VQuotData &record)
{
    m_quotes->add(record);
}

void StkQuoteRouter::allRowAppended()
{
    m_allIndex.append(m_allRows->constLast());
    // A new row shows "0.00" in every quote column.
    m_allValues.append(Values {});
    m_shownOfAll.append(-1);
}

void StkQuoteRouter::shownRowsChanged()
{
    m_shownIndex.rebuild(*m_shownRows);
    m_shownOfAll.fill(-1);
    for (int shown = m_shownRows->size() - 1; shown >= 0; --shown) {
        const StkModel::Row &row = m_shownRows->at(shown);
        const int all = m_allIndex.rowOf(SecurityId::of(row.value(StkModel::Market), row.value(StkModel::Code)));
        if (all >= 0)
            m_shownOfAll[all] = shown; // the first shown row of the security, as a search finds it
    }
}

void StkQuoteRouter::applyQuotes()
{
    for (const VQuotData &quote : m_quotes->take()) {
        const SecurityId security = SecurityId::of(quote);
        const int all = m_allIndex.rowOf(security);
        if (all < 0)
            continue;
        const int shown = m_shownOfAll.at(all);
        // The record's change ratio is a fraction; the column "涨幅%" holds it in percent.
        const Values values = {quote.lastPrice,   quote.priceChangeRatio * 100.0, quote.priceChange,
                               double(quote.matchQuantity), quote.bidPrice[0], quote.askPrice[0],
                               quote.matchAmount, quote.highPrice,           quote.lowPrice,
                               quote.openingPrice, quote.preClosingPrice,    quote.highLimitPrice,
                               quote.lowLimitPrice};
        Values &written = m_allValues[all];
        StkModel::Row &allRow = (*m_allRows)[all];
        StkModel::Row *shownRow = shown >= 0 ? &(*m_shownRows)[shown] : nullptr;
        bool changed = false;
        for (size_t i = 0; i < values.size(); ++i) {
            if (same(values[i], written[i]))
                continue;
            written[i] = values[i];
            const QString text = QuoteText::fixed(values[i], 2);
            allRow[StkModel::Last + int(i)] = text;
            if (shownRow)
                (*shownRow)[StkModel::Last + int(i)] = text;
            changed = true;
        }
        if (changed && shownRow)
            m_model->rowChanged(shown);
    }
}
