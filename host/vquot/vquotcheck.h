#pragma once

#include "vquot_global.h"

#include <QString>

struct VQuotData;

namespace vq {

// What makes a record unfit for delivery.
enum class RecordDefect : quint8 {
    None,
    Market, // not printable ASCII, or '|'
    Code, // empty or without its terminating NUL
    Status, // neither 0 (no data) nor 1
    NotFinite, // a NaN or infinite number
    OutOfRange, // a number beyond what a market can hold
};

// The largest magnitude a price, amount or quantity may have; the
// components show larger numbers as "--".
constexpr double MaxQuotValue = 1e15;

// Checks the fields that route a record and, when it carries data (status
// 1), its numbers: prices and the amount finite and within MaxQuotValue,
// quantities and open interest from 0 to MaxQuotValue (level volumes are
// unsigned 32-bit and have no value out of range). detail, when given, names
// the field for the log.
VQUOT_EXPORT RecordDefect recordDefect(const VQuotData &record, QString *detail = nullptr);

} // namespace vq
