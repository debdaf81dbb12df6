#include "logcapture.h"

#include <algorithm>

void LogCapture::write(const VLogRecord &record)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_records.append(record);
}

QList<VLogRecord> LogCapture::records() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_records;
}

void LogCapture::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_records.clear();
}

bool LogCapture::contains(int level, const QString &text) const
{
    const QList<VLogRecord> all = records();
    return std::any_of(all.cbegin(), all.cend(), [&](const VLogRecord &r) { return r.level == level && r.message == text; });
}

QStringList LogCapture::failures() const
{
    QStringList messages;
    for (const VLogRecord &r : records()) {
        if (r.level >= 3)
            messages << r.message;
    }
    return messages;
}
