#include "stkrows.h"

#include <latestquotes.h>
#include <quotbatch.h>
#include <quotetext.h>

#include <vquotdata.h>
#include <vquotsubscriber.h>

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

SecurityId securityOf(const StkModel::Row &row)
{
    return SecurityId::of(row.value(StkModel::Market), row.value(StkModel::Code));
}

} // namespace

StkRows::StkRows(QObject *parent)
    : QObject(parent)
    , m_subscriber(new VQuotSubscriber(this, QStringLiteral("自选股")))
    , m_quotes(new QuotBatch(this))
    , m_writer(quoteCells())
{
    connect(m_quotes, &QuotBatch::ready, this, &StkRows::applyQuotes);
}

StkRows::~StkRows()
{
    m_subscriber->unsubscribe(true);
    delete m_subscriber;
}

void StkRows::setQuoteReceiver(QObject *receiver, const char *slot)
{
    m_subscriber->setRecvSlot(receiver, slot);
}

bool StkRows::addProduct(char market, const QString &code)
{
    return m_subscriber->addProduct(market, code);
}

void StkRows::subscribe()
{
    LatestQuotes::follow(m_subscriber, m_subscriber->subscribe());
}

void StkRows::addQuote(const VQuotData &record)
{
    m_quotes->add(record);
}

void StkRows::addRow(const Row &row)
{
    m_all.append(row);
    m_allIndex.append(row);
    // A new row shows "--" in every quote column until its first record.
    Values none;
    none.fill(std::numeric_limits<double>::quiet_NaN());
    m_allValues.append(none);
    m_formats.append(m_securityFormats.of(securityOf(row)));
    m_unwritten.append(0);
    m_shownOfAll.append(-1);
    // What the module already has of the security shows at the next frame.
    m_quotes->addLatest(securityOf(row));
}

void StkRows::showRows(const QList<Row> &rows)
{
    emit shownAboutToBeReset();
    m_shown.clear();
    bool joined = false;
    for (const Row &row : rows) {
        const int known = m_allIndex.rowOfId(row.value(StkModel::StkId));
        // A security another client put into the group meanwhile is subscribed too.
        if (known < 0) {
            addRow(row);
            const SecurityId security = securityOf(row);
            joined = m_subscriber->addProduct(security.market(), security.codeText()) || joined;
        }
        m_shown.append(known < 0 ? row : m_all.at(known));
    }
    indexShown();
    emit shownReset();
    if (joined)
        subscribe();
}

void StkRows::removeShownRow(int row)
{
    emit shownRowAboutToBeRemoved(row);
    m_shown.removeAt(row);
    indexShown();
    emit shownRowRemoved(row);
}

void StkRows::reorderShown(const QVector<int> &order)
{
    emit shownAboutToBeReordered();
    QList<Row> rows;
    rows.reserve(order.size());
    QVector<int> placeOf(order.size());
    for (int place = 0; place < order.size(); ++place) {
        rows.append(m_shown.at(order.at(place)));
        placeOf[order.at(place)] = place;
    }
    m_shown.swap(rows);
    indexShown();
    emit shownReordered(placeOf);
}

bool StkRows::setShownText(int row, int column, const QString &text)
{
    if (row < 0 || row >= m_shown.size() || column < 0 || column >= m_shown.at(row).size())
        return false;
    QString &cell = m_shown[row][column];
    if (cell != text) {
        cell = text;
        emit shownRowChanged(row);
    }
    return true;
}

const StkRows::Row &StkRows::shownRow(int row)
{
    const int all = m_allOfShown.at(row);
    if (all >= 0 && m_unwritten.at(all) != 0)
        writeRow(all);
    return m_shown.at(row);
}

void StkRows::indexShown()
{
    m_shownIndex.rebuild(m_shown);
    m_shownOfAll.fill(-1);
    m_allOfShown.fill(-1, m_shown.size());
    for (int shown = m_shown.size() - 1; shown >= 0; --shown) {
        const int all = m_allIndex.rowOf(securityOf(m_shown.at(shown)));
        m_allOfShown[shown] = all;
        if (all >= 0)
            m_shownOfAll[all] = shown; // the first shown row of the security, as a search finds it
    }
}

void StkRows::applyQuotes()
{
    const QuoteWriter::Frame frame {this};
    for (const VQuotData &quote : m_quotes->take()) {
        const int all = m_allIndex.rowOf(SecurityId::of(quote));
        if (all >= 0)
            m_writer.write(*this, all, quote);
    }
}

void StkRows::setQuoteValue(int all, int cell, double value, bool)
{
    m_allValues[all][size_t(cell)] = value;
    m_unwritten[all] |= quint16(1u << cell);
    // A record's cells come one after the other, each security once a frame.
    if (m_changed.isEmpty() || m_changed.constLast() != all)
        m_changed.append(all);
}

void StkRows::releaseChanges()
{
    for (const int all : qAsConst(m_changed)) {
        const int shown = m_shownOfAll.at(all);
        if (shown >= 0)
            emit shownRowChanged(shown);
    }
    m_changed.clear();
}

void StkRows::writeRow(int all)
{
    const Values &values = m_allValues.at(all);
    const QuoteFormat &format = m_formats.at(all);
    Row &allRow = m_all[all];
    const int shown = m_shownOfAll.at(all);
    Row *shownCopy = shown >= 0 ? &m_shown[shown] : nullptr;
    const quint16 unwritten = std::exchange(m_unwritten[all], 0);
    for (size_t i = 0; i < values.size(); ++i) {
        if (!(unwritten & (1u << i)))
            continue;
        const int column = StkModel::Last + int(i);
        const QString text = cellText(ColumnValues[i], values[i], format);
        allRow[column] = text;
        if (shownCopy)
            (*shownCopy)[column] = text;
    }
}
