#include "logcapture.h"

#include <algorithm>

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
