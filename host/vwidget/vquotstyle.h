#pragma once

#include "vdefs.h"
#include "vquotdataitem.h"
#include "vwidget_global.h"

#include <QColor>
#include <QObject>

#include <limits>

// How the quote panel (VQuotPanel) looks: what it shows, its spacing, its
// colours and how it writes values. Every setter that changes something
// announces the parts of the panel it affects with changed().
//
// Defaults, as a trading client shows a quote at first: five levels, title,
// market name and every item visible, no intraday chart; border on all four
// sides, border space 2, label space 2, horizontal space 4, values seven
// digits wide, two decimals; red (220, 10, 10) for rising, green (10, 128,
// 10) for falling values on a white background.
//
// Value texts:
// - the empty marker (emptyData(), INT_MIN: as a price it would be
//   -2147483648, which no security ever trades at) and an invalid value
//   show as "--";
// - prices and price changes with decimalPlace() decimals, changes with a
//   "+" when positive;
// - change ratios are fractions, shown ×100 with two decimals, a sign and
//   "%" (0.0123 → "+1.23%");
// - quantities (volumes, amounts) below 100000 in full; from 100000 in 万
//   and from 100000000 in 亿, with four significant digits but never fewer
//   than the integer part (123456 → "12.35万", 1.5e9 → "15.00亿");
// - a level volume of 0 or less is left blank.
class VWIDGET_EXPORT VQuotStyle : public QObject
{
    Q_OBJECT
public:
    explicit VQuotStyle(QObject *parent = nullptr);

    // The highest level shown: QS_Stall5 shows five ask and five bid levels.
    vd::QuotStall stall() const { return m_stall; }
    // A value outside QS_Stall1..QS_Stall10 is logged and clamped.
    void setStall(vd::QuotStall stall);
    int levelCount() const { return int(m_stall) + 1; }

    bool showTitle() const { return m_showTitle; }
    void setShowTitle(bool show);
    bool showMarket() const { return m_showMarket; }
    void setShowMarket(bool show);
    bool showChart() const { return m_showChart; }
    void setShowChart(bool show);

    // Pixels between the border and the contents.
    int borderSpace() const { return m_borderSpace; }
    void setBorderSpace(int space);
    // Pixels between a label and its value.
    int labelSpace() const { return m_labelSpace; }
    void setLabelSpace(int space);
    // Pixels between two columns (item pairs, level price and volume).
    int horzSpace() const { return m_horzSpace; }
    void setHorzSpace(int space);
    // Width of a value column, in digits of the panel's font.
    int digitMaxLen() const { return m_digitMaxLen; }
    void setDigitMaxLen(int digits);
    vd::WidgetSides borderSides() const { return m_borderSides; }
    void setBorderSides(vd::WidgetSides sides);

    int decimalPlace() const { return m_decimalPlace; }
    void setDecimalPlace(int decimals);
    // The value that marks "no value" for prices.
    int emptyData() const { return std::numeric_limits<int>::min(); }
    bool isEmpty(const QVariant &value) const;

    QColor borderColor() const { return m_borderColor; }
    void setBorderColor(const QColor &color);
    // Product code and name.
    QColor titleColor() const { return m_titleColor; }
    void setTitleColor(const QColor &color);
    // Item and level captions, market name.
    QColor labelColor() const { return m_labelColor; }
    void setLabelColor(const QColor &color);
    // Unchanged prices, volumes, amounts, texts.
    QColor textColor() const { return m_textColor; }
    void setTextColor(const QColor &color);
    QColor upColor() const { return m_upColor; }
    void setUpColor(const QColor &color);
    QColor downColor() const { return m_downColor; }
    void setDownColor(const QColor &color);
    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor &color);

    // The text of a value of this kind (see above).
    QString valueText(VQuotDataItem::Kind kind, const QVariant &value) const;
    QString levelVolumeText(qint64 volume) const;
    // Prices compare with the previous close, changes and ratios with 0;
    // everything else, and anything empty, has the text colour.
    QColor valueColor(VQuotDataItem::Kind kind, const QVariant &value, const QVariant &preClose) const;

signals:
    void changed(vd::QuotPaintEventTypes parts);

private:
    template<typename T> void set(T &field, const T &value, vd::QuotPaintEventTypes parts);

    vd::QuotStall m_stall = vd::QS_Stall5;
    bool m_showTitle = true;
    bool m_showMarket = true;
    bool m_showChart = false;
    int m_borderSpace = 2;
    int m_labelSpace = 2;
    int m_horzSpace = 4;
    int m_digitMaxLen = 7;
    vd::WidgetSides m_borderSides = vd::WS_All;
    int m_decimalPlace = 2;
    QColor m_borderColor {200, 200, 200};
    QColor m_titleColor {0, 60, 140};
    QColor m_labelColor {96, 96, 96};
    QColor m_textColor {32, 32, 32};
    QColor m_upColor {220, 10, 10};
    QColor m_downColor {10, 128, 10};
    QColor m_backgroundColor {255, 255, 255};
};
