#include "stkquoterouter.h"

#include <quotbatch.h>
#include <quotetext.h>

#include <vquotdata.h>

#include <cmath>
#include <utility>

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
    m_unwritten.append(0);
    m_shownOfAll.append(-1);
}

void StkQuoteRouter::shownRowsChanged()
{
    m_shownIndex.rebuild(*m_shownRows);
    m_shownOfAll.fill(-1);
    m_allOfShown.fill(-1, m_shownRows->size());
    for (int shown = m_shownRows->size() - 1; shown >= 0; --shown) {
        const StkModel::Row &row = m_shownRows->at(shown);
        const int all = m_allIndex.rowOf(SecurityId::of(row.value(StkModel::Market), row.value(StkModel::Code)));
        m_allOfShown[shown] = all;
        if (all >= 0)
            m_shownOfAll[all] = shown; // the first shown row of the security, as a search finds it
    }
}

void StkQuoteRouter::applyQuotes()
{
    for (const VQuotData &quote : m_quotes->take()) {
        const int all = m_allIndex.rowOf(SecurityId::of(quote));
        if (all < 0)
            continue;
        // The record's change ratio is a fraction; the column "涨幅%" holds it in percent.
        const Values values = {quote.lastPrice,   quote.priceChangeRatio * 100.0, quote.priceChange,
                               double(quote.matchQuantity), quote.bidPrice[0], quote.askPrice[0],
                               quote.matchAmount, quote.highPrice,           quote.lowPrice,
                               quote.openingPrice, quote.preClosingPrice,    quote.highLimitPrice,
                               quote.lowLimitPrice};
        Values &latest = m_allValues[all];
        bool changed = false;
        for (size_t i = 0; i < values.size(); ++i) {
            if (same(values[i], latest[i]))
                continue;
            latest[i] = values[i];
            m_unwritten[all] |= quint16(1u << i);
            changed = true;
        }
        const int shown = m_shownOfAll.at(all);
        if (changed && shown >= 0)
            m_model->rowChanged(shown);
    }
}

void StkQuoteRouter::writeShownRow(int shown)
{
    const int all = m_allOfShown.value(shown, -1);
    if (all >= 0 && m_unwritten.at(all) != 0)
        writeRow(all);
}

void StkQuoteRouter::writeRow(int all)
{
    const Values &values = m_allValues.at(all);
    StkModel::Row &allRow = (*m_allRows)[all];
    const int shown = m_shownOfAll.at(all);
    StkModel::Row *shownRow = shown >= 0 && shown < m_shownRows->size() ? &(*m_shownRows)[shown] : nullptr;
    const quint16 unwritten = std::exchange(m_unwritten[all], 0);
    for (size_t i = 0; i < values.size(); ++i) {
        if (!(unwritten & (1u << i)))
            continue;
        const QString text = QuoteText::fixed(values[i], 2);
        allRow[StkModel::Last + int(i)] = text;
        if (shownRow)
            (*shownRow)[StkModel::Last + int(i)] = text;
    }
}
