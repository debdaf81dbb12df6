#pragma once

#include <vlogsink.h>

#include <QStringList>

// Collects every log record while it lives.
class LogCapture : public VLogSink
{
public:
    LogCapture() { VLog::addSink(this); }
    ~LogCapture() override { VLog::removeSink(this); }
    void write(const VLogRecord &record) override { records.append(record); }

    QList<VLogRecord> records;
    bool contains(int level, const QString &text) const;
    // The messages of the failure records (level 3 and above).
    QStringList failures() const;
};
