#pragma once

#include <QElapsedTimer>
#include <QWidget>

class QLabel;
class VQuotMgr;
class VSimQuotFeed;

// The status bar's view of the quote service: the simulated feed's rate and
// state, or the state of the connection to the quote bus (while cut off, with
// the time since the last record), in the last second the records handed to
// components (each once, however many components show it) and the records
// replaced by a newer one of the same security before the GUI thread took
// them, and how many securities are subscribed.
class FeedStatus : public QWidget
{
    Q_OBJECT
public:
    // feed: the simulated feed, null when the manager's feed is another.
    FeedStatus(VQuotMgr *quotMgr, VSimQuotFeed *feed, QWidget *parent = nullptr);

    // Where the quotes come from, for the window's title: 模拟市场, or the
    // bus and its servers.
    QString sourceName() const;

public slots:
    void refresh();

private slots:
    void doSample();

private:
    QString silenceText();

    VQuotMgr *m_quotMgr;
    VSimQuotFeed *m_feed;
    QLabel *m_rate;
    QLabel *m_records;
    QLabel *m_conflated;
    QLabel *m_subscribed;
    quint64 m_lastRecords = 0;
    quint64 m_lastConflated = 0;
    quint64 m_recordsPerSecond = 0;
    quint64 m_conflatedPerSecond = 0;
    quint64 m_recordsSeen = 0;
    QElapsedTimer m_sinceRecord; // invalid until the first record
};
