#include "feedstatus.h"

#include <vquotfeed.h>
#include <vquotmgr.h>
#include <vsimquotfeed.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>

FeedStatus::FeedStatus(VQuotMgr *quotMgr, VSimQuotFeed *feed, QWidget *parent)
    : QWidget(parent)
    , m_quotMgr(quotMgr)
    , m_feed(feed)
    , m_rate(new QLabel(this))
    , m_records(new QLabel(this))
    , m_conflated(new QLabel(this))
    , m_subscribed(new QLabel(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);
    layout->addWidget(m_rate);
    layout->addWidget(m_records);
    layout->addWidget(m_conflated);
    layout->addWidget(m_subscribed);

    m_lastRecords = m_quotMgr->recordCount();
    m_recordsSeen = m_lastRecords;
    m_lastConflated = m_quotMgr->conflatedCount();
    auto *timer = new QTimer(this);
    timer->setInterval(1000);
    connect(timer, &QTimer::timeout, this, &FeedStatus::doSample);
    timer->start();
    connect(m_quotMgr, &VQuotMgr::subscriptionsChanged, this, &FeedStatus::refresh);
    if (VQuotFeed *source = m_quotMgr->feed())
        connect(source, &VQuotFeed::linkStateChanged, this, &FeedStatus::refresh);
    refresh();
}

QString FeedStatus::sourceName() const
{
    const VQuotFeed *source = m_quotMgr->feed();
    if (m_feed)
        return QStringLiteral("模拟市场");
    if (source && !source->linkServers().isEmpty())
        return QStringLiteral("行情总线 %1").arg(source->linkServers());
    return QStringLiteral("无行情源");
}

// Since the last record the components received, " (已 N 秒无行情)"; empty
// before the first one. Sampled every second and on every change of the
// link, so it is at most a second short.
QString FeedStatus::silenceText()
{
    if (m_quotMgr->recordCount() != m_recordsSeen) {
        m_recordsSeen = m_quotMgr->recordCount();
        m_sinceRecord.start();
    }
    if (!m_sinceRecord.isValid())
        return QString();
    const qint64 seconds = m_sinceRecord.elapsed() / 1000;
    const QString span = seconds < 60 ? QStringLiteral("%1 秒").arg(seconds)
        : seconds < 3600              ? QStringLiteral("%1 分 %2 秒").arg(seconds / 60).arg(seconds % 60)
                                      : QStringLiteral("%1 小时 %2 分").arg(seconds / 3600).arg(seconds / 60 % 60);
    return QStringLiteral(" (已 %1无行情)").arg(span);
}

void FeedStatus::refresh()
{
    const VQuotFeed *source = m_quotMgr->feed();
    m_rate->setToolTip(source ? source->linkDetail() : QString());
    const QString silence = silenceText();
    if (source && source->linkState() != VQuotFeed::LinkState::Local)
        m_rate->setText(QStringLiteral("行情总线: %1%2")
                            .arg(VQuotFeed::linkStateText(source->linkState()),
                                 source->linkState() == VQuotFeed::LinkState::Connected ? QString() : silence));
    else if (!m_feed)
        m_rate->setText(QStringLiteral("行情源: 无"));
    else if (m_feed->isPaused())
        m_rate->setText(QStringLiteral("模拟行情: 已暂停"));
    else if (m_feed->rate() == 0)
        m_rate->setText(QStringLiteral("模拟行情: 交易所节奏"));
    else
        m_rate->setText(QStringLiteral("模拟行情: %1 条/秒").arg(m_feed->rate()));
    m_records->setText(QStringLiteral("推送: %1 条/秒").arg(m_recordsPerSecond));
    m_conflated->setText(QStringLiteral("合并: %1 条/秒").arg(m_conflatedPerSecond));
    m_subscribed->setText(QStringLiteral("订阅: %1 个证券").arg(m_quotMgr->wantedProducts().size()));
}

void FeedStatus::doSample()
{
    const quint64 records = m_quotMgr->recordCount();
    const quint64 conflated = m_quotMgr->conflatedCount();
    m_recordsPerSecond = records - m_lastRecords;
    m_conflatedPerSecond = conflated - m_lastConflated;
    m_lastRecords = records;
    m_lastConflated = conflated;
    refresh();
}
