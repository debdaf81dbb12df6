#include "vfutils.h"

#include <QObject>

#include <cmath>

char vf::strToChar(const QString &text)
{
    return text.isEmpty() ? char(0) : text.at(0).toLatin1();
}

int vf::getDecimals(double priceUnit)
{
    if (!(priceUnit > 0.0) || !std::isfinite(priceUnit))
        return 2;
    // The fewest decimals that write the step exactly, up to the eight a price
    // ever needs; the tolerance absorbs binary rounding (0.01 × 100 ≠ 1 exactly).
    for (int decimals = 0; decimals < 8; ++decimals) {
        const double scaled = priceUnit * std::pow(10.0, decimals);
        if (std::fabs(scaled - std::round(scaled)) < 1e-6)
            return decimals;
    }
    return 8;
}

QMetaMethod vf::methodOf(const QObject *object, const QByteArray &codedSignature)
{
    if (!object || codedSignature.size() < 2)
        return QMetaMethod();
    const char code = codedSignature.at(0);
    if (code != '1' && code != '2')
        return QMetaMethod();
    const QByteArray normalized = QMetaObject::normalizedSignature(codedSignature.constData() + 1);
    const QMetaObject *mo = object->metaObject();
    const int index
        = code == '2' ? mo->indexOfSignal(normalized.constData()) : mo->indexOfMethod(normalized.constData());
    return index < 0 ? QMetaMethod() : mo->method(index);
}
