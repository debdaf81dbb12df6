#include "quotbatch.h"

#include "framepacer.h"

#include <utility>

QuotBatch::QuotBatch(QObject *parent)
    : QObject(parent)
    , m_pacer(new FramePacer(FramePacer::Write, this))
{
    connect(m_pacer, &FramePacer::frame, this, [this] {
        if (!m_records.isEmpty())
            emit ready();
    });
}

void QuotBatch::add(const VQuotData &record)
{
    const SecurityId id = SecurityId::of(record);
    const auto position = m_positions.constFind(id);
    if (position != m_positions.cend()) {
        m_records[*position] = record;
        return;
    }
    m_positions.insert(id, m_records.size());
    m_records.append(record);
    m_pacer->request();
}

QVector<VQuotData> QuotBatch::take()
{
    m_positions.clear();
    return std::exchange(m_records, {});
}

void QuotBatch::clear()
{
    m_positions.clear();
    m_records.clear();
}
