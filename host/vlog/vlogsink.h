#pragma once

#include "vlog_global.h"

#include <QDateTime>
#include <QString>

class QFile;

struct VLogRecord
{
    int level = 0;
    QString file;
    int line = 0;
    QString function;
    QString message;
    QDateTime time; // UTC; the log file shows local time
};

// Receives every record written through VOutput.
class VLOG_EXPORT VLogSink
{
public:
    virtual ~VLogSink();
    virtual void write(const VLogRecord &record) = 0;
};

namespace VLog {
// Besides the sinks added here every record goes to the log file (see
// setFileLogging) and is echoed to the "tarn.vlog" logging category.
// Sinks are not owned; a sink must be removed before it is destroyed.
VLOG_EXPORT void addSink(VLogSink *sink);
VLOG_EXPORT void removeSink(VLogSink *sink);
// Turns the log file off or on (tests keep it off so they leave no files behind).
VLOG_EXPORT void setFileLogging(bool on);
// The log file is written by a thread of its own; this waits until every
// record written so far is in the file.
VLOG_EXPORT void flush();
// The file the default file sink writes to: "<AppDataLocation>/log/<yyyyMMdd>.log".
VLOG_EXPORT QString logFilePath();
} // namespace VLog
