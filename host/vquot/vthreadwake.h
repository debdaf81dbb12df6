#pragma once

#include "vquot_global.h"

#include <QObject>

class QSocketNotifier;

// Wakes the thread of its owner from any other thread without posting a Qt
// event: the other thread writes to an event file descriptor, which the
// owner's event loop watches. Posting a Qt event from a feed thread hands
// memory to the GUI thread under Qt's own locks, which ThreadSanitizer
// cannot see in a Qt built without it; the descriptor's write and read are
// a synchronisation it knows. Wakes that come before the owner's thread
// gets to them are taken together: woken() comes once for them all.
class VQUOT_EXPORT VThreadWake : public QObject
{
    Q_OBJECT
public:
    // Lives in the thread of parent.
    explicit VThreadWake(QObject *parent);
    ~VThreadWake() override;

    // Any thread.
    void wake();

signals:
    void woken();

private:
    void take();

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr; // a child
};
