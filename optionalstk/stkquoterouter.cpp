#include "stkquoterouter.h"

#include <quotbatch.h>
#include <quotetext.h>

#include <vquotdata.h>

#include <iterator>
#include <limits>
#include <utility>

namespace {

// The record values of the quote columns, from Last on.
const QuoteValue ColumnValues[] = {QuoteValue::LastPrice, QuoteValue::ChangePercent, QuoteValue::Change,
                                   QuoteValue::Volume,    QuoteValue::BidPrice,      QuoteValue::AskPrice,
                                   QuoteValue::Amount,    QuoteValue::HighPrice,     QuoteValue::LowPrice,
                                   QuoteValue::OpenPrice, QuoteValue::PreClose,      QuoteValue::HighLimit,
                                   QuoteValue::LowLimit};
static_assert(std::size(ColumnValues) == StkModel::LimitDown - StkModel::Last + 1, "a value for every quote column");

QVector<QuoteWriter::Cell> quoteCells()
{
    QVector<QuoteWriter::Cell> cells;
    for (const QuoteValue value : ColumnValues)
        cells.append({cells.size(), value});
    return cells;
}

// A quote column's text: volumes (in lots) and amounts whole, for the model to shorten.
QString cellText(QuoteValue value, double number, const QuoteFormat &format)
{
    const QuoteFormat::Kind kind = quoteKind(value);
    if (!QuoteFormat::hasValue(kind, number))
        return QStringLiteral("--");
    switch (kind) {
    case QuoteFormat::Volume: return QuoteText::fixed(format.lots(number), 0);
    case QuoteFormat::Amount: return QuoteText::fixed(number, 0);
    default: return format.text(kind, number);
    }
}

} // namespace

StkQuoteRouter::StkQuoteRouter(QList<StkModel::Row> *allRows, QList<StkModel::Row> *shownRows, StkModel *model,
                               QObject *parent)
    : QObject(parent)
    , m_allRows(allRows)
    , m_shownRows(shownRows)
    , m_model(model)
    , m_quotes(new QuotBatch(this))
    , m_writer(quoteCells())
{
    connect(m_quotes, &QuotBatch::ready, this, &StkQuoteRouter::applyQuotes);
}

void StkQuoteRouter::add(const VQuotData &record)
{
    m_quotes->add(record);
}

void StkQuoteRouter::allRowAppended()
{
    const StkModel::Row &row = m_allRows->constLast();
    m_allIndex.append(row);
    // A new row shows "--" in every quote column until its first record.
    Values none;
    none.fill(std::numeric_limits<double>::quiet_NaN());
    m_allValues.append(none);
    m_formats.append(
        m_securityFormats.of(SecurityId::of(row.value(StkModel::Market), row.value(StkModel::Code))));
    m_unwritten.append(0);
    m_shownOfAll.append(-1);
    // What the module already has of the security shows at the next frame.
    m_quotes->addLatest(SecurityId::of(row.value(StkModel::Market), row.value(StkModel::Code)));
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
    const QuoteWriter::Frame frame {this};
    for (const VQuotData &quote : m_quotes->take()) {
        const int all = m_allIndex.rowOf(SecurityId::of(quote));
        if (all >= 0)
            m_writer.write(*this, all, quote);
    }
}

void StkQuoteRouter::setQuoteValue(int all, int cell, double value, bool)
{
    m_allValues[all][size_t(cell)] = value;
    m_unwritten[all] |= quint16(1u << cell);
    // A record's cells come one after the other, each security once a frame.
    if (m_changed.isEmpty() || m_changed.constLast() != all)
        m_changed.append(all);
}

void StkQuoteRouter::releaseChanges()
{
    for (const int all : qAsConst(m_changed)) {
        const int shown = m_shownOfAll.at(all);
        if (shown >= 0)
            m_model->rowChanged(shown);
    }
    m_changed.clear();
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
    const QuoteFormat &format = m_formats.at(all);
    StkModel::Row &allRow = (*m_allRows)[all];
    const int shown = m_shownOfAll.at(all);
    StkModel::Row *shownRow = shown >= 0 && shown < m_shownRows->size() ? &(*m_shownRows)[shown] : nullptr;
    const quint16 unwritten = std::exchange(m_unwritten[all], 0);
    for (size_t i = 0; i < values.size(); ++i) {
        if (!(unwritten & (1u << i)))
            continue;
        const int column = StkModel::Last + int(i);
        const QString text = cellText(ColumnValues[i], values[i], format);
        allRow[column] = text;
        if (shownRow)
            (*shownRow)[column] = text;
    }
}
