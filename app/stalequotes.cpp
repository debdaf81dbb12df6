#include "stalequotes.h"

#include <voutput.h>
#include <vquotfeed.h>

#include <QEvent>
#include <QGraphicsColorizeEffect>
#include <QLabel>
#include <QWidget>

namespace {

const QString BannerName = QStringLiteral("staleQuotesBanner");
const QString GreyName = QStringLiteral("staleQuotesGrey");

} // namespace

StaleQuotes::StaleQuotes(VQuotFeed *feed, QObject *parent)
    : QObject(parent)
    , m_feed(feed)
{
    if (!feed)
        return;
    m_wasCurrent = feed->isCurrent();
    connect(feed, &VQuotFeed::currentChanged, this, &StaleQuotes::follow);
    // The banner says what the link is doing.
    connect(feed, &VQuotFeed::linkStateChanged, this, [this] {
        for (const Marked &marked : qAsConst(m_components))
            placeBanner(marked);
    });
}

StaleQuotes::~StaleQuotes()
{
    for (Marked &marked : m_components)
        unmark(marked);
}

void StaleQuotes::addComponentArea(QWidget *area)
{
    area->installEventFilter(this);
    // A component freed while marked takes its banner with it.
    connect(area, &QObject::destroyed, this, [this](QObject *gone) {
        for (auto marked = m_components.begin(); marked != m_components.end();) {
            if (marked->component && marked->component != gone) {
                ++marked;
                continue;
            }
            delete marked->banner;
            marked = m_components.erase(marked);
        }
    });
    m_components.append({area, nullptr});
    if (isStale())
        mark(m_components.last());
}

bool StaleQuotes::isStale() const
{
    return m_staleSince.isValid();
}

void StaleQuotes::follow(bool current)
{
    if (current) {
        m_wasCurrent = true;
        if (!isStale())
            return;
        VOutput(0, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("行情已恢复 (自 %1 起中断)").arg(m_staleSince.toString(QStringLiteral("HH:mm:ss"))));
        m_staleSince = QDateTime();
        for (Marked &marked : m_components)
            unmark(marked);
        return;
    }
    if (!m_wasCurrent || isStale())
        return;
    m_staleSince = QDateTime::currentDateTime();
    VOutput(2, QStringLiteral(__FILE__), __LINE__, QString(),
            QStringLiteral("行情中断, 各元件的数值标为过时"));
    for (Marked &marked : m_components)
        mark(marked);
}

void StaleQuotes::mark(Marked &marked)
{
    QWidget *component = marked.component;
    if (!component)
        return;
    if (!component->graphicsEffect()) {
        auto *grey = new QGraphicsColorizeEffect; // owned by the component
        grey->setObjectName(GreyName);
        grey->setColor(QColor(128, 128, 128));
        grey->setStrength(0.85);
        component->setGraphicsEffect(grey);
    }
    if (!marked.banner) {
        auto *banner = new QLabel(component->parentWidget()); // owned by the component's parent
        banner->setObjectName(BannerName);
        // The controls beneath it stay usable.
        banner->setAttribute(Qt::WA_TransparentForMouseEvents);
        banner->setWordWrap(true);
        banner->setAlignment(Qt::AlignCenter);
        banner->setMargin(4);
        banner->setAutoFillBackground(true);
        banner->setStyleSheet(QStringLiteral("QLabel { background: #8a5a00; color: white; font-weight: bold; }"));
        marked.banner = banner;
    }
    placeBanner(marked);
}

void StaleQuotes::unmark(Marked &marked)
{
    QWidget *component = marked.component;
    if (component && component->graphicsEffect() && component->graphicsEffect()->objectName() == GreyName)
        component->setGraphicsEffect(nullptr);
    delete marked.banner;
}

void StaleQuotes::placeBanner(const Marked &marked)
{
    QWidget *component = marked.component;
    QLabel *banner = marked.banner;
    if (!component || !banner)
        return;
    if (banner->parentWidget() != component->parentWidget())
        banner->setParent(component->parentWidget());
    banner->setText(bannerText());
    const int width = component->width();
    banner->setGeometry(QRect(component->pos(), QSize(width, banner->heightForWidth(width))));
    banner->setVisible(component->parentWidget() && component->isVisibleTo(component->parentWidget()));
    banner->raise();
}

QString StaleQuotes::bannerText() const
{
    const QString since = m_staleSince.toString(QStringLiteral("HH:mm:ss"));
    if (m_feed && m_feed->linkState() == VQuotFeed::LinkState::Connected)
        return QStringLiteral("行情已重新连接, 正在更新数值 (自 %1 起中断)").arg(since);
    return QStringLiteral("行情中断: 自 %1 起所示数值已过时 · %2")
        .arg(since, m_feed ? VQuotFeed::linkStateText(m_feed->linkState()) : QString());
}

bool StaleQuotes::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::ParentChange:
        for (const Marked &marked : qAsConst(m_components)) {
            if (marked.component == watched)
                placeBanner(marked);
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
