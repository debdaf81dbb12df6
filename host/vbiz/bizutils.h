#pragma once

#include "vbiz_global.h"

#include <QVariant>

namespace BizUtils {
// One field of a security in the host's securities cache ("market",
// "stkname", "stkcode", ...); invalid when the security or field is unknown.
VBIZ_EXPORT QVariant getMoreDataOfStkCache(const QString &stockId, const QString &field);
} // namespace BizUtils
