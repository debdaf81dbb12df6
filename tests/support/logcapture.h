#pragma once

#include <vlogsink.h>

#include <QStringList>

#include <mutex>

// Collects every log record while it lives, from any thread.
class LogCapture : public VLogSink
{
public:
    LogCapture() { VLog::addSink(this); }
    ~LogCapture() override { VLog::removeSink(this); }
    void write(const VLogRecord &record) override;

    // The records so far.
    QList<VLogRecord> records() const;
    void clear();
    bool contains(int level, const QString &text) const;
    // The messages of the failure records (level 3 and above).
    QStringList failures() const;

private:
    mutable std::mutex m_mutex;
    QList<VLogRecord> m_records;
};
