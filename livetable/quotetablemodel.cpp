#include "quotetablemodel.h"

#include <vdataset.h>

#include <algorithm>
#include <cmath>
#include <limits>

const QColor QuoteTableModel::HighlightColour(207, 227, 250);

QuoteTableModel::QuoteTableModel(const QStringList &priceReferences, CellHighlights::Ending ending, int durationMs,
                                 QObject *parent)
    : VTableModel(parent)
    , m_priceReferences(priceReferences)
    , m_highlights(new CellHighlights(durationMs, ending, this))
{
    // The columns are rebuilt from the fields with every reset.
    connect(this, &QAbstractItemModel::modelReset, this, &QuoteTableModel::fieldsChanged);
    connect(this, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this](const QModelIndex &, int first, int last) {
        for (int row = first; row <= last; ++row)
            m_highlights->forget(securityOfRow(row));
    });
    connect(m_highlights, &CellHighlights::ended, this, &QuoteTableModel::highlightEnded);
    for (auto rowsChanged : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(this, rowsChanged, this, &QuoteTableModel::rowsMoved);
    connect(this, &QAbstractItemModel::layoutChanged, this, &QuoteTableModel::rowsMoved);
}

void QuoteTableModel::rowsMoved()
{
    ++m_rowsGeneration;
}

void QuoteTableModel::doAfterUpdate(int row, int field)
{
    if (field == m_marketField || field == m_codeField)
        ++m_rowsGeneration;
    if (m_holding)
        cellChanged(fieldCell(row, field));
    else
        VTableModel::doAfterUpdate(row, field);
}

void QuoteTableModel::holdChanges()
{
    // Held changes keep the rows and columns they were held with.
    if (m_holding)
        return;
    m_holding = true;
    // Every bit is clear between frames, whatever the rows and columns.
    m_heldWords = size_t(columnCount() + 63) / 64;
    m_heldBits.resize(size_t(rowCount()) * m_heldWords);
}

void QuoteTableModel::cellChanged(const QModelIndex &cell)
{
    if (!cell.isValid())
        return;
    const size_t row = size_t(cell.row());
    const size_t column = size_t(cell.column());
    if (!m_holding || column >= m_heldWords * 64 || (row + 1) * m_heldWords > m_heldBits.size()) {
        emit dataChanged(cell, cell);
        return;
    }
    quint64 *bits = &m_heldBits[row * m_heldWords];
    if (std::all_of(bits, bits + m_heldWords, [](quint64 word) { return word == 0; }))
        m_heldRows.push_back(int(row));
    bits[column / 64] |= quint64(1) << (column % 64);
}

void QuoteTableModel::releaseChanges()
{
    m_holding = false;
    std::sort(m_heldRows.begin(), m_heldRows.end());
    for (const int row : m_heldRows) {
        quint64 *bits = &m_heldBits[size_t(row) * m_heldWords];
        const auto changed = [bits](int column) { return bits[column / 64] >> (column % 64) & 1; };
        const int columns = int(m_heldWords * 64);
        for (int first = 0; first < columns; ++first) {
            if (!changed(first))
                continue;
            int last = first;
            while (last + 1 < columns && changed(last + 1))
                ++last;
            // Rows or columns may have gone while the changes were held.
            if (row < rowCount() && last < columnCount())
                emit dataChanged(index(row, first), index(row, last));
            first = last;
        }
        std::fill(bits, bits + m_heldWords, 0);
    }
    m_heldRows.clear();
}

QModelIndex QuoteTableModel::fieldCell(int row, int field) const
{
    return index(row, m_columnOfField.value(field, -1));
}

QuoteTableModel::RowSecurity &QuoteTableModel::rowSecurity(int row) const
{
    if (m_securitiesGeneration != m_rowsGeneration) {
        m_rowSecurities.clear();
        m_securitiesGeneration = m_rowsGeneration;
    }
    if (size_t(row) >= m_rowSecurities.size())
        m_rowSecurities.resize(size_t(row) + 1);
    RowSecurity &security = m_rowSecurities[size_t(row)];
    if (security.id.isNull())
        security.id = SecurityId::of(dataset()->fieldValue(row, m_marketField).toString(),
                                     dataset()->fieldValue(row, m_codeField).toString());
    return security;
}

SecurityId QuoteTableModel::securityOfRow(int row) const
{
    if (!dataset() || row < 0)
        return SecurityId();
    return rowSecurity(row).id;
}

std::optional<QuoteFormat> QuoteTableModel::knownFormatOfRow(int row) const
{
    if (!dataset() || row < 0)
        return std::nullopt;
    RowSecurity &security = rowSecurity(row);
    if (!security.formatRead && !security.id.isNull()) {
        security.format = m_formats.find(security.id);
        security.formatRead = true;
    }
    return security.format;
}

double QuoteTableModel::quoteValue(int row, int field) const
{
    const QVariant value = dataset() ? dataset()->fieldValue(row, field) : QVariant();
    return value.isValid() ? value.toDouble() : std::numeric_limits<double>::quiet_NaN();
}

void QuoteTableModel::setQuoteValue(int row, int field, double value, bool highlight)
{
    if (!dataset())
        return;
    // The highlight first: a marker's time starts with the write's notification.
    if (highlight)
        highlightCell(row, field);
    dataset()->setFieldValue(row, field, std::isnan(value) ? QVariant() : QVariant(value));
}

QVariant QuoteTableModel::getDisplayText(const QModelIndex &index) const
{
    const int field = fieldIndex(index);
    if (!dataset() || !m_rules.isNumber(field))
        return VTableModel::getDisplayText(index);
    const QVariant value = dataset()->fieldValue(index.row(), field);
    if (!value.isValid())
        return QStringLiteral("--");
    const double number = value.toDouble();
    const QuoteFieldRules::Display display = m_rules.display(field);
    if (!display.quote) {
        if (std::fabs(number) < QuoteText::Tolerance)
            return QStringLiteral("--");
        return m_texts.text(field, number, [this, &index] { return VTableModel::getDisplayText(index).toString(); });
    }
    // A security the host does not know reads with the field's decimals.
    const QuoteFormat format
        = knownFormatOfRow(index.row()).value_or(QuoteFormat(display.decimals >= 0 ? display.decimals : 2, 1));
    const QuoteFormat::Kind kind = quoteKind(display.value);
    if (!QuoteFormat::hasValue(kind, number))
        return QStringLiteral("--");
    // A plain field's texts are by field; a quote's by its value and format.
    const int key = 1 << 30 | int(display.value) << 20 | format.priceDecimals() << 16 | qMin(format.lotSize(), 0xffff);
    return m_texts.text(key, number, [&display, &format, kind, number] {
        // A ratio held as a fraction reads in percent, followed by "%".
        return display.value == QuoteValue::ChangeRatio ? QuoteFormat::percentText(number * 100.0)
                                                        : format.text(kind, number);
    });
}

QuoteWriter QuoteTableModel::writerFor(const QStringList &fieldNames) const
{
    QVector<QuoteWriter::Cell> cells;
    const VFieldList *fields = dataset() ? dataset()->fields() : nullptr;
    for (const QString &name : fieldNames) {
        const std::optional<QuoteValue> value = QuoteFieldRules::quoteValueOf(name);
        const int field = fields ? fields->indexOf(name) : -1;
        Q_ASSERT_X(value && field >= 0, "QuoteTableModel::writerFor", "a quote field of the dataset");
        if (value && field >= 0)
            cells.append({field, *value});
    }
    return QuoteWriter(cells);
}

QVariant QuoteTableModel::getForeground(const QModelIndex &index) const
{
    const QVariant colour = dataset() ? m_rules.foreground(*dataset(), index.row(), fieldIndex(index)) : QVariant();
    return colour.isValid() ? colour : VTableModel::getForeground(index);
}

bool QuoteTableModel::isHighlighted(const QModelIndex &index) const
{
    return index.isValid() && m_highlights->anyLitIn(index.column())
        && m_highlights->isLit(securityOfRow(index.row()), index.column());
}

void QuoteTableModel::fieldsChanged()
{
    const VFieldList *fields = dataset() ? dataset()->fields() : nullptr;
    m_rules.rebuild(fields, m_priceReferences);
    m_texts.clear();
    // A security the host did not know may be known by now.
    m_formats = SecurityFormats();
    m_columnOfField.clear();
    m_marketField = -1;
    m_codeField = -1;
    ++m_rowsGeneration;
    if (fields) {
        m_columnOfField.reserve(fields->count());
        for (int field = 0; field < fields->count(); ++field)
            m_columnOfField.append(colIndexByFieldName(fields->at(field)->name()));
        m_marketField = fields->indexOf(QStringLiteral("market"));
        m_codeField = fields->indexOf(QStringLiteral("stkcode"));
    }
    // Securities no longer shown take their highlights with them.
    m_highlights->forgetUnless([this](const SecurityId &security) { return rowOf(security) >= 0; });
}

int QuoteTableModel::rowOf(const SecurityId &security) const
{
    if (m_rowOf)
        return m_rowOf(security);
    const VDataset *ds = dataset();
    if (!ds || m_codeField < 0)
        return -1;
    const QString code = security.codeText();
    for (int row = ds->locate(QStringLiteral("stkcode"), code, 0); row >= 0 && row < ds->recordCount();
         row = ds->locate(QStringLiteral("stkcode"), code, row + 1)) {
        if (securityOfRow(row) == security)
            return row;
    }
    return -1;
}

void QuoteTableModel::highlightEnded(const SecurityId &security, int column)
{
    const int row = rowOf(security);
    if (row < 0 || row >= rowCount() || column >= columnCount())
        return;
    cellChanged(index(row, column));
}
