#pragma once

#include "vframe_global.h"

// Business state of the client: the business date, today's date unless the
// host sets another one (a replayed day, a test's fixed date).
class VFRAME_EXPORT VBusiness
{
public:
    VBusiness();
    // yyyymmdd
    int sysDate() const;
    void setSysDate(int yyyymmdd);

private:
    int m_sysDate;
};
