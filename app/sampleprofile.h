#pragma once

#include <QString>

class VLocalDb;

// The sample market's first-run profile: settings that components read when
// they are created (the futures board's checked products and market, a
// watchlist group), so that a new user sees live quotes at once.
namespace SampleProfile {
// Stores the parameters of "<dataDir>/profile.csv" (lines group,param,value)
// in db when db holds nothing of an earlier run (a file just created, or a
// database in memory that could copy nothing), adding to what each group
// holds. A missing file is no profile; an unreadable one or a malformed line
// is logged. False when nothing was stored.
bool seed(const QString &dataDir, VLocalDb *db);
} // namespace SampleProfile
