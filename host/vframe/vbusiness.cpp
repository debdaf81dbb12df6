#include "vbusiness.h"

#include <QDate>

VBusiness::VBusiness()
    : m_sysDate(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")).toInt())
{
}

int VBusiness::sysDate() const
{
    return m_sysDate;
}

void VBusiness::setSysDate(int yyyymmdd)
{
    m_sysDate = yyyymmdd;
}
