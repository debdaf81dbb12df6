#pragma once

#include <QWidget>

class QLabel;
class VQuotMgr;
class VSimQuotFeed;

// The status bar's view of the quote service: the simulated feed's rate and
// state, the records delivered to components in the last second, and how
// many securities are subscribed.
class FeedStatus : public QWidget
{
    Q_OBJECT
public:
    FeedStatus(VQuotMgr *quotMgr, VSimQuotFeed *feed, QWidget *parent = nullptr);

public slots:
    void refresh();

private slots:
    void doSample();

private:
    VQuotMgr *m_quotMgr;
    VSimQuotFeed *m_feed;
    QLabel *m_rate;
    QLabel *m_delivered;
    QLabel *m_subscribed;
    quint64 m_lastDelivered = 0;
    int m_perSecond = 0;
};
