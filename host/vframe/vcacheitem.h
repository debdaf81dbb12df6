#pragma once

#include "vframe_global.h"

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QReadWriteLock>
#include <QSet>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <atomic>

// One reference-data cache of the host: a table of records with named fields.
// Readers that walk the records take readLock(owner) and unlock(owner) around
// the walk; a reload waits for them (up to lockTimeout()) and replaces the
// whole table at once; a thread that holds the read lock itself cannot
// reload (it would wait for itself) and is refused at once. Every read
// operation also takes the read lock, so single calls are safe against a
// reload on another thread.
// Values are kept as the source gave them (text from files); callers convert.
class VFRAME_EXPORT VCacheItem : public QObject
{
    Q_OBJECT
public:
    explicit VCacheItem(const QString &name, QObject *parent = nullptr);
    ~VCacheItem() override;

    QString name() const;
    // False until a load succeeds and after a load whose input was unusable.
    // A reload that cannot get the write lock changes nothing.
    bool isNormal() const;

    // owner is a display text of the caller, kept for diagnostics while it
    // holds the lock. Readers may nest; each readLock needs its own unlock.
    bool readLock(const QString &owner);
    void unlock(const QString &owner);
    QStringList lockOwners() const;

    // How long a reload waits for readers, and readLock for a reload, in milliseconds.
    int lockTimeout() const;
    void setLockTimeout(int msecs);

    QStringList fields() const;
    int recordCount1() const;
    // Invalid for a record out of range or a field the cache does not have.
    QVariant fieldValue1(int record, const QString &field) const;
    // Keyed searches go through a hash index per key-field combination,
    // built on first use, so they never scan; the bisearch flag of query is
    // accepted for compatibility and changes nothing.
    bool supportBisearch() const;

    // Records whose key fields (joined by ';') equal the key values, compared
    // as text, in record order. resultFields joined by ';', empty for all
    // fields. Returns the number of records found.
    virtual int query(QList<QVariantMap> &records, const QString &keyFields, const QVariantList &keyValues,
                      const QString &resultFields, bool bisearch) const;
    // The first record whose keyField equals keyValue; false when there is none.
    virtual bool lookup(QVariantMap &record, const QString &keyField, const QVariant &keyValue,
                        const QString &wantedFields, int flags = 0) const;

    // Replaces the contents and announces the load. Rows shorter or longer
    // than the field list make the whole load fail.
    bool load(const QStringList &fields, const QVector<QVector<QVariant>> &rows);
    // Loads a UTF-8 CSV file whose first line names the fields. Lines with
    // the wrong number of fields are logged and skipped; an unreadable file
    // fails the load.
    bool loadCsv(const QString &path);

signals:
    // After every successful load or reload (connected by VCacheMgr::dynCache).
    void loaded();

private:
    struct Holder
    {
        QString owner;
        Qt::HANDLE thread;
    };
    // Row numbers by the key text of one key-field combination.
    using Index = QHash<QString, QVector<int>>;

    bool checkFields(const QStringList &fields, const QString &source);
    bool replace(const QStringList &fields, QVector<QVector<QVariant>> rows);
    // Column positions of the ';'-joined names; false (logged) when one is unknown.
    bool columns(const QString &names, QVector<int> &positions) const;
    // The matching rows and the columns to report; called under the read lock.
    bool find(const QString &keyFields, const QVariantList &keyValues, const QString &resultFields, QVector<int> &rows,
              QVector<int> &result) const;
    void reportUnknownField(const QString &field) const;
    // The rows whose key columns hold keyText, through the index of those columns.
    QVector<int> rowsWithKey(const QVector<int> &keyColumns, const QString &keyText) const;
    QVariantMap record(int row, const QVector<int> &columns) const;

    const QString m_name;
    mutable QReadWriteLock m_lock {QReadWriteLock::Recursive};
    std::atomic<int> m_lockTimeout {3000};
    std::atomic<bool> m_normal {false};

    mutable QMutex m_holderMutex;
    QVector<Holder> m_holders;

    // Guarded by m_lock: written only under the write lock.
    QStringList m_fields;
    QHash<QString, int> m_fieldPos;
    QVector<QVector<QVariant>> m_rows;

    // Built lazily by readers, so guarded by their own mutex; dropped on reload.
    mutable QMutex m_indexMutex;
    mutable QHash<QVector<int>, Index> m_indexes;
    mutable QSet<QString> m_reportedFields;
};
