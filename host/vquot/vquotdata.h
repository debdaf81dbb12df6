#pragma once

#include "vquot_global.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <cstddef>
#include <cstdint>

// One quote update of one security, in the quote service's wire layout
// (little-endian, doubles IEEE 754 binary64). The service owns the record and
// lends it to a receiver for the duration of one call.
struct VQUOT_EXPORT VQuotData
{
    char status; // 0: the record carries no data
    char market; // market code
    char code[80]; // security code, NUL-terminated (at most 79 bytes)
    char suspendFlag; // 'T': trading suspended
    char reserved1[5];
    double highPrice;
    double lowPrice;
    double lastPrice;
    double preClosingPrice;
    double openingPrice;
    double settlementPrice; // today's settlement (futures), 0 before the close
    double preSettlementPrice;
    double highLimitPrice;
    double lowLimitPrice;
    int64_t matchQuantity;
    double matchAmount;
    double avgPrice;
    double priceChange; // last price minus the reference price
    double priceChangeRatio; // as a fraction
    int64_t openInterest;
    int64_t preOpenInterest;
    double askPrice[10]; // level 1 first
    uint32_t askVolume[10];
    double bidPrice[10];
    uint32_t bidVolume[10];

    // The code as text, never reading past its field, even in a record whose
    // code lacks the terminating NUL.
    QByteArray codeText() const;
    // True when the code field holds its terminating NUL.
    bool isCodeTerminated() const;
    // Copies at most sizeof(code) - 1 bytes and terminates.
    void setCode(const QByteArray &text);
    // "market|code", the form of a subscriber's product list.
    QString productKey() const;
};

static_assert(offsetof(VQuotData, status) == 0, "status");
static_assert(offsetof(VQuotData, market) == 1, "market");
static_assert(offsetof(VQuotData, code) == 2, "code");
static_assert(offsetof(VQuotData, suspendFlag) == 82, "suspendFlag");
static_assert(offsetof(VQuotData, highPrice) == 88, "highPrice");
static_assert(offsetof(VQuotData, lowPrice) == 96, "lowPrice");
static_assert(offsetof(VQuotData, lastPrice) == 104, "lastPrice");
static_assert(offsetof(VQuotData, preClosingPrice) == 112, "preClosingPrice");
static_assert(offsetof(VQuotData, openingPrice) == 120, "openingPrice");
static_assert(offsetof(VQuotData, preSettlementPrice) == 136, "preSettlementPrice");
static_assert(offsetof(VQuotData, highLimitPrice) == 144, "highLimitPrice");
static_assert(offsetof(VQuotData, lowLimitPrice) == 152, "lowLimitPrice");
static_assert(offsetof(VQuotData, matchQuantity) == 160, "matchQuantity");
static_assert(offsetof(VQuotData, matchAmount) == 168, "matchAmount");
static_assert(offsetof(VQuotData, avgPrice) == 176, "avgPrice");
static_assert(offsetof(VQuotData, priceChange) == 184, "priceChange");
static_assert(offsetof(VQuotData, priceChangeRatio) == 192, "priceChangeRatio");
static_assert(offsetof(VQuotData, openInterest) == 200, "openInterest");
static_assert(offsetof(VQuotData, askPrice) == 216, "askPrice");
static_assert(offsetof(VQuotData, askVolume) == 296, "askVolume");
static_assert(offsetof(VQuotData, bidPrice) == 336, "bidPrice");
static_assert(offsetof(VQuotData, bidVolume) == 416, "bidVolume");
static_assert(sizeof(VQuotData) == 456, "record size");

// Plain bytes: containers copy records with memcpy.
Q_DECLARE_TYPEINFO(VQuotData, Q_PRIMITIVE_TYPE);
Q_DECLARE_METATYPE(VQuotData *)

namespace vq {
enum QuotServerType {
    QST_Full = 0, // full quote server: records carry the exchange's average price
    QST_Basic = 1, // basic server: no average price, receivers derive it
};
} // namespace vq
