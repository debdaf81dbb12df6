#pragma once

#include "vquotframe.h"
#include "vquotnats_global.h"

#include <QElapsedTimer>
#include <mutex>

#include <array>

// Counts the frames refused from the bus by kind of defect and logs them
// by episode: the first refusal of a kind is logged with its subject and what
// was wrong, later ones of that kind are only counted, and when the kind
// has been quiet for a while its episode ends with one record of its count.
// A flood of bad frames thus costs a few log records, not one per frame.
class VQUOTNATS_EXPORT VQuotRejects
{
public:
    // Any thread.
    void reject(VQuotFrame::Defect kind, const char *subject, const QString &detail);
    quint64 count(VQuotFrame::Defect kind) const;
    quint64 total() const;
    // Ends the episodes of the kinds refused no frame for quietMs.
    void endQuietEpisodes(qint64 quietMs);

private:
    struct Kind
    {
        quint64 total = 0;
        quint64 inEpisode = 0; // 0: no episode running
        QElapsedTimer last;
    };

    mutable std::mutex m_mutex;
    std::array<Kind, VQuotFrame::DefectKinds> m_kinds;
};
