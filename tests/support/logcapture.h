#pragma once

#include <vlogsink.h>

#include <QStringList>

// Collects every log record while it lives.
class LogCapture : public VLogSink
{
public:
    LogCapture();
    ~LogCapture() override;
    void write(const VLogRecord &record) override;

    QList<VLogRecord> records;
    // The records whose message equals text.
    QList<VLogRecord> withMessage(const QString &text) const;
    bool contains(int level, const QString &text) const;
    // The messages of the failure records (level 3 and above).
    QStringList failures() const;
};
