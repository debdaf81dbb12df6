#include "vthreadwake.h"

#include <voutput.h>

#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <sys/eventfd.h>
#include <unistd.h>

VThreadWake::VThreadWake(QObject *parent)
    : QObject(parent)
    , m_fd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (m_fd < 0) {
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("无法创建线程唤醒描述符 (%1), 改用Qt事件唤醒")
                    .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &VThreadWake::take);
}

VThreadWake::~VThreadWake()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void VThreadWake::wake()
{
    // Without a descriptor (none left in the process) a queued call still wakes the owner.
    if (m_fd < 0) {
        QMetaObject::invokeMethod(this, &VThreadWake::woken, Qt::QueuedConnection);
        return;
    }
    const std::uint64_t one = 1;
    // A full counter (never, in practice) still wakes the reader.
    if (::write(m_fd, &one, sizeof one) < 0 && errno != EAGAIN)
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("线程唤醒失败: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
}

void VThreadWake::take()
{
    std::uint64_t count = 0;
    if (::read(m_fd, &count, sizeof count) == sizeof count)
        emit woken();
}
