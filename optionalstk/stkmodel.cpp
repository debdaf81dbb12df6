#include "stkmodel.h"

#include "stkrows.h"

#include <quotetext.h>

#include <QFont>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// A cell's text as a number; text that is no number counts as 0.
double number(const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

// Volumes and amounts from ten thousand up in "万", from a hundred million
// up in "亿"; a text that is no number (such as "--") as it stands.
QString shortened(const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? QuoteFormat::shortened(value) : text;
}

} // namespace

StkModel::StkModel(QObject *parent)
    : QAbstractTableModel(parent)
{
    m_bold.setWeight(QFont::Bold);
}

QStringList StkModel::headerLabels()
{
    return {QStringLiteral("市场"),   QStringLiteral("内码"),   QStringLiteral("代码"),    QStringLiteral("名称"),
            QStringLiteral("最新"),   QStringLiteral("涨幅%"),  QStringLiteral("涨跌"),    QStringLiteral("总手"),
            QStringLiteral("买入价"), QStringLiteral("卖出价"), QStringLiteral("金额"),    QStringLiteral("最高"),
            QStringLiteral("最低"),   QStringLiteral("开盘"),   QStringLiteral("昨收"),    QStringLiteral("涨停"),
            QStringLiteral("跌停"),   QStringLiteral("删除"),   QStringLiteral("股票类型")};
}

void StkModel::setHorizontalHeaderLabels(const QStringList &labels)
{
    beginResetModel();
    m_horizontalLabels = labels;
    endResetModel();
}

void StkModel::setRows(StkRows *rows)
{
    beginResetModel();
    if (m_rows)
        m_rows->disconnect(this);
    m_rows = rows;
    m_derived.clear();
    endResetModel();
    if (!rows)
        return;
    connect(rows, &StkRows::shownAboutToBeReset, this, [this] { beginResetModel(); });
    connect(rows, &StkRows::shownReset, this, [this] {
        m_derived.clear();
        endResetModel();
        emit updateCount(rowCount());
    });
    connect(rows, &StkRows::shownRowAboutToBeRemoved, this, [this](int row) { beginRemoveRows({}, row, row); });
    connect(rows, &StkRows::shownRowRemoved, this, [this](int row) {
        if (row < m_derived.size())
            m_derived.remove(row);
        endRemoveRows();
        emit updateCount(rowCount());
    });
    connect(rows, &StkRows::shownAboutToBeReordered, this,
            [this] { emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint); });
    connect(rows, &StkRows::shownReordered, this, &StkModel::rowsReordered);
    connect(rows, &StkRows::shownRowChanged, this, &StkModel::rowChanged);
}

void StkModel::rowsReordered(const QVector<int> &placeOf)
{
    m_derived.clear();
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before)
        after.append(this->index(placeOf.at(index.row()), index.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void StkModel::setTextlessColumn(int column)
{
    if (column == m_textlessColumn)
        return;
    m_textlessColumn = column;
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
}

void StkModel::setColours(const Colours &colours)
{
    for (QColor Colours::*field : {&Colours::code, &Colours::rise, &Colours::fall}) {
        if ((colours.*field).isValid())
            m_colours.*field = colours.*field;
    }
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::ForegroundRole});
}

void StkModel::rowChanged(int row)
{
    forgetDerived(row);
    if (row >= 0 && row < rowCount() && columnCount() > 0)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

int StkModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_rows ? m_rows->shownCount() : 0;
}

int StkModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    if (!m_horizontalLabels.isEmpty())
        return m_horizontalLabels.size();
    return rowCount() > 0 ? rowAt(0)->size() : 0;
}

QVariant StkModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= m_horizontalLabels.size())
        return QVariant();
    return m_horizontalLabels.at(section);
}

Qt::ItemFlags StkModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? QAbstractTableModel::flags(index) : Qt::NoItemFlags;
}

const StkModel::Row *StkModel::rowAt(int row) const
{
    if (row < 0 || row >= rowCount())
        return nullptr;
    // Reading a row of the watchlist's writes its quote texts.
    return &m_rows->shownRow(row);
}

QVariant StkModel::data(const QModelIndex &index, int role) const
{
    const Row *row = index.isValid() ? rowAt(index.row()) : nullptr;
    if (!row)
        return QVariant();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole: return displayText(index.row(), column);
    case Qt::FontRole: return column >= Last && column <= Change ? QVariant(m_bold) : QVariant();
    case Qt::TextAlignmentRole: return int(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ForegroundRole: return foreground(index.row(), column);
    case Qt::UserRole: return row->value(column);
    default: return QVariant();
    }
}

const StkModel::Derived &StkModel::derived(int row) const
{
    if (m_derived.size() <= row)
        m_derived.resize(rowCount());
    Derived &values = m_derived[row];
    if (!values.valid) {
        const Row &texts = *rowAt(row);
        const double ratio = number(texts.value(ChangeRatio));
        values.sign = ratio > 0 ? 1 : ratio < 0 ? -1 : 0;
        values.volume = shortened(texts.value(Volume));
        values.amount = shortened(texts.value(Amount));
        values.valid = true;
    }
    return values;
}

void StkModel::forgetDerived(int row)
{
    if (row >= 0 && row < m_derived.size())
        m_derived[row].valid = false;
}

QVariant StkModel::displayText(int row, int column) const
{
    if (column < 0 || column >= columnCount() || column == m_textlessColumn)
        return QVariant();
    const QString text = rowAt(row)->value(column);
    switch (column) {
    case ChangeRatio:
    case Change: return derived(row).sign > 0 ? QLatin1Char('+') + text : text;
    case Volume: return derived(row).volume;
    case Amount: return derived(row).amount;
    default: return text;
    }
}

QVariant StkModel::foreground(int row, int column) const
{
    if (column == Code || column == Name)
        return m_colours.code;
    if (column < Last || column > Change)
        return QVariant();
    switch (derived(row).sign) {
    case 1: return m_colours.rise;
    case -1: return m_colours.fall;
    default: return QVariant();
    }
}

bool StkModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    return role == Qt::UserRole && index.isValid() && m_rows
        && m_rows->setShownText(index.row(), index.column(), value.toString());
}

void StkModel::sortdata(int column, Qt::SortOrder order)
{
    if (!m_rows)
        return;
    QVector<int> rows(rowCount());
    std::iota(rows.begin(), rows.end(), 0);
    QVector<QString> texts;
    QVector<double> numbers;
    texts.reserve(rows.size());
    numbers.reserve(rows.size());
    for (const int row : qAsConst(rows)) {
        texts.append(rowAt(row)->value(column));
        numbers.append(number(texts.constLast()));
    }
    // A stable sort keeps equal rows in their order, as an exchange sort that
    // swaps only strictly misordered neighbours would.
    const bool ascending = order == Qt::AscendingOrder;
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
        if (column == Name)
            return ascending ? texts.at(b) < texts.at(a) : texts.at(a) < texts.at(b);
        return ascending ? numbers.at(a) > numbers.at(b) : numbers.at(a) < numbers.at(b);
    });
    m_rows->reorderShown(rows);
}
