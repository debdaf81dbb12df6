#include "latestquotes.h"

#include <memory>

namespace {

std::unique_ptr<LatestQuotes> s_latest;

} // namespace

void LatestQuotes::start()
{
    if (!s_latest)
        s_latest = std::make_unique<LatestQuotes>();
}

void LatestQuotes::stop()
{
    s_latest.reset();
}

LatestQuotes *LatestQuotes::instance()
{
    return s_latest.get();
}

void LatestQuotes::store(const VQuotData &record)
{
    m_records.insert(SecurityId::of(record), record);
}

const VQuotData *LatestQuotes::find(const SecurityId &id) const
{
    const auto found = m_records.constFind(id);
    return found != m_records.cend() ? &*found : nullptr;
}
