#pragma once

#include "vframe_global.h"

#include <QHash>
#include <QMultiHash>
#include <QMutex>
#include <QObject>
#include <QReadWriteLock>
#include <QStringList>
#include <QVariant>
#include <QVector>

// One reference-data cache of the host: a table of records with named fields.
// Readers that walk the records take readLock(owner) and unlock(owner) around
// the walk; a reload waits for them and replaces the whole table at once.
// Values are kept as the source gave them (text from files); callers convert.
class VFRAME_EXPORT VCacheItem : public QObject
{
    Q_OBJECT
public:
    explicit VCacheItem(const QString &name, QObject *parent = nullptr);
    ~VCacheItem() override;

    QString name() const;
    // False until a load succeeds, and after a failed one: the contents are unusable.
    bool isNormal() const;

    // owner is a display text of the caller, kept for diagnostics while it holds the lock.
    bool readLock(const QString &owner);
    void unlock(const QString &owner);
    QStringList lockOwners() const;

    QStringList fields() const;
    int recordCount1() const;
    QVariant fieldValue1(int record, const QString &field) const;
    // Keyed searches go through a hash index built on first use, so they never scan.
    bool supportBisearch() const;

    // Records whose key fields (joined by ';') equal the key values (compared
    // as text). resultFields joined by ';', empty for all fields.
    virtual int query(QList<QVariantMap> &records, const QString &keyFields, const QVariantList &keyValues,
                      const QString &resultFields, bool bisearch) const;
    // The first record whose keyField equals keyValue; false when there is none.
    virtual bool lookup(QVariantMap &record, const QString &keyField, const QVariant &keyValue,
                        const QString &wantedFields, int flags = 0) const;

    // Replaces the contents and announces the load. Rows shorter or longer
    // than the field list are refused whole.
    bool load(const QStringList &fields, const QVector<QVector<QVariant>> &rows);
    // Loads a UTF-8 CSV file whose first line names the fields. A missing or
    // unreadable file leaves the cache abnormal; malformed lines are skipped
    // and logged.
    bool loadCsv(const QString &path);
    void clear();

signals:
    // After every load or reload of the contents (connected by VCacheMgr::dynCache).
    void loaded();

private:
    QVariantMap record(int row, const QStringList &fields) const;
    const QMultiHash<QString, int> &index(const QString &keyField) const;

    QString m_name;
    mutable QReadWriteLock m_lock {QReadWriteLock::Recursive};
    mutable QMutex m_ownerMutex;
    QStringList m_owners;
    bool m_normal = false;
    QStringList m_fields;
    QHash<QString, int> m_fieldPos;
    QVector<QVector<QVariant>> m_rows;
    mutable QMutex m_indexMutex;
    mutable QHash<QString, QMultiHash<QString, int>> m_indexes;
};
