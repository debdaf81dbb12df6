#pragma once

#include "vbiz_global.h"

#include <QMetaType>
#include <QString>

// An order request handed from a quote view to an order ticket. Quote views
// fill what they know (the security); the ticket completes the rest.
struct VBIZ_EXPORT OrderDetail
{
    enum Side { Buy = 0, Sell = 1 };

    QString stockId;
    QString stockCode;
    QString stockType;
    QString stockName;
    QString market;
    Side side = Buy;
    double price = 0.0; // 0: the ticket chooses (last or counter price)
    qint64 quantity = 0; // 0: the ticket chooses
    QString accountId;

    bool isEmpty() const { return stockId.isEmpty() && stockCode.isEmpty(); }
};

Q_DECLARE_METATYPE(OrderDetail)
