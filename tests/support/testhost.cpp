#include "testhost.h"

#include "testquotfeed.h"

#include <QDir>

TestHost::TestHost(int sysDate, const QString &dataDir, const QString &tempParent)
    : m_dir((tempParent.isEmpty() ? QDir::tempPath() : tempParent) + QStringLiteral("/tarn-test-XXXXXX"))
    , m_sysDate(sysDate)
    , m_dataDir(dataDir)
{
    build();
}

void TestHost::build()
{
    HostContext::Options options;
    options.configDbPath = configDbPath();
    options.dataDir = m_dataDir;
    options.sysDate = m_sysDate;
    m_context.reset(new HostContext(options));
    m_feed = new TestQuotFeed;
    m_context->setQuotFeed(m_feed);
}
