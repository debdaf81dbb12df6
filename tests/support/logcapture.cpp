#include "logcapture.h"

#include <algorithm>

QList<VLogRecord> LogCapture::withMessage(const QString &text) const
{
    QList<VLogRecord> found;
    std::copy_if(records.cbegin(), records.cend(), std::back_inserter(found),
                 [&](const VLogRecord &r) { return r.message == text; });
    return found;
}

bool LogCapture::contains(int level, const QString &text) const
{
    return std::any_of(records.cbegin(), records.cend(),
                       [&](const VLogRecord &r) { return r.level == level && r.message == text; });
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
