#pragma once

#include <QFlags>

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

// Dataset field value types.
enum DataType { DT_String = 0, DT_Integer = 1, DT_Bool = 2, DT_Double = 3 };

// Dataset field kinds: plain data, or text looked up in the data dictionary.
enum FieldType { FT_Data = 0, FT_Lookup = 1 };

// Where a small button sits inside its host widget.
enum AlignPositon { AP_Left = 0, AP_Top = 1, AP_Center = 2, AP_Right = 3, AP_Bottom = 4 };

} // namespace vd

Q_DECLARE_OPERATORS_FOR_FLAGS(vd::WidgetSides)
