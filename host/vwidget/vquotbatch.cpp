#include "vquotbatch.h"

#include "vframepacer.h"

#include <cstring>
#include <utility>

VQuotBatch::VQuotBatch(QObject *parent)
    : QObject(parent)
    , m_pacer(new VFramePacer(this))
{
    connect(m_pacer, &VFramePacer::frame, this, [this] {
        if (!m_records.isEmpty())
            emit ready();
    });
}

void VQuotBatch::add(const VQuotData &record)
{
    // The key is looked up as a view of this buffer: a security already
    // waiting, the common case under load, costs no allocation.
    char key[1 + sizeof record.code];
    key[0] = record.market;
    const int length = 1 + int(qstrnlen(record.code, sizeof record.code));
    std::memcpy(key + 1, record.code, size_t(length - 1));
    const auto position = m_positions.constFind(QByteArray::fromRawData(key, length));
    if (position != m_positions.cend()) {
        m_records[*position] = record;
        return;
    }
    m_positions.insert(QByteArray(key, length), m_records.size());
    m_records.append(record);
    m_pacer->request();
}

QVector<VQuotData> VQuotBatch::take()
{
    m_positions.clear();
    return std::exchange(m_records, {});
}

void VQuotBatch::clear()
{
    m_positions.clear();
    m_records.clear();
}
