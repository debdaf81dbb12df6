#include "vcacheitem.h"

#include "vcsv.h"
#include "vframelog.h"

#include <voutput.h>

#include <QReadLocker>
#include <QThread>

#include <numeric>

Q_LOGGING_CATEGORY(lcFrame, "tarn.vframe", QtInfoMsg)

namespace {

// Joins the parts of a composite key; a control character no cache text holds.
const QChar KeySeparator(0x1F);

void logFailure(int line, const QString &message)
{
    VOutput(3, QStringLiteral(__FILE__), line, QString(), message);
}

QString keyText(const QVariantList &values)
{
    QString text;
    for (int i = 0; i < values.size(); ++i) {
        if (i > 0)
            text += KeySeparator;
        text += values.at(i).toString();
    }
    return text;
}

} // namespace

VCacheItem::VCacheItem(const QString &name, QObject *parent)
    : QObject(parent)
    , m_name(name)
{
}

VCacheItem::~VCacheItem()
{
    const QStringList owners = lockOwners();
    if (!owners.isEmpty())
        logFailure(__LINE__, QStringLiteral("缓存[%1]释放时仍被[%2]读锁定").arg(m_name, owners.join(QLatin1Char(','))));
}

QString VCacheItem::name() const
{
    return m_name;
}

bool VCacheItem::isNormal() const
{
    return m_normal;
}

bool VCacheItem::readLock(const QString &owner)
{
    if (!m_lock.tryLockForRead(m_lockTimeout)) {
        logFailure(__LINE__, QStringLiteral("缓存[%1]读锁等待超时: %2").arg(m_name, owner));
        return false;
    }
    QMutexLocker locker(&m_holderMutex);
    m_holders.append({owner, QThread::currentThreadId()});
    return true;
}

void VCacheItem::unlock(const QString &owner)
{
    const Qt::HANDLE self = QThread::currentThreadId();
    {
        QMutexLocker locker(&m_holderMutex);
        for (int i = m_holders.size() - 1; i >= 0; --i) {
            if (m_holders.at(i).owner == owner && m_holders.at(i).thread == self) {
                m_holders.remove(i);
                m_lock.unlock();
                return;
            }
        }
    }
    logFailure(__LINE__, QStringLiteral("缓存[%1]解锁失败: [%2]未持有读锁").arg(m_name, owner));
}

QStringList VCacheItem::lockOwners() const
{
    QMutexLocker locker(&m_holderMutex);
    QStringList owners;
    for (const Holder &holder : m_holders)
        owners << holder.owner;
    return owners;
}

int VCacheItem::lockTimeout() const
{
    return m_lockTimeout;
}

void VCacheItem::setLockTimeout(int msecs)
{
    m_lockTimeout = msecs;
}

QStringList VCacheItem::fields() const
{
    QReadLocker locker(&m_lock);
    return m_fields;
}

int VCacheItem::recordCount1() const
{
    QReadLocker locker(&m_lock);
    return m_rows.size();
}

QVariant VCacheItem::fieldValue1(int record, const QString &field) const
{
    QReadLocker locker(&m_lock);
    const int column = m_fieldPos.value(field, -1);
    if (column < 0) {
        reportUnknownField(field);
        return QVariant();
    }
    if (record < 0 || record >= m_rows.size())
        return QVariant();
    return m_rows.at(record).at(column);
}

bool VCacheItem::supportBisearch() const
{
    return true;
}

int VCacheItem::query(QList<QVariantMap> &records, const QString &keyFields, const QVariantList &keyValues,
                      const QString &resultFields, bool) const
{
    records.clear();
    QReadLocker locker(&m_lock);
    QVector<int> rows;
    QVector<int> result;
    if (!find(keyFields, keyValues, resultFields, rows, result))
        return 0;
    records.reserve(rows.size());
    for (int row : qAsConst(rows))
        records.append(record(row, result));
    return records.size();
}

bool VCacheItem::lookup(QVariantMap &record, const QString &keyField, const QVariant &keyValue,
                        const QString &wantedFields, int) const
{
    record.clear();
    QReadLocker locker(&m_lock);
    QVector<int> rows;
    QVector<int> result;
    if (!find(keyField, {keyValue}, wantedFields, rows, result) || rows.isEmpty())
        return false;
    record = this->record(rows.constFirst(), result);
    return true;
}

bool VCacheItem::load(const QStringList &fields, const QVector<QVector<QVariant>> &rows)
{
    if (!checkFields(fields, m_name))
        return false;
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i).size() != fields.size()) {
            m_normal = false;
            logFailure(__LINE__,
                       QStringLiteral("缓存[%1]第%2条记录有%3个字段,应为%4个,加载失败")
                           .arg(m_name)
                           .arg(i + 1)
                           .arg(rows.at(i).size())
                           .arg(fields.size()));
            return false;
        }
    }
    return replace(fields, rows);
}

bool VCacheItem::loadCsv(const QString &path)
{
    QVector<VCsv::Line> lines;
    QString error;
    if (!VCsv::read(path, lines, &error)) {
        m_normal = false;
        logFailure(__LINE__, QStringLiteral("缓存[%1]读取文件[%2]失败: %3").arg(m_name, path, error));
        return false;
    }
    if (lines.isEmpty()) {
        m_normal = false;
        logFailure(__LINE__, QStringLiteral("缓存[%1]文件[%2]没有字段名行").arg(m_name, path));
        return false;
    }
    QStringList fields = lines.constFirst().fields;
    for (QString &field : fields)
        field = field.trimmed();
    if (!checkFields(fields, path))
        return false;

    QVector<QVector<QVariant>> rows;
    rows.reserve(lines.size() - 1);
    for (int i = 1; i < lines.size(); ++i) {
        const VCsv::Line &line = lines.at(i);
        if (line.fields.size() != fields.size()) {
            logFailure(__LINE__,
                       QStringLiteral("缓存[%1]文件[%2]第%3行有%4个字段,应为%5个,已跳过")
                           .arg(m_name, path)
                           .arg(line.number)
                           .arg(line.fields.size())
                           .arg(fields.size()));
            continue;
        }
        QVector<QVariant> row;
        row.reserve(fields.size());
        for (const QString &value : line.fields)
            row.append(value);
        rows.append(row);
    }
    return replace(fields, std::move(rows));
}

// Field names must be present and distinct; source names the input in the message.
bool VCacheItem::checkFields(const QStringList &fields, const QString &source)
{
    QSet<QString> seen;
    for (const QString &field : fields) {
        if (field.isEmpty() || seen.contains(field)) {
            m_normal = false;
            logFailure(__LINE__, QStringLiteral("缓存[%1]字段名无效或重复: [%2] (%3)").arg(m_name, field, source));
            return false;
        }
        seen.insert(field);
    }
    return true;
}

// Swaps the new table in under the write lock. A reader holding the lock on
// this thread would wait for the reload forever, and one on another thread
// may hold it too long: both keep the old contents.
bool VCacheItem::replace(const QStringList &fields, QVector<QVector<QVariant>> rows)
{
    const Qt::HANDLE self = QThread::currentThreadId();
    {
        QMutexLocker locker(&m_holderMutex);
        for (const Holder &holder : qAsConst(m_holders)) {
            if (holder.thread == self) {
                logFailure(__LINE__,
                           QStringLiteral("缓存[%1]重新加载失败: 本线程的[%2]持有读锁,保留原有内容")
                               .arg(m_name, holder.owner));
                return false;
            }
        }
    }
    if (!m_lock.tryLockForWrite(m_lockTimeout)) {
        logFailure(__LINE__,
                   QStringLiteral("缓存[%1]重新加载失败: 等待读锁[%2]释放超时,保留原有内容")
                       .arg(m_name, lockOwners().join(QLatin1Char(','))));
        return false;
    }
    m_fields = fields;
    m_fieldPos.clear();
    for (int i = 0; i < fields.size(); ++i)
        m_fieldPos.insert(fields.at(i), i);
    m_rows = std::move(rows);
    {
        QMutexLocker locker(&m_indexMutex);
        m_indexes.clear();
        m_reportedFields.clear();
    }
    m_normal = true;
    const int count = m_rows.size();
    m_lock.unlock();

    VOutput(0, QStringLiteral(__FILE__), __LINE__, QString(),
            QStringLiteral("缓存[%1]已加载%2条记录").arg(m_name).arg(count));
    emit loaded();
    return true;
}

bool VCacheItem::columns(const QString &names, QVector<int> &positions) const
{
    positions.clear();
    bool known = true;
    const QStringList list = names.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &name : list) {
        const QString field = name.trimmed();
        const int column = m_fieldPos.value(field, -1);
        if (column < 0) {
            reportUnknownField(field);
            known = false;
        } else {
            positions.append(column);
        }
    }
    return known;
}

// Unknown key fields find nothing; unknown result fields are left out of the records.
bool VCacheItem::find(const QString &keyFields, const QVariantList &keyValues, const QString &resultFields,
                      QVector<int> &rows, QVector<int> &result) const
{
    QVector<int> keys;
    if (!columns(keyFields, keys))
        return false;
    if (keys.isEmpty() || keys.size() != keyValues.size()) {
        logFailure(__LINE__,
                   QStringLiteral("缓存[%1]查询条件[%2]与%3个取值不符").arg(m_name, keyFields).arg(keyValues.size()));
        return false;
    }
    if (resultFields.trimmed().isEmpty()) {
        result.resize(m_fields.size());
        std::iota(result.begin(), result.end(), 0);
    } else {
        columns(resultFields, result);
    }
    rows = rowsWithKey(keys, keyText(keyValues));
    return true;
}

void VCacheItem::reportUnknownField(const QString &field) const
{
    QMutexLocker locker(&m_indexMutex);
    if (m_reportedFields.contains(field))
        return;
    m_reportedFields.insert(field);
    logFailure(__LINE__, QStringLiteral("缓存[%1]没有字段[%2]").arg(m_name, field));
}

QVector<int> VCacheItem::rowsWithKey(const QVector<int> &keyColumns, const QString &key) const
{
    QMutexLocker locker(&m_indexMutex);
    auto it = m_indexes.find(keyColumns);
    if (it == m_indexes.end()) {
        Index index;
        index.reserve(m_rows.size());
        for (int row = 0; row < m_rows.size(); ++row) {
            const QVector<QVariant> &values = m_rows.at(row);
            QVariantList parts;
            parts.reserve(keyColumns.size());
            for (int column : keyColumns)
                parts.append(values.at(column));
            index[keyText(parts)].append(row);
        }
        qCDebug(lcFrame) << "cache" << m_name << "indexed by columns" << keyColumns << "with" << index.size() << "keys";
        it = m_indexes.insert(keyColumns, index);
    }
    return it->value(key);
}

QVariantMap VCacheItem::record(int row, const QVector<int> &columns) const
{
    QVariantMap map;
    const QVector<QVariant> &values = m_rows.at(row);
    for (int column : columns)
        map.insert(m_fields.at(column), values.at(column));
    return map;
}
