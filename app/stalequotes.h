#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>

class QLabel;
class QWidget;
class VQuotFeed;

// Marks every hosted component's values as stale while the quote feed is not
// current (its link lost, or the latest records asked for after a
// reconnection not all in): a banner across the top of the component's area
// saying since when quotes stopped, and the component drawn greyed. The
// banner is a sibling laid over the component, so that it stays legible
// while the component is greyed. Nothing is marked before the feed has been
// current once: what never arrived shows "--" anyway. A security that is
// merely quiet is not stale.
class StaleQuotes : public QObject
{
    Q_OBJECT
public:
    // feed may be null (nothing is ever stale).
    StaleQuotes(VQuotFeed *feed, QObject *parent = nullptr);
    ~StaleQuotes() override;

    // area: a component, or the widget the window placed it in (a scroll
    // area); marked with the others from now on.
    void addComponentArea(QWidget *area);

    bool isStale() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Marked
    {
        QPointer<QWidget> component;
        QPointer<QLabel> banner; // a child of the component's parent, made while stale
    };

    void follow(bool current);
    void mark(Marked &marked);
    void unmark(Marked &marked);
    void placeBanner(const Marked &marked);
    QString bannerText() const;

    QPointer<VQuotFeed> m_feed;
    QList<Marked> m_components;
    bool m_wasCurrent = false;
    QDateTime m_staleSince;
};
