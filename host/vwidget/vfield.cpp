#include "vfield.h"

VField::VField(VFieldList *list, const QString &name, const QString &caption, vd::DataType dataType, int size,
               int width)
    : m_list(list)
    , m_name(name)
    , m_caption(caption)
    , m_dataType(dataType)
    , m_size(size)
    , m_width(width)
{
}

VField *VField::setVisible(bool visible)
{
    m_visible = visible;
    return this;
}

VField *VField::setDecimals(int decimals)
{
    m_decimals = decimals;
    return this;
}

VField *VField::setDisplayFormat(const QString &format)
{
    m_displayFormat = format;
    return this;
}

VField *VField::setDictItem(const QString &item)
{
    m_dictItem = item;
    return this;
}

VField *VField::setKeyFields(const QString &fields)
{
    m_keyFields = fields;
    m_list->keysChanged();
    return this;
}

VField *VField::setType(vd::FieldType type)
{
    m_type = type;
    m_list->keysChanged();
    return this;
}

VField *VField::setLookup(Lookup lookup)
{
    m_lookup = std::move(lookup);
    return this;
}

VFieldList::VFieldList() = default;
VFieldList::~VFieldList() = default;

VField *VFieldList::add(const QString &name, const QString &caption, vd::DataType dataType, int size, int width)
{
    m_indexes.insert(name, count());
    m_fields.emplace_back(new VField(this, name, caption, dataType, size, width));
    m_dependentsValid = false;
    return m_fields.back().get();
}

const QVector<int> &VFieldList::dependents(int index) const
{
    if (!m_dependentsValid) {
        m_dependents = QVector<QVector<int>>(count());
        for (int i = 0; i < count(); ++i) {
            const VField *field = at(i);
            const int key = indexOf(field->keyFields());
            if (field->isLookup() && key >= 0)
                m_dependents[key].append(i);
        }
        m_dependentsValid = true;
    }
    return m_dependents.at(index);
}
