#pragma once

#include "vdefs.h"
#include "vwidget_global.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

class VFieldList;

// One named, typed field of a VDataset: how its values are stored
// (dataType), shown (caption, width, decimals, display format, visibility)
// and, for a lookup field (type FT_Lookup), where its text comes from: the
// value of its key field translated through the data dictionary item, or
// through a lookup function. A lookup field stores nothing of its own.
//
// The setters return the field, so a definition reads as one chain:
//   dataset->addField("incratio", "涨幅", vd::DT_Double, 33, 9)->setDecimals(4)->setDisplayFormat("pct");
class VWIDGET_EXPORT VField
{
public:
    using Lookup = std::function<QString(const QVariant &key)>;

    const QString &name() const { return m_name; }
    const QString &caption() const { return m_caption; }
    vd::DataType dataType() const { return m_dataType; }
    // The longest value the host's record layout allows, in bytes; kept for
    // the host's data services, not enforced here.
    int size() const { return m_size; }
    // The column width in average characters.
    int width() const { return m_width; }
    bool isVisible() const { return m_visible; }
    // Decimals shown for a double; -1 when not set (see VTableModel).
    int decimals() const { return m_decimals; }
    // "pct": a fraction shown as a percentage (0.0123 → "1.23%").
    const QString &displayFormat() const { return m_displayFormat; }
    const QString &dictItem() const { return m_dictItem; }
    const QString &keyFields() const { return m_keyFields; }
    vd::FieldType type() const { return m_type; }
    bool isLookup() const { return m_type == vd::FT_Lookup; }
    const Lookup &lookup() const { return m_lookup; }

    VField *setVisible(bool visible);
    VField *setDecimals(int decimals);
    VField *setDisplayFormat(const QString &format);
    VField *setDictItem(const QString &item);
    VField *setKeyFields(const QString &fields);
    VField *setType(vd::FieldType type);
    // Replaces the dictionary translation of a lookup field.
    VField *setLookup(Lookup lookup);

private:
    friend class VFieldList;
    VField(VFieldList *list, const QString &name, const QString &caption, vd::DataType dataType, int size,
           int width);

    VFieldList *m_list; // the list that owns the field
    QString m_name;
    QString m_caption;
    vd::DataType m_dataType;
    int m_size;
    int m_width;
    bool m_visible = true;
    int m_decimals = -1;
    QString m_displayFormat;
    QString m_dictItem;
    QString m_keyFields;
    vd::FieldType m_type = vd::FT_Data;
    Lookup m_lookup;
};

// The fields of a dataset in definition order; a field's position is its
// field index.
class VWIDGET_EXPORT VFieldList
{
public:
    VFieldList();
    ~VFieldList();
    VFieldList(const VFieldList &) = delete;
    VFieldList &operator=(const VFieldList &) = delete;

    int count() const { return int(m_fields.size()); }
    bool checkIndex(int index) const { return index >= 0 && index < count(); }
    // Null when out of range.
    VField *at(int index) const { return checkIndex(index) ? m_fields[size_t(index)].get() : nullptr; }
    // -1 for a name the list does not hold.
    int indexOf(const QString &name) const { return m_indexes.value(name, -1); }
    VField *field(const QString &name) const { return at(indexOf(name)); }

    // The lookup fields whose key is the field at index.
    const QVector<int> &dependents(int index) const;

private:
    friend class VDataset;
    friend class VField;
    VField *add(const QString &name, const QString &caption, vd::DataType dataType, int size, int width);
    void keysChanged() { m_dependentsValid = false; }

    std::vector<std::unique_ptr<VField>> m_fields;
    QHash<QString, int> m_indexes;
    mutable QVector<QVector<int>> m_dependents;
    mutable bool m_dependentsValid = false;
};
