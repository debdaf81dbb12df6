#pragma once

#include <QString>

class VLocalDb;

// The sample market's first-run profile: settings that components read when
// they are created (the futures board's checked products and market, a
// watchlist group), so that a new user sees live quotes at once. The host
// applies it only to a configuration database that it has just created.
namespace SampleProfile {
// Stores the parameters of "<dataDir>/profile.csv" (lines group,param,value)
// in db, adding to what each group holds. A missing file is no profile; an
// unreadable one or a malformed line is logged. False when nothing was stored.
bool apply(const QString &dataDir, VLocalDb *db);
} // namespace SampleProfile
