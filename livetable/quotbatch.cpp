#include "quotbatch.h"

#include "framepacer.h"
#include "latestquotes.h"

QuotBatch::QuotBatch(QObject *parent)
    : QObject(parent)
    , m_pacer(new FramePacer(FramePacer::Write, this))
    , m_slots(64)
{
    connect(m_pacer, &FramePacer::frame, this, [this] {
        if (!m_records.empty())
            emit ready();
    });
}

QuotBatch::~QuotBatch() = default;

QuotBatch::Slot &QuotBatch::slotOf(const SecurityId &id)
{
    const size_t mask = m_slots.size() - 1;
    for (size_t i = qHash(id) & mask;; i = (i + 1) & mask) {
        Slot &slot = m_slots[i];
        if (slot.generation != m_generation || m_ids[slot.record] == id)
            return slot;
    }
}

void QuotBatch::add(const VQuotData &record)
{
    const SecurityId id = SecurityId::of(record);
    Slot &slot = slotOf(id);
    if (slot.generation == m_generation) {
        m_records[slot.record] = record;
        return;
    }
    slot = {m_generation, quint32(m_records.size())};
    m_records.push_back(record);
    m_ids.push_back(id);
    if (m_records.size() * 2 > m_slots.size())
        grow();
    m_pacer->request();
}

void QuotBatch::grow()
{
    m_slots.assign(m_slots.size() * 2, Slot());
    m_generation = 1;
    for (size_t i = 0; i < m_records.size(); ++i)
        slotOf(m_ids[i]) = {m_generation, quint32(i)};
}

void QuotBatch::addLatest(const SecurityId &id)
{
    const LatestQuotes *latest = LatestQuotes::instance();
    const VQuotData *record = latest ? latest->find(id) : nullptr;
    // A record that came since is newer.
    if (record && slotOf(id).generation != m_generation)
        add(*record);
}

const std::vector<VQuotData> &QuotBatch::take()
{
    m_taken.swap(m_records);
    clear();
    if (LatestQuotes *latest = LatestQuotes::instance()) {
        for (const VQuotData &record : m_taken)
            latest->store(record);
    }
    return m_taken;
}

void QuotBatch::clear()
{
    m_records.clear();
    m_ids.clear();
    // A new generation frees every slot at once; the slots start again
    // only when the count wraps.
    if (++m_generation == 0) {
        std::fill(m_slots.begin(), m_slots.end(), Slot());
        m_generation = 1;
    }
}
