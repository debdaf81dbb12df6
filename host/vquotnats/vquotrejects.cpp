#include "vquotrejects.h"

#include <voutput.h>

void VQuotRejects::reject(VQuotFrame::Defect kind, const char *subject, const QString &detail)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    Kind &counts = m_kinds[size_t(kind)];
    ++counts.total;
    counts.last.start();
    if (counts.inEpisode++ > 0)
        return;
    lock.unlock();
    VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
            QStringLiteral("丢弃行情总线上的帧: %1%2 (主题 %3); 同类的帧在恢复正常前只计数")
                .arg(VQuotFrame::defectText(kind), detail.isEmpty() ? QString() : QStringLiteral(", ") + detail,
                     QString::fromLatin1(QByteArray(subject).toPercentEncoding("."))));
}

quint64 VQuotRejects::count(VQuotFrame::Defect kind) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_kinds[size_t(kind)].total;
}

quint64 VQuotRejects::total() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    quint64 sum = 0;
    for (const Kind &kind : m_kinds)
        sum += kind.total;
    return sum;
}

void VQuotRejects::endQuietEpisodes(qint64 quietMs)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (size_t i = 0; i < m_kinds.size(); ++i) {
        Kind &kind = m_kinds[i];
        if (kind.inEpisode == 0 || kind.last.elapsed() < quietMs)
            continue;
        VOutput(2, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("行情总线上的帧恢复正常: 本轮因%1丢弃 %2 帧, 共 %3 帧")
                    .arg(VQuotFrame::defectText(VQuotFrame::Defect(i)))
                    .arg(kind.inEpisode)
                    .arg(kind.total));
        kind.inEpisode = 0;
    }
}
