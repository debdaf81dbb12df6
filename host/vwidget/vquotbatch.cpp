#include "vquotbatch.h"

#include "vframepacer.h"

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
    const QString key = record.productKey();
    const auto position = m_positions.constFind(key);
    if (position != m_positions.cend()) {
        m_records[*position] = record;
        return;
    }
    m_positions.insert(key, m_records.size());
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
