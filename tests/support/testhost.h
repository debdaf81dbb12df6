#pragma once

#include "logcapture.h"
#include "msgrecorder.h"

#include <hostcontext.h>

#include <QScopedPointer>
#include <QTemporaryDir>

class TestQuotFeed;

// A host for one test: the real host context over a configuration database
// in a temporary folder, a TestQuotFeed, recorded message boxes and captured
// log records; what the configuration holds, as text.
class TestHost
{
public:
    // The temporary folder is made in tempParent, the system's temporary folder when empty.
    explicit TestHost(int sysDate = 20261205, const QString &dataDir = QString(),
                      const QString &tempParent = QString());

    HostContext &context() { return *m_context; }
    TestQuotFeed &feed() { return *m_feed; }
    MsgRecorder &messages() { return m_messages; }
    LogCapture &log() { return m_log; }
    QString configDbPath() const { return tempPath(QStringLiteral("config.db")); }
    QString tempPath(const QString &name) const { return m_dir.filePath(name); }
    // The configuration group's "name=value" entries, in the order stored.
    QString stored(const QString &group);
    // An entry of the configuration group, written as another tool would.
    void store(const QString &group, const QString &name, const QString &value);

    // Frees the context (closing the database) and builds a new one on the
    // same file, as a restart of the client would.
    void restart()
    {
        m_context.reset();
        build();
    }

private:
    void build();

    QTemporaryDir m_dir;
    int m_sysDate;
    QString m_dataDir;
    LogCapture m_log;
    MsgRecorder m_messages;
    QScopedPointer<HostContext> m_context;
    TestQuotFeed *m_feed = nullptr;
};
