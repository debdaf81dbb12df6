#pragma once

#include "vframe_global.h"

#include <QMetaMethod>
#include <QString>

namespace vf {
// The character of a one-character market code; 0 for an empty text.
VFRAME_EXPORT char strToChar(const QString &text);
// The number of decimals that prices on a grid of this step need (0.01 → 2,
// 0.2 → 1, 5 → 0); 2 for a step that is not positive.
VFRAME_EXPORT int getDecimals(double priceUnit);
// The method of object named in Qt's string form with its method code
// ("1doX(int)" a slot or method, "2onX(int)" a signal); invalid when there is none.
VFRAME_EXPORT QMetaMethod methodOf(const QObject *object, const QByteArray &codedSignature);
} // namespace vf

namespace vc {
// Frame metrics of the client's framed dialogs (VDialog).
constexpr int CWM_SHADOW_WIDTH = 6;
constexpr int CWM_BORDER_WIDTH = 1;
} // namespace vc
