#pragma once

#include <QString>

struct OptionFigures;

// The analytic columns the option board can show after a side table's own
// columns, in this order: their captions, the scene keys that remember
// them, and how a contract's figures read in them.
namespace AnalyticColumns {

enum Column { ImpliedVolatility, Delta, Gamma, Vega, Theta, IntrinsicValue, TimeValue, Count };

QString caption(Column column);
// A line on the column's meaning for its header's tool tip.
QString explanation(Column column);
QString sceneKey(Column column);
// The value shown, false when the figures have none (the cell reads "--").
bool value(Column column, const OptionFigures &figures, double *out);
// The text of a value: the volatility as a percentage, the others with four decimals.
QString text(Column column, double value);

} // namespace AnalyticColumns
