#include "testhost.h"

#include "testquotfeed.h"

#include <vlocaldb.h>

#include <QDir>
#include <QSqlQuery>
#include <QtTest>

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

QString TestHost::stored(const QString &group)
{
    QSqlQuery query(context().localDb()->database());
    query.prepare(
        QStringLiteral("SELECT paramname || '=' || paramvalue FROM cfgparam WHERE groupname = ? ORDER BY rowid"));
    query.addBindValue(group);
    QStringList entries;
    for (query.exec(); query.next();)
        entries << query.value(0).toString();
    return entries.join(QLatin1Char(' '));
}

void TestHost::store(const QString &group, const QString &name, const QString &value)
{
    QSqlQuery query(context().localDb()->database());
    query.prepare(
        QStringLiteral("INSERT INTO cfgparam (groupname, paramname, paramvalue, encrypt) VALUES (?, ?, ?, '0')"));
    for (const QString &bound : {group, name, value})
        query.addBindValue(bound);
    QVERIFY(query.exec());
}
