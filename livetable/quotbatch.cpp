#include "quotbatch.h"

#include "framepacer.h"

#include <QHash>

#include <cstring>

namespace {

constexpr size_t CodeSize = sizeof(VQuotData::code);

int codeLength(const VQuotData &record)
{
    return int(qstrnlen(record.code, CodeSize));
}

bool sameSecurity(const VQuotData &record, char market, const char *code, int length)
{
    return record.market == market && std::memcmp(record.code, code, size_t(length)) == 0
        && (length == int(CodeSize) || record.code[length] == '\0');
}

} // namespace

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

QuotBatch::Slot &QuotBatch::slotOf(char market, const char *code, int length, quint32 hash)
{
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        Slot &slot = m_slots[i];
        if (slot.generation != m_generation
            || (m_hashes[slot.record] == hash && sameSecurity(m_records[slot.record], market, code, length)))
            return slot;
    }
}

void QuotBatch::add(const VQuotData &record)
{
    const int length = codeLength(record);
    const quint32 hash = qHashBits(record.code, size_t(length), uint(uchar(record.market)));
    Slot &slot = slotOf(record.market, record.code, length, hash);
    if (slot.generation == m_generation) {
        m_records[slot.record] = record;
        return;
    }
    slot = {m_generation, quint32(m_records.size())};
    m_records.push_back(record);
    m_hashes.push_back(hash);
    if (m_records.size() * 2 > m_slots.size())
        grow();
    m_pacer->request();
}

void QuotBatch::grow()
{
    m_slots.assign(m_slots.size() * 2, Slot());
    m_generation = 1;
    for (size_t i = 0; i < m_records.size(); ++i) {
        const VQuotData &record = m_records[i];
        slotOf(record.market, record.code, codeLength(record), m_hashes[i]) = {m_generation, quint32(i)};
    }
}

const std::vector<VQuotData> &QuotBatch::take()
{
    m_taken.swap(m_records);
    clear();
    return m_taken;
}

void QuotBatch::clear()
{
    m_records.clear();
    m_hashes.clear();
    // A new generation frees every slot at once; the slots start again
    // only when the count wraps.
    if (++m_generation == 0) {
        std::fill(m_slots.begin(), m_slots.end(), Slot());
        m_generation = 1;
    }
}
