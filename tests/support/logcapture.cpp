#include "logcapture.h"

LogCapture::LogCapture()
{
    VLog::addSink(this);
}

LogCapture::~LogCapture()
{
    VLog::removeSink(this);
}

void LogCapture::write(const VLogRecord &record)
{
    records.append(record);
}

QList<VLogRecord> LogCapture::withMessage(const QString &text) const
{
    QList<VLogRecord> found;
    for (const VLogRecord &r : records) {
        if (r.message == text)
            found.append(r);
    }
    return found;
}

bool LogCapture::contains(int level, const QString &text) const
{
    for (const VLogRecord &r : records) {
        if (r.level == level && r.message == text)
            return true;
    }
    return false;
}

QStringList LogCapture::failures() const
{
    QStringList messages;
    for (const VLogRecord &r : records) {
        if (r.level >= 3)
            messages << r.message;
    }
    return messages;
}
