#include "vlogsink.h"
#include "voutput.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QTextStream>
#include <QVector>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

Q_LOGGING_CATEGORY(lcLog, "tarn.vlog", QtInfoMsg)

VLogSink::~VLogSink() = default;

namespace {

// glibc reads the time zone again (and reallocates its name) on every
// conversion to local time while TZ is unset, and the log writes local times
// on its own thread while other threads convert too: a TZ naming the
// system's zone, set once before any thread starts, is read once. TZ set by
// the user stays as it is.
void nameTheTimeZone()
{
    if (!qEnvironmentVariableIsSet("TZ"))
        qputenv("TZ", ":/etc/localtime");
}
Q_CONSTRUCTOR_FUNCTION(nameTheTimeZone)

QString levelName(int level)
{
    switch (level) {
    case 0: return QStringLiteral("EVENT");
    case 1: return QStringLiteral("INFO");
    case 2: return QStringLiteral("WARN");
    default: return QStringLiteral("FAIL");
    }
}

// utcOffset: seconds east of UTC of the local time shown; the writer
// reads it once per batch.
QString format(const VLogRecord &r, int utcOffset)
{
    return QStringLiteral("%1 %2 %3:%4 %5%6")
        .arg(r.time.toOffsetFromUtc(utcOffset).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")),
             levelName(r.level), r.file)
        .arg(r.line)
        .arg(r.function.isEmpty() ? QString() : r.function + QStringLiteral(": "), r.message);
}

// The day's log file, written by a thread of its own: VOutput only queues
// the record, so a component that logs every quote never waits for the
// disk. The queue is bounded; records that do not fit are counted, dropped
// and reported in the file once there is room again. The file is opened
// lazily; when its folder or the file cannot be written the writer says so
// once on the echo category and stays quiet afterwards.
class FileWriter
{
public:
    static constexpr size_t Capacity = 100000;

    ~FileWriter()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_one();
        if (m_thread.joinable())
            m_thread.join();
    }

    void setEnabled(bool on)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_enabled = on;
    }

    void enqueue(const VLogRecord &record)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_enabled)
            return;
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
        if (m_queue.size() >= Capacity) {
            ++m_dropped;
            return;
        }
        m_queue.push_back(record);
        if (m_queue.size() == 1)
            m_wake.notify_one();
    }

    void flush()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_idle.wait(lock, [this] { return m_queue.empty() && !m_writing; });
    }

private:
    void run()
    {
        std::vector<VLogRecord> batch;
        for (;;) {
            quint64 dropped = 0;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
                if (m_queue.empty())
                    return;
                batch.swap(m_queue);
                dropped = std::exchange(m_dropped, 0);
                m_writing = true;
            }
            write(batch, dropped);
            batch.clear();
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_writing = false;
            }
            m_idle.notify_all();
        }
    }

    // One append for the whole batch.
    void write(const std::vector<VLogRecord> &batch, quint64 dropped)
    {
        if (m_failed)
            return;
        // Without an application (at exit) the path would lose its folder
        // name; the last one stays.
        if (QCoreApplication::instance() || m_path.isEmpty())
            m_path = VLog::logFilePath();
        if (m_file.fileName() != m_path) {
            m_file.close();
            m_file.setFileName(m_path);
            QDir().mkpath(QFileInfo(m_path).absolutePath());
            if (!m_file.open(QIODevice::Append | QIODevice::Text)) {
                m_failed = true;
                qCWarning(lcLog) << "cannot write the log file" << m_path << m_file.errorString();
                return;
            }
        }
        const int utcOffset = QDateTime::currentDateTime().offsetFromUtc();
        QString text;
        if (dropped > 0) {
            VLogRecord lost;
            lost.level = 3;
            lost.file = QStringLiteral(__FILE__);
            lost.line = __LINE__;
            lost.message = QStringLiteral("日志队列已满,丢弃了%1条记录").arg(dropped);
            lost.time = batch.front().time;
            text += format(lost, utcOffset) + QLatin1Char('\n');
        }
        for (const VLogRecord &record : batch)
            text += format(record, utcOffset) + QLatin1Char('\n');
        m_file.write(text.toUtf8());
        m_file.flush();
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::vector<VLogRecord> m_queue;
    quint64 m_dropped = 0;
    bool m_enabled = true;
    bool m_writing = false;
    bool m_stop = false;
    std::thread m_thread;
    // Used by the writer thread only.
    QFile m_file;
    QString m_path;
    bool m_failed = false;
};

struct Logger
{
    std::mutex mutex; // guards the sinks
    QVector<VLogSink *> sinks;
    FileWriter file;
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
    std::lock_guard<std::mutex> lock(l.mutex);
    if (!l.sinks.contains(sink))
        l.sinks.append(sink);
}

void VLog::removeSink(VLogSink *sink)
{
    Logger &l = logger();
    std::lock_guard<std::mutex> lock(l.mutex);
    l.sinks.removeAll(sink);
}

void VLog::setFileLogging(bool on)
{
    logger().file.setEnabled(on);
}

void VLog::flush()
{
    logger().file.flush();
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
    // UTC: the local time costs microseconds; it is made where the record is written.
    record.time = QDateTime::currentDateTimeUtc();

    if (level >= 3)
        qCWarning(lcLog).noquote() << format(record, QDateTime::currentDateTime().offsetFromUtc());
    else
        qCInfo(lcLog).noquote() << format(record, QDateTime::currentDateTime().offsetFromUtc());

    Logger &l = logger();
    l.file.enqueue(record);
    std::lock_guard<std::mutex> lock(l.mutex);
    for (VLogSink *sink : qAsConst(l.sinks))
        sink->write(record);
}
