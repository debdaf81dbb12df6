#pragma once

#include <QFlags>

#include <cmath>

// Enumerations shared by the widget library's classes.
namespace vd {

// Levels of the order book: 0 is level 1, 9 level 10. As a style setting
// (VQuotStyle::stall) the value is the number of levels shown minus one.
enum QuotStall {
    QS_Stall1 = 0,
    QS_Stall2,
    QS_Stall3,
    QS_Stall4,
    QS_Stall5,
    QS_Stall6,
    QS_Stall7,
    QS_Stall8,
    QS_Stall9,
    QS_Stall10,
};

enum WidgetSide {
    WS_None = 0x0,
    WS_Left = 0x1,
    WS_Top = 0x2,
    WS_Right = 0x4,
    WS_Bottom = 0x8,
    WS_All = 0xF,
};
Q_DECLARE_FLAGS(WidgetSides, WidgetSide)

// Parts of the quote panel (VQuotPanel) to repaint. A part flag repaints that
// part with the current geometry; QPE_All also re-measures the panel (size
// hints, every rectangle) first, as needed after a change of fonts, spaces,
// digit length, levels shown or visibility.
enum QuotPaintEventType {
    QPE_None = 0x00,
    QPE_Title = 0x01, // product code and name
    QPE_Market = 0x02, // market name
    QPE_Items = 0x04, // the thirteen label/value items
    QPE_Levels = 0x08, // ask and bid levels
    QPE_Chart = 0x10, // intraday line of the last prices
    QPE_Frame = 0x20, // background, border and separators
    QPE_All = 0x40, // re-measure, then repaint everything
};
Q_DECLARE_FLAGS(QuotPaintEventTypes, QuotPaintEventType)

// Dataset field value types.
enum DataType { DT_String = 0, DT_Integer = 1, DT_Bool = 2, DT_Double = 3 };

// Dataset field kinds: plain data, or text looked up in the data dictionary.
enum FieldType { FT_Data = 0, FT_Lookup = 1 };

// Where a small button sits inside its host widget.
enum AlignPositon { AP_Left = 0, AP_Top = 1, AP_Center = 2, AP_Right = 3, AP_Bottom = 4 };

// Whether a quote number can be shown: finite and below 1e15 in magnitude.
// Anything else comes from a broken record (no price or volume is that
// large) and is shown as an empty value.
inline bool isShownNumber(double value)
{
    return std::isfinite(value) && std::fabs(value) < 1e15;
}

} // namespace vd

Q_DECLARE_OPERATORS_FOR_FLAGS(vd::WidgetSides)
Q_DECLARE_OPERATORS_FOR_FLAGS(vd::QuotPaintEventTypes)
