#include "vtablemodel.h"

#include "vdataset.h"

#include <QHeaderView>
#include <QTableView>


namespace {

// Columns are a character wider than their field's width for the cell's margins.
constexpr int ColumnPaddingChars = 1;

QString numberText(double value, int decimals)
{
    if (decimals >= 0)
        return QString::number(value, 'f', decimals);
    QString text = QString::number(value, 'f', 4);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

} // namespace

VTableModel::VTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

VTableModel::~VTableModel() = default;

void VTableModel::linkDatasetTable(VDataset *dataset, QTableView *view, bool setViewModel, bool keepRowOrder)
{
    beginResetModel();
    if (m_dataset)
        m_dataset->disconnect(this);
    m_dataset = dataset;
    m_keepRowOrder = keepRowOrder;
    if (dataset) {
        // By signature, so a subclass's own doAfterUpdate slot is the one
        // called, once, however many times it is connected.
        connect(dataset, SIGNAL(onAfterUpdate(int, int)), this, SLOT(doAfterUpdate(int, int)),
                Qt::UniqueConnection);
        connect(dataset, &VDataset::rowAboutToBeAppended, this, [this](int row) { beginInsertRows({}, row, row); });
        connect(dataset, &VDataset::rowAppended, this, &VTableModel::endInsertRows);
        connect(dataset, &VDataset::rowAboutToBeRemoved, this, [this](int row) { beginRemoveRows({}, row, row); });
        connect(dataset, &VDataset::rowRemoved, this, &VTableModel::endRemoveRows);
        connect(dataset, &VDataset::aboutToBeReset, this, &VTableModel::beginResetModel);
        connect(dataset, &VDataset::wasReset, this, [this] {
            rebuildColumns();
            endResetModel();
        });
        connect(dataset, &VDataset::aboutToBeReordered, this,
                [this] { emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint); });
        connect(dataset, &VDataset::reordered, this, &VTableModel::datasetReordered);
        connect(dataset, &QObject::destroyed, this, [this] {
            beginResetModel();
            m_dataset.clear();
            rebuildColumns();
            endResetModel();
        });
    }
    rebuildColumns();
    endResetModel();

    if (!setViewModel || !view)
        return;
    view->setModel(this);
    const int charWidth = view->fontMetrics().averageCharWidth();
    for (int column = 0; column < m_fieldOfColumn.size(); ++column) {
        const int width = dataset->fields()->at(m_fieldOfColumn.at(column))->width();
        view->horizontalHeader()->resizeSection(column, (width + ColumnPaddingChars) * charWidth);
    }
}

void VTableModel::refreshModel()
{
    beginResetModel();
    rebuildColumns();
    endResetModel();
}

VDataset *VTableModel::dataset() const
{
    return m_dataset;
}

void VTableModel::rebuildColumns()
{
    m_fieldOfColumn.clear();
    m_columnOfField.clear();
    if (m_dataset) {
        const VFieldList *fields = m_dataset->fields();
        m_columnOfField.fill(-1, fields->count());
        for (int field = 0; field < fields->count(); ++field) {
            if (!fields->at(field)->isVisible())
                continue;
            m_columnOfField[field] = m_fieldOfColumn.size();
            m_fieldOfColumn.append(field);
        }
    }
}

int VTableModel::colIndexByFieldName(const QString &fieldName) const
{
    if (!m_dataset)
        return -1;
    return columnOfField(m_dataset->fields()->indexOf(fieldName));
}

int VTableModel::fieldIndex(const QModelIndex &index) const
{
    return index.isValid() ? m_fieldOfColumn.value(index.column(), -1) : -1;
}

bool VTableModel::setHeaderData(int section, const QVariant &value, int role)
{
    return setHeaderData(section, Qt::Horizontal, value, role);
}

int VTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_dataset ? 0 : m_dataset->recordCount();
}

int VTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_fieldOfColumn.size();
}

QVariant VTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section < 0 || section >= m_fieldOfColumn.size())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole: return m_dataset->fields()->at(m_fieldOfColumn.at(section))->caption();
    case Qt::TextAlignmentRole: return m_headerAlignment.value(section);
    default: return QVariant();
    }
}

bool VTableModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role)
{
    if (orientation != Qt::Horizontal || role != HeaderAlignmentRole || section < 0
        || section >= m_fieldOfColumn.size())
        return false;
    m_headerAlignment.insert(section, value);
    emit headerDataChanged(orientation, section, section);
    return true;
}

QVariant VTableModel::data(const QModelIndex &index, int role) const
{
    const int field = fieldIndex(index);
    if (field < 0 || !m_dataset)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole: return getDisplayText(index);
    case Qt::EditRole: return m_dataset->fieldValue(index.row(), field);
    case Qt::ForegroundRole: return getForeground(index);
    case Qt::BackgroundRole: return getBackground(index);
    case Qt::TextAlignmentRole: {
        const QVariant aligned = m_headerAlignment.value(index.column());
        if (aligned.isValid())
            return aligned;
        const VField *definition = m_dataset->fields()->at(field);
        const bool number = !definition->isLookup() && definition->dataType() != vd::DT_String;
        return int((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    default: return QVariant();
    }
}

bool VTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const int field = fieldIndex(index);
    if (role != Qt::EditRole || field < 0 || !m_dataset)
        return false;
    return m_dataset->setFieldValue(index.row(), field, value);
}

void VTableModel::sort(int column, Qt::SortOrder order)
{
    const int field = m_fieldOfColumn.value(column, -1);
    if (m_keepRowOrder || field < 0 || !m_dataset)
        return;
    const QString spec = QStringLiteral("%1 %2").arg(m_dataset->fields()->at(field)->name()).arg(
        order == Qt::AscendingOrder ? VDataset::Ascending : VDataset::Descending);
    m_dataset->sort(spec, Qt::CaseSensitive);
}

void VTableModel::datasetReordered(const QVector<int> &order)
{
    QVector<int> newRowOf(order.size());
    for (int row = 0; row < order.size(); ++row)
        newRowOf[order.at(row)] = row;
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before)
        after.append(this->index(newRowOf.value(index.row(), index.row()), index.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QVariant VTableModel::getDisplayText(const QModelIndex &index) const
{
    const int field = fieldIndex(index);
    if (field < 0 || !m_dataset)
        return QVariant();
    const QVariant value = m_dataset->fieldValue(index.row(), field);
    const VField *definition = m_dataset->fields()->at(field);
    if (value.isNull() || definition->isLookup())
        return value.toString();
    const bool number = definition->dataType() == vd::DT_Double || definition->dataType() == vd::DT_Integer;
    if (number && !vd::isShownNumber(value.toDouble()))
        return QStringLiteral("--");
    switch (definition->dataType()) {
    case vd::DT_Double:
        if (definition->displayFormat() == QLatin1String("pct")) {
            const int decimals = definition->decimals() >= 0 ? definition->decimals() : 2;
            return numberText(value.toDouble() * 100, decimals) + QLatin1Char('%');
        }
        return numberText(value.toDouble(), definition->decimals());
    case vd::DT_Integer: return QString::number(value.toLongLong());
    default: return value.toString();
    }
}

QVariant VTableModel::getForeground(const QModelIndex &) const
{
    return QVariant();
}

QVariant VTableModel::getBackground(const QModelIndex &) const
{
    return QVariant();
}

void VTableModel::doAfterUpdate(int row, int field)
{
    const int column = columnOfField(field);
    if (column < 0 || row < 0 || row >= rowCount())
        return;
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell);
}
