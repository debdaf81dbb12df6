#include "vlogsink.h"
#include "voutput.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QMutex>
#include <QStandardPaths>
#include <QTextStream>
#include <QVector>

Q_LOGGING_CATEGORY(lcLog, "vexa.log", QtInfoMsg)

VLogSink::~VLogSink() = default;

namespace {

QString levelName(int level)
{
    switch (level) {
    case 0: return QStringLiteral("EVENT");
    case 1: return QStringLiteral("INFO");
    case 2: return QStringLiteral("WARN");
    default: return QStringLiteral("FAIL");
    }
}

QString format(const VLogRecord &r)
{
    return QStringLiteral("%1 %2 %3:%4 %5%6")
        .arg(r.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")), levelName(r.level), r.file)
        .arg(r.line)
        .arg(r.function.isEmpty() ? QString() : r.function + QStringLiteral(": "), r.message);
}

// Appends to the day's log file. Opens lazily; when the folder or file cannot
// be written it says so once on the echo category and stays quiet afterwards.
class FileSink : public VLogSink
{
public:
    bool enabled = true;

    void write(const VLogRecord &r) override
    {
        if (!enabled || failed)
            return;
        const QString path = VLog::logFilePath();
        if (file.fileName() != path) {
            file.close();
            file.setFileName(path);
            QDir().mkpath(QFileInfo(path).absolutePath());
            if (!file.open(QIODevice::Append | QIODevice::Text)) {
                failed = true;
                qCWarning(lcLog) << "cannot write the log file" << path << file.errorString();
                return;
            }
        }
        QTextStream out(&file);
        out.setCodec("UTF-8");
        out << format(r) << '\n';
    }

private:
    QFile file;
    bool failed = false;
};

struct Logger
{
    QMutex mutex;
    FileSink fileSink;
    QVector<VLogSink *> sinks;
};

Logger &logger()
{
    static Logger instance;
    return instance;
}

} // namespace

void VLog::addSink(VLogSink *sink)
{
    Logger &l = logger();
    QMutexLocker lock(&l.mutex);
    if (!l.sinks.contains(sink))
        l.sinks.append(sink);
}

void VLog::removeSink(VLogSink *sink)
{
    Logger &l = logger();
    QMutexLocker lock(&l.mutex);
    l.sinks.removeAll(sink);
}

void VLog::setFileLogging(bool on)
{
    Logger &l = logger();
    QMutexLocker lock(&l.mutex);
    l.fileSink.enabled = on;
}

QString VLog::logFilePath()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return dir + QStringLiteral("/log/") + QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))
        + QStringLiteral(".log");
}

void VOutput(int level, const QString &file, int line, const QString &function, const QString &message)
{
    VLogRecord record;
    record.level = level;
    record.file = file;
    record.line = line;
    record.function = function;
    record.message = message;
    record.time = QDateTime::currentDateTime();

    if (level >= 3)
        qCWarning(lcLog).noquote() << format(record);
    else
        qCInfo(lcLog).noquote() << format(record);

    Logger &l = logger();
    QMutexLocker lock(&l.mutex);
    l.fileSink.write(record);
    for (VLogSink *sink : qAsConst(l.sinks))
        sink->write(record);
}
