#include "chainanalytics.h"

#include <framepacer.h>
#include <livetableview.h>

#include <vdataset.h>
#include <vquotdata.h>

#include <QDate>
#include <QEvent>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

const OptionTables::Table SideTables[]
    = {OptionTables::AllCall, OptionTables::AllPut, OptionTables::Call, OptionTables::Put};

bool isCallTable(OptionTables::Table table)
{
    return table == OptionTables::AllCall || table == OptionTables::Call;
}

bool isPrice(double value)
{
    return std::isfinite(value) && value > 0;
}

} // namespace

ChainAnalytics::ChainAnalytics(OptionTables *tables, double riskFreeRate, QObject *parent)
    : QObject(parent)
    , m_tables(tables)
    , m_rate(riskFreeRate)
    , m_pacer(new FramePacer(FramePacer::Write, this))
{
    connect(m_pacer, &FramePacer::frame, this, &ChainAnalytics::update);
    // Right after the tables wrote a frame's records, in the same frame.
    connect(m_tables, &OptionTables::written, this, &ChainAnalytics::update);
    for (const OptionTables::Table table : SideTables) {
        const VFieldList *fields = m_tables->dataset(table).fields();
        m_fields[table]
            = {fields->indexOf(QStringLiteral("exerciseprice")), fields->indexOf(QStringLiteral("buy1price")),
               fields->indexOf(QStringLiteral("sale1price")), fields->indexOf(QStringLiteral("lastprice"))};
        // Rows that come, go or move are worked out again; so are rows
        // that scroll into view.
        const VSQTableModel *model = &m_tables->model(table);
        const auto again = [this, table] { forget(table); };
        connect(model, &QAbstractItemModel::modelReset, this, again);
        connect(model, &QAbstractItemModel::layoutChanged, this, again);
        connect(model, &QAbstractItemModel::rowsInserted, this, again);
        connect(model, &QAbstractItemModel::rowsRemoved, this, again);
        LiveTableView *view = m_tables->view(table);
        connect(view->verticalScrollBar(), &QScrollBar::valueChanged, m_pacer, &FramePacer::request);
        view->viewport()->installEventFilter(this);
    }
}

bool ChainAnalytics::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize || event->type() == QEvent::Show)
        m_pacer->request();
    return QObject::eventFilter(watched, event);
}

void ChainAnalytics::setEnabled(bool enabled)
{
    m_enabled = enabled;
    m_pacer->request();
}

void ChainAnalytics::setWholeChain(bool whole)
{
    m_wholeChain = whole;
    m_pacer->request();
}

void ChainAnalytics::setChain(bool calls, bool puts, const QDate &expiry, const QDate &businessDate)
{
    if (calls && puts)
        m_shown = {OptionTables::AllCall, OptionTables::AllPut};
    else if (calls)
        m_shown = {OptionTables::Call};
    else if (puts)
        m_shown = {OptionTables::Put};
    else
        m_shown.clear();
    const bool dated = expiry.isValid() && businessDate.isValid();
    m_days = dated ? std::optional<int>(int(businessDate.daysTo(expiry))) : std::nullopt;
    m_years = dated ? OptionAnalytics::yearsToExpiry(businessDate, expiry) : 0;
    m_changed = true;
    for (const OptionTables::Table table : SideTables)
        forget(table);
}

void ChainAnalytics::setUnderlying(const SecurityId &underlying)
{
    m_underlying = underlying;
    m_spot = 0;
    m_changed = true;
    m_pacer->request();
}

void ChainAnalytics::receiveUnderlying(const VQuotData &record)
{
    if (SecurityId::of(record) != m_underlying || !isPrice(record.lastPrice) || record.lastPrice == m_spot)
        return;
    m_spot = record.lastPrice;
    m_changed = true;
    m_pacer->request();
}

const OptionFigures *ChainAnalytics::figures(OptionTables::Table table, int row) const
{
    const std::vector<Row> &rows = m_rows[table];
    return row >= 0 && size_t(row) < rows.size() && rows[size_t(row)].worked ? &rows[size_t(row)].figures : nullptr;
}

QVector<QPointF> ChainAnalytics::smile(bool calls) const
{
    QVector<QPointF> points;
    for (const OptionTables::Table table : m_shown) {
        if (isCallTable(table) != calls)
            continue;
        for (const Row &row : m_rows[table]) {
            if (row.worked && row.figures.status == OptionFigures::Solved)
                points.append({row.inputs.strike, row.figures.impliedVolatility});
        }
    }
    std::sort(points.begin(), points.end(), [](const QPointF &a, const QPointF &b) { return a.x() < b.x(); });
    return points;
}

void ChainAnalytics::forget(OptionTables::Table table)
{
    m_rows[table].clear();
    m_pacer->request();
}

void ChainAnalytics::update()
{
    if (!m_enabled)
        return;
    bool changed = std::exchange(m_changed, false);
    for (const OptionTables::Table table : qAsConst(m_shown)) {
        // A board out of sight works out nothing; its rows follow when it shows again.
        if (!m_tables->view(table)->isVisible())
            continue;
        const QPair<int, int> rows
            = m_wholeChain ? qMakePair(0, m_tables->dataset(table).recordCount() - 1) : rowsOnScreen(table);
        changed = work(table, rows.first, rows.second) || changed;
    }
    if (changed)
        emit updated();
}

bool ChainAnalytics::work(OptionTables::Table table, int first, int last)
{
    std::vector<Row> &rows = m_rows[table];
    rows.resize(size_t(std::max(0, m_tables->dataset(table).recordCount())));
    last = std::min(last, int(rows.size()) - 1);
    VSQTableModel &model = m_tables->model(table);
    bool changed = false;
    for (int row = std::max(first, 0); row <= last; ++row) {
        const OptionInputs inputs = inputsOf(table, row);
        Row &entry = rows[size_t(row)];
        if (entry.worked && entry.inputs == inputs)
            continue;
        const bool wasInTheMoney = entry.worked && entry.figures.inTheMoney;
        entry.inputs = inputs;
        entry.figures = OptionAnalytics::evaluate(inputs);
        entry.worked = true;
        ++m_evaluations;
        model.figuresChanged(row, entry.figures.inTheMoney != wasInTheMoney);
        changed = true;
    }
    return changed;
}

OptionInputs ChainAnalytics::inputsOf(OptionTables::Table table, int row) const
{
    const VDataset &dataset = m_tables->dataset(table);
    const Fields &fields = m_fields[table];
    OptionInputs inputs;
    inputs.call = isCallTable(table);
    inputs.strike = dataset.fieldValue(row, fields.strike).toDouble();
    // A cell without a quote holds "--" or nothing, 0 as a number.
    inputs.price = OptionAnalytics::optionPrice(dataset.fieldValue(row, fields.bid).toDouble(),
                                                dataset.fieldValue(row, fields.ask).toDouble(),
                                                dataset.fieldValue(row, fields.last).toDouble());
    inputs.spot = m_spot;
    inputs.years = m_years;
    inputs.rate = m_rate;
    return inputs;
}

QPair<int, int> ChainAnalytics::rowsOnScreen(OptionTables::Table table) const
{
    const LiveTableView *view = m_tables->view(table);
    const int first = view->rowAt(0);
    if (first < 0)
        return {0, -1};
    const int last = view->rowAt(view->viewport()->height() - 1);
    return {first, last < 0 ? view->model()->rowCount() - 1 : last};
}
