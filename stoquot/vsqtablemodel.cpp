#include "vsqtablemodel.h"

#include "optionanalytics.h"

#include <vdataset.h>

#include <QGuiApplication>
#include <QPalette>

#include <utility>

namespace {

constexpr int MarkerMs = 800;
const QColor ExercisePriceBlue(207, 227, 250);

} // namespace

QColor VSQTableModel::inTheMoneyShade()
{
    const bool dark = QGuiApplication::palette().color(QPalette::Base).lightness() < 128;
    return dark ? QColor(82, 66, 36) : QColor(252, 240, 212);
}

VSQTableModel::VSQTableModel(QObject *parent)
    : QuoteTableModel({QStringLiteral("ystdcloseprice")}, CellHighlights::AfterEachChange, MarkerMs, parent)
{
}

void VSQTableModel::linkDatasetTable(VDataset *dataset, QTableView *view, bool setViewModel, bool keepRowOrder)
{
    if (dataset)
        connect(dataset, SIGNAL(onAfterUpdate(int, int)), this, SLOT(doAfterUpdate(int, int)), Qt::UniqueConnection);
    VTableModel::linkDatasetTable(dataset, view, setViewModel, keepRowOrder);
}

void VSQTableModel::setAnalyticColumns(const QVector<AnalyticColumns::Column> &columns)
{
    if (columns == m_analyticColumns)
        return;
    const int first = firstAnalyticColumn();
    if (!m_analyticColumns.isEmpty()) {
        beginRemoveColumns(QModelIndex(), first, first + m_analyticColumns.size() - 1);
        m_analyticColumns.clear();
        endRemoveColumns();
    }
    if (!columns.isEmpty()) {
        beginInsertColumns(QModelIndex(), first, first + columns.size() - 1);
        m_analyticColumns = columns;
        endInsertColumns();
    }
}

void VSQTableModel::setInTheMoneyShaded(bool shaded)
{
    if (shaded == m_inTheMoneyShaded)
        return;
    m_inTheMoneyShaded = shaded;
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::BackgroundRole});
}

void VSQTableModel::figuresChanged(int row, bool shadingChanged)
{
    if (row < 0 || row >= rowCount())
        return;
    if (shadingChanged && m_inTheMoneyShaded)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    else if (!m_analyticColumns.isEmpty())
        emit dataChanged(index(row, firstAnalyticColumn()), index(row, columnCount() - 1));
}

int VSQTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : VTableModel::columnCount() + m_analyticColumns.size();
}

QVariant VSQTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    const int analytic = section - firstAnalyticColumn();
    if (orientation != Qt::Horizontal || analytic < 0 || analytic >= m_analyticColumns.size())
        return QuoteTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole: return AnalyticColumns::caption(m_analyticColumns.at(analytic));
    case Qt::ToolTipRole: {
        const AnalyticColumns::Column column = m_analyticColumns.at(analytic);
        return AnalyticColumns::caption(column) + QLatin1Char(':') + AnalyticColumns::explanation(column);
    }
    default: return QVariant();
    }
}

QVariant VSQTableModel::data(const QModelIndex &index, int role) const
{
    if (index.isValid() && index.column() >= firstAnalyticColumn())
        return analyticData(index, role);
    if (role != Qt::BackgroundRole)
        return QuoteTableModel::data(index, role);
    // The exercise-price column's colour wins over a marker, a marker over the shade.
    const QVariant fixed = getBackground(index);
    if (fixed.isValid())
        return fixed;
    if (isHighlighted(index))
        return m_marker;
    return isShaded(index.row()) ? QVariant(inTheMoneyShade()) : QVariant();
}

QVariant VSQTableModel::analyticData(const QModelIndex &index, int role) const
{
    const int analytic = index.column() - firstAnalyticColumn();
    if (analytic >= m_analyticColumns.size())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole: {
        const AnalyticColumns::Column column = m_analyticColumns.at(analytic);
        const OptionFigures *figures = m_figuresOf ? m_figuresOf(index.row()) : nullptr;
        double value = 0;
        if (!figures || !AnalyticColumns::value(column, *figures, &value))
            return QStringLiteral("--");
        return m_analyticTexts.text(column, value, [column, value] { return AnalyticColumns::text(column, value); });
    }
    case Qt::TextAlignmentRole: return int(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::BackgroundRole: return isShaded(index.row()) ? QVariant(inTheMoneyShade()) : QVariant();
    default: return QVariant();
    }
}

bool VSQTableModel::isShaded(int row) const
{
    if (!m_inTheMoneyShaded || !m_figuresOf)
        return false;
    const OptionFigures *figures = m_figuresOf(row);
    return figures && figures->inTheMoney;
}

bool VSQTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::BackgroundRole)
        return QuoteTableModel::setData(index, value, role);
    if (!index.isValid() || index.column() >= firstAnalyticColumn())
        return false;
    const SecurityId contract = securityOfRow(index.row());
    // A cell already showing the marker asked for is not repainted again.
    bool changed;
    if (value.userType() == QMetaType::QColor || value.canConvert<QColor>()) {
        const QColor marker = value.value<QColor>();
        const bool newColour = std::exchange(m_marker, marker) != marker;
        changed = highlights()->light(contract, index.column()) || newColour;
    } else {
        changed = highlights()->unlight(contract, index.column());
    }
    if (changed)
        cellChanged(index);
    return true;
}

void VSQTableModel::highlightCell(int row, int field)
{
    // Made once: a storm marks hundreds of cells a frame.
    static const QVariant marker = HighlightColour;
    setData(fieldCell(row, field), marker, Qt::BackgroundRole);
}

QVariant VSQTableModel::getBackground(const QModelIndex &index) const
{
    const VField *field = dataset() ? dataset()->fields()->at(fieldIndex(index)) : nullptr;
    return field && field->name() == QLatin1String("exerciseprice") ? QVariant(ExercisePriceBlue) : QVariant();
}

void VSQTableModel::doAfterUpdate(int row, int field)
{
    const QModelIndex cell = fieldCell(row, field);
    if (cell.isValid())
        highlights()->endLater(securityOfRow(row), cell.column());
    QuoteTableModel::doAfterUpdate(row, field);
}
