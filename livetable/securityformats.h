#pragma once

#include "quotetext.h"
#include "securityid.h"

#include <QHash>

#include <optional>

// The quote formats of securities, read from the host's securities cache
// (a security's "priceunit" and "stktype") when a security is first asked
// for and kept: a table asks for each row's security while it paints. A
// security the cache does not hold has no format; the first time it is
// asked for, a log record names it.
class SecurityFormats
{
public:
    std::optional<QuoteFormat> find(const SecurityId &id);
    // The security's format, or fallback.
    QuoteFormat of(const SecurityId &id, const QuoteFormat &fallback = QuoteFormat())
    {
        return find(id).value_or(fallback);
    }

private:
    QHash<SecurityId, std::optional<QuoteFormat>> m_formats;
};
