#include "vquotqueue.h"

#include <cstring>

QByteArray vq::routeKey(const VQuotData &record, char (&buffer)[sizeof(VQuotData::code) + 2])
{
    const size_t length = qstrnlen(record.code, sizeof record.code);
    buffer[0] = record.market;
    buffer[1] = '|';
    std::memcpy(buffer + 2, record.code, length);
    return QByteArray::fromRawData(buffer, int(length) + 2);
}

void VQuotQueue::want(const QByteArray &key)
{
    m_wanted.emplace(key, -1);
}

void VQuotQueue::unwant(const QByteArray &key)
{
    const auto found = m_wanted.find(key);
    if (found == m_wanted.end())
        return;
    const int position = found->second;
    if (position >= 0) {
        m_records.erase(m_records.begin() + position);
        m_positions.erase(m_positions.begin() + position);
        for (size_t i = size_t(position); i < m_positions.size(); ++i)
            --*m_positions[i];
    }
    m_wanted.erase(found);
    // A spike of securities leaves no large buffer behind.
    if (m_records.capacity() > 2 * m_wanted.size() + 64) {
        m_records.shrink_to_fit();
        m_positions.shrink_to_fit();
    }
}

VQuotQueue::Result VQuotQueue::push(const VQuotData &record)
{
    char buffer[sizeof record.code + 2];
    const auto found = m_wanted.find(vq::routeKey(record, buffer));
    if (found == m_wanted.end())
        return Unwanted;
    int &position = found->second;
    if (position >= 0) {
        m_records[position] = record;
        return Conflated;
    }
    position = int(m_records.size());
    m_records.push_back(record);
    m_positions.push_back(&position);
    return Queued;
}

void VQuotQueue::take(std::vector<VQuotData> &batch)
{
    for (int *position : m_positions)
        *position = -1;
    m_positions.clear();
    batch.clear();
    batch.swap(m_records);
}
