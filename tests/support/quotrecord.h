#pragma once

#include <vquotdata.h>

// A valid quote record (status 1) of one security with every number zero;
// tests set the fields they need.
VQuotData makeQuotRecord(char market, const QByteArray &code);
