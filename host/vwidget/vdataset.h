#pragma once

#include "vfield.h"
#include "vwidget_global.h"

#include <QObject>
#include <QSet>
#include <QVariant>
#include <QVector>

#include <vector>

class VDataDict;

// In-memory records with named, typed fields (VField), the data behind the
// boards' tables (VTableModel). Values are stored per field in a typed
// column with a null mark: doubles, 64-bit integers (also for DT_Bool) or
// texts, so writing a number allocates nothing. A field's value is null
// (an invalid QVariant) until it is first written; a newly appended row
// is null in every field.
//
// fieldValue() of a row or field the dataset does not have, by name or by
// index, is an invalid QVariant (toDouble() 0.0, toString() empty);
// setFieldValue() of one is refused with false. Unknown names are logged
// once per name.
//
// A value written to a number field is converted; a text that is no number
// (such as "--") stores 0. An invalid QVariant makes the value null again.
// onAfterUpdate(row, field index) follows every write that changed a value,
// and is repeated for the lookup fields keyed by that field.
//
// The row signals tell linked models what happens to the records; they are
// not meant for anything else.
class VWIDGET_EXPORT VDataset : public QObject
{
    Q_OBJECT
public:
    // Direction codes of sort(): "price 0" ascending, "price 1" descending.
    enum SortDirection { Ascending = 0, Descending = 1 };

    explicit VDataset(QObject *parent = nullptr);
    ~VDataset() override;

    // Whether the records come from a business service of the host; kept
    // for the host's data services, no effect on the dataset itself.
    void setBusiness(bool business);
    bool isBusiness() const { return m_business; }
    // Translates the lookup fields that name a dictionary item; not owned.
    void setDataDict(const VDataDict *dict);
    const VDataDict *dataDict() const { return m_dict; }

    // Defines a field (vd::DataType codes). A name that is already defined
    // is logged and its field returned unchanged.
    VField *addField(const QString &name, const QString &caption, int dataType, int size, int width);
    VFieldList *fields() const { return m_fields.get(); }

    // Records can be appended only while open. close(true) drops them,
    // close(false) keeps them for the next open().
    void open();
    void close(bool clearRecords);
    bool isOpen() const { return m_open; }

    // The new row's index, -1 when closed.
    int append();
    bool remove(int row);
    int recordCount() const { return m_rowCount; }

    QVariant fieldValue(int row, const QString &fieldName) const;
    QVariant fieldValue(int row, int field) const;
    bool setFieldValue(int row, const QString &fieldName, const QVariant &value);
    bool setFieldValue(int row, int field, const QVariant &value);

    // Reorders the records by spec: fields with direction codes, "name 0"
    // or "name 1", several separated by ","; a missing code is ascending.
    // Stable: rows with equal keys keep their order. Nulls come first in
    // ascending order. False (and nothing moves) when a field is unknown.
    bool sort(const QString &spec, Qt::CaseSensitivity caseSensitivity);
    // The first row from start on, within rows first..last (-1: the first
    // and the last row), whose field equals value: numbers within 1e-8,
    // texts exactly (exact) or starting with value's text, ignoring case
    // (!exact). -1 when there is none.
    virtual int locate(const QString &fieldName, const QVariant &value, int start, int first = -1, int last = -1,
                       bool exact = true) const;

signals:
    void onAfterUpdate(int row, int field);

    void rowAboutToBeAppended(int row);
    void rowAppended(int row);
    void rowAboutToBeRemoved(int row);
    void rowRemoved(int row);
    void aboutToBeReset();
    void wasReset();
    void aboutToBeReordered();
    // order[newRow] is the row's index before the sort.
    void reordered(const QVector<int> &order);

private:
    struct Column
    {
        QVector<double> numbers;
        QVector<qint64> integers;
        QVector<QString> texts;
        std::vector<bool> set;
    };

    int resolve(const QString &fieldName) const;
    bool store(int row, int field, const QVariant &value);
    void resizeColumn(Column &column, const VField &field, int rows);
    int compare(int field, int a, int b, Qt::CaseSensitivity caseSensitivity) const;
    bool matches(int field, int row, const QVariant &value, bool exact) const;

    std::unique_ptr<VFieldList> m_fields;
    std::vector<Column> m_columns; // per field; lookup fields keep theirs empty
    const VDataDict *m_dict = nullptr;
    int m_rowCount = 0;
    bool m_open = false;
    bool m_business = true;
    mutable QSet<QString> m_reportedNames;
};
