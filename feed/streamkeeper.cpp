#include "streamkeeper.h"

#include <vnatsquotpublisher.h>
#include <vnatsquotstream.h>

#include <QTimer>

StreamKeeper::StreamKeeper(VNatsQuotPublisher *publisher, Say say, QObject *parent)
    : QObject(parent)
    , m_publisher(publisher)
    , m_say(std::move(say))
    , m_timer(new QTimer(this))
{
    m_timer->setInterval(CheckMs);
    connect(m_timer, &QTimer::timeout, this, &StreamKeeper::check);
    m_timer->start();
}

void StreamKeeper::connected()
{
    m_configured = false;
    check();
}

void StreamKeeper::check()
{
    VNatsLink &link = m_publisher->link();
    if (link.state() != VNatsLink::State::Connected)
        return;
    const QString name = QLatin1String(VNatsQuotStream::Name);
    QString error;
    // Once a connection, before anything is published on it: made, or
    // brought to this program's configuration, so the stream takes every
    // record from the first. What fails here (a cluster still electing its
    // leader, a stream made with another storage) the check below finds and
    // says.
    if (!m_configured) {
        m_configured = true;
        VNatsQuotStream::create(link.connection(), &error);
    }
    const VNatsQuotStream::Holding kept = VNatsQuotStream::inspect(link.connection(), AnswerWaitMs, &error);
    if (kept.state == VNatsQuotStream::Holding::Unknown) {
        tell(Finding::Unanswered, QStringLiteral("行情总线答不出最新行情流 %1 (%2), 每秒再查").arg(name, error));
        return;
    }
    bool lost = kept.state == VNatsQuotStream::Holding::Missing;
    if (lost && !VNatsQuotStream::create(link.connection(), &error, AnswerWaitMs)) {
        tell(Finding::Refused,
             QStringLiteral("行情总线不保存最新行情 (最新行情流 %1: %2); 客户端要等各证券的下一笔行情").arg(name, error));
        return;
    }
    const int published = m_publisher->latestCount();
    lost = lost || kept.records < quint64(m_published);
    m_published = published;
    if (lost && published > 0) {
        const int sent = m_publisher->republishLatest();
        m_say(QStringLiteral("最新行情流 %1 %2, 已重发 %3 个证券的最新行情")
                  .arg(name,
                       kept.state == VNatsQuotStream::Holding::Missing
                           ? QStringLiteral("已不在, 已重建")
                           : QStringLiteral("只有 %1 个证券的行情").arg(kept.records))
                  .arg(sent));
    }
    // Said only after a check that found it wanting.
    tell(Finding::Kept, m_said == Finding::None ? QString() : QStringLiteral("最新行情流 %1 又可用了").arg(name));
}

void StreamKeeper::tell(Finding finding, const QString &text)
{
    if (finding == m_said)
        return;
    m_said = finding;
    if (!text.isEmpty())
        m_say(text);
}
