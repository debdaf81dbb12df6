#pragma once

#include "vwidget_global.h"

#include <QMetaType>
#include <QString>
#include <QVariant>

class VQuotDataItems;

// One label/value pair of the quote panel, for example "昨收" and the
// previous close. The value is what the panel shows: a double for prices,
// change, change ratio and amount, a 64-bit integer for the quantity, a text
// for the trading status; an invalid value or the style's empty marker shows
// as "--". Items belong to their VQuotDataItems and live as long as it.
class VWIDGET_EXPORT VQuotDataItem
{
public:
    // What an item holds; decides its text and colour (see VQuotStyle).
    enum Kind {
        Price, // red above, green below the previous close
        Change, // signed price difference: red above, green below 0
        Ratio, // change ratio as a fraction, shown ×100 with "%"
        Quantity, // volume or amount, neutral colour, 万/亿 when large
        Text, // shown as it is, neutral colour
    };

    // The item's key, as used in stored scenes: "PreClosingPrice", "DelistFlag", ...
    QString key() const { return m_key; }
    // The item's caption on the panel: "昨收", "状态", ...
    QString label() const { return m_label; }
    Kind kind() const { return m_kind; }

    QVariant value() const { return m_value; }
    // Every call is reported to the owner, also with an unchanged value: each
    // call stands for one received quote (the intraday line counts them).
    void setValue(const QVariant &value);

    bool isVisible() const { return m_visible; }
    void setVisible(bool visible);

    VQuotDataItem(const VQuotDataItem &) = delete;
    VQuotDataItem &operator=(const VQuotDataItem &) = delete;

private:
    friend class VQuotDataItems;
    VQuotDataItem(VQuotDataItems *owner, const QString &key, const QString &label, Kind kind);

    VQuotDataItems *m_owner;
    QString m_key;
    QString m_label;
    Kind m_kind;
    QVariant m_value;
    bool m_visible = true;
};

Q_DECLARE_METATYPE(VQuotDataItem *)
