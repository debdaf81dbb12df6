#include "vquotdataitem.h"

#include "vquotdataitems.h"

VQuotDataItem::VQuotDataItem(VQuotDataItems *owner, const QString &key, const QString &label, Kind kind)
    : m_owner(owner)
    , m_key(key)
    , m_label(label)
    , m_kind(kind)
{
}

void VQuotDataItem::setValue(const QVariant &value)
{
    m_value = value;
    emit m_owner->valueSet(this);
}

void VQuotDataItem::setVisible(bool visible)
{
    if (m_visible == visible)
        return;
    m_visible = visible;
    emit m_owner->visibilityChanged(this);
}
