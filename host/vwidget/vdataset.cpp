#include "vdataset.h"

#include "vdatadict.h"

#include <voutput.h>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

constexpr double Tolerance = 1e-8;

bool isNumber(vd::DataType type)
{
    return type == vd::DT_Double || type == vd::DT_Integer || type == vd::DT_Bool;
}

} // namespace

VDataset::VDataset(QObject *parent)
    : QObject(parent)
    , m_fields(new VFieldList)
{
}

VDataset::~VDataset() = default;

void VDataset::setBusiness(bool business)
{
    m_business = business;
}

void VDataset::setDataDict(const VDataDict *dict)
{
    m_dict = dict;
}

VField *VDataset::addField(const QString &name, const QString &caption, int dataType, int size, int width)
{
    if (VField *existing = m_fields->field(name)) {
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(), QStringLiteral("数据集字段[%1]重复定义,已忽略").arg(name));
        return existing;
    }
    const auto type = vd::DataType(dataType);
    emit aboutToBeReset();
    VField *field = m_fields->add(name, caption, type, size, width);
    m_columns.emplace_back();
    resizeColumn(m_columns.back(), *field, m_rowCount);
    emit wasReset();
    return field;
}

void VDataset::resizeColumn(Column &column, const VField &field, int rows)
{
    switch (field.dataType()) {
    case vd::DT_Double: column.numbers.resize(rows); break;
    case vd::DT_Integer:
    case vd::DT_Bool: column.integers.resize(rows); break;
    default: column.texts.resize(rows); break;
    }
    column.set.resize(size_t(rows), false);
}

void VDataset::open()
{
    m_open = true;
}

void VDataset::close(bool clearRecords)
{
    m_open = false;
    if (!clearRecords || m_rowCount == 0)
        return;
    emit aboutToBeReset();
    m_rowCount = 0;
    for (int i = 0; i < m_fields->count(); ++i) {
        Column &column = m_columns[size_t(i)];
        column = Column();
        resizeColumn(column, *m_fields->at(i), 0);
    }
    emit wasReset();
}

int VDataset::append()
{
    if (!m_open) {
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(), QStringLiteral("数据集未打开,不能追加记录"));
        return -1;
    }
    const int row = m_rowCount;
    emit rowAboutToBeAppended(row);
    for (int i = 0; i < m_fields->count(); ++i)
        resizeColumn(m_columns[size_t(i)], *m_fields->at(i), row + 1);
    m_rowCount = row + 1;
    emit rowAppended(row);
    return row;
}

bool VDataset::remove(int row)
{
    if (row < 0 || row >= m_rowCount)
        return false;
    emit rowAboutToBeRemoved(row);
    for (Column &column : m_columns) {
        if (!column.numbers.isEmpty())
            column.numbers.remove(row);
        if (!column.integers.isEmpty())
            column.integers.remove(row);
        if (!column.texts.isEmpty())
            column.texts.remove(row);
        column.set.erase(column.set.begin() + row);
    }
    --m_rowCount;
    emit rowRemoved(row);
    return true;
}

int VDataset::resolve(const QString &fieldName) const
{
    const int field = m_fields->indexOf(fieldName);
    if (field < 0 && !m_reportedNames.contains(fieldName)) {
        m_reportedNames.insert(fieldName);
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("数据集没有字段[%1]").arg(fieldName));
    }
    return field;
}

QVariant VDataset::fieldValue(int row, const QString &fieldName) const
{
    return fieldValue(row, resolve(fieldName));
}

QVariant VDataset::fieldValue(int row, int field) const
{
    const VField *definition = m_fields->at(field);
    if (!definition || row < 0 || row >= m_rowCount)
        return QVariant();
    if (definition->isLookup()) {
        const QVariant key = fieldValue(row, m_fields->indexOf(definition->keyFields()));
        if (definition->lookup())
            return definition->lookup()(key);
        if (m_dict && !definition->dictItem().isEmpty())
            return m_dict->transDictItem(definition->dictItem(), key.toString(), ',');
        return key.toString();
    }
    const Column &column = m_columns[size_t(field)];
    if (!column.set[size_t(row)])
        return QVariant();
    switch (definition->dataType()) {
    case vd::DT_Double: return column.numbers.at(row);
    case vd::DT_Integer: return column.integers.at(row);
    case vd::DT_Bool: return column.integers.at(row) != 0;
    default: return column.texts.at(row);
    }
}

bool VDataset::setFieldValue(int row, const QString &fieldName, const QVariant &value)
{
    return setFieldValue(row, resolve(fieldName), value);
}

bool VDataset::setFieldValue(int row, int field, const QVariant &value)
{
    const VField *definition = m_fields->at(field);
    if (!definition || definition->isLookup() || row < 0 || row >= m_rowCount)
        return false;
    if (store(row, field, value)) {
        emit onAfterUpdate(row, field);
        for (int dependent : m_fields->dependents(field))
            emit onAfterUpdate(row, dependent);
    }
    return true;
}

// Writes one value; true when it changed.
bool VDataset::store(int row, int field, const QVariant &value)
{
    Column &column = m_columns[size_t(field)];
    const size_t r = size_t(row);
    const bool wasSet = column.set[r];
    if (!value.isValid()) {
        column.set[r] = false;
        return wasSet;
    }
    column.set[r] = true;
    switch (m_fields->at(field)->dataType()) {
    case vd::DT_Double: {
        const double number = value.toDouble();
        double &stored = column.numbers[row];
        const bool changed = !wasSet || stored != number;
        stored = number;
        return changed;
    }
    case vd::DT_Integer:
    case vd::DT_Bool: {
        bool ok = false;
        qint64 number = value.toLongLong(&ok);
        if (!ok)
            number = qint64(std::llround(value.toDouble()));
        qint64 &stored = column.integers[row];
        const bool changed = !wasSet || stored != number;
        stored = number;
        return changed;
    }
    default: {
        const QString text = value.toString();
        QString &stored = column.texts[row];
        const bool changed = !wasSet || stored != text;
        stored = text;
        return changed;
    }
    }
}

bool VDataset::sort(const QString &spec, Qt::CaseSensitivity caseSensitivity)
{
    struct Key
    {
        int field;
        bool descending;
    };
    QVector<Key> keys;
    for (const QString &part : spec.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList words = part.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const int field = words.isEmpty() ? -1 : resolve(words.at(0));
        if (field < 0)
            return false;
        keys.append({field, words.size() > 1 && words.at(1).toInt() == Descending});
    }
    if (keys.isEmpty() || m_rowCount < 2)
        return !keys.isEmpty();

    QVector<int> order(m_rowCount);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        for (const Key &key : qAsConst(keys)) {
            const int result = compare(key.field, a, b, caseSensitivity);
            if (result != 0)
                return key.descending ? result > 0 : result < 0;
        }
        return false;
    });

    emit aboutToBeReordered();
    for (Column &column : m_columns) {
        const Column old = column;
        for (int row = 0; row < m_rowCount; ++row) {
            const int from = order.at(row);
            if (!column.numbers.isEmpty())
                column.numbers[row] = old.numbers.at(from);
            if (!column.integers.isEmpty())
                column.integers[row] = old.integers.at(from);
            if (!column.texts.isEmpty())
                column.texts[row] = old.texts.at(from);
            column.set[size_t(row)] = old.set[size_t(from)];
        }
    }
    emit reordered(order);
    return true;
}

// Negative, 0 or positive as row a's value of field sorts before, with or
// after row b's; nulls first.
int VDataset::compare(int field, int a, int b, Qt::CaseSensitivity caseSensitivity) const
{
    const VField *definition = m_fields->at(field);
    if (definition->isLookup())
        return QString::compare(fieldValue(a, field).toString(), fieldValue(b, field).toString(), caseSensitivity);
    const Column &column = m_columns[size_t(field)];
    const bool setA = column.set[size_t(a)];
    const bool setB = column.set[size_t(b)];
    if (!setA || !setB)
        return int(setA) - int(setB);
    switch (definition->dataType()) {
    case vd::DT_Double: return (column.numbers.at(a) > column.numbers.at(b)) - (column.numbers.at(a) < column.numbers.at(b));
    case vd::DT_Integer:
    case vd::DT_Bool:
        return (column.integers.at(a) > column.integers.at(b)) - (column.integers.at(a) < column.integers.at(b));
    default: return QString::compare(column.texts.at(a), column.texts.at(b), caseSensitivity);
    }
}

int VDataset::locate(const QString &fieldName, const QVariant &value, int start, int first, int last, bool exact) const
{
    const int field = resolve(fieldName);
    if (field < 0)
        return -1;
    const int from = qMax(start, first < 0 ? 0 : first);
    const int to = last < 0 ? m_rowCount - 1 : qMin(last, m_rowCount - 1);
    for (int row = qMax(from, 0); row <= to; ++row) {
        if (matches(field, row, value, exact))
            return row;
    }
    return -1;
}

bool VDataset::matches(int field, int row, const QVariant &value, bool exact) const
{
    const QVariant stored = fieldValue(row, field);
    if (stored.isNull())
        return false;
    if (exact && isNumber(m_fields->at(field)->dataType()))
        return std::fabs(stored.toDouble() - value.toDouble()) < Tolerance;
    if (exact)
        return stored.toString() == value.toString();
    return stored.toString().startsWith(value.toString(), Qt::CaseInsensitive);
}
