#include "vquotstyle.h"

#include <voutput.h>

#include <cmath>

namespace {

const vd::QuotPaintEventTypes kValues = vd::QPE_Items | vd::QPE_Levels;

QString signedNumber(double value, int decimals)
{
    const QString text = QString::number(value, 'f', decimals);
    // A value that rounds to zero gets no sign, whichever side it came from.
    if (text.toDouble() == 0.0)
        return QString::number(0.0, 'f', decimals);
    return value > 0 ? QLatin1Char('+') + text : text;
}

QString quantityText(double value)
{
    const double magnitude = std::fabs(value);
    if (magnitude < 1e5)
        return QString::number(value, 'f', 0);
    const bool yi = magnitude >= 1e8;
    const double scaled = value / (yi ? 1e8 : 1e4);
    const int integerDigits = int(std::floor(std::log10(std::fabs(scaled)))) + 1;
    const QString unit = yi ? QStringLiteral("亿") : QStringLiteral("万");
    return QString::number(scaled, 'f', qMax(0, 4 - integerDigits)) + unit;
}

} // namespace

VQuotStyle::VQuotStyle(QObject *parent)
    : QObject(parent)
{
}

template<typename T> void VQuotStyle::set(T &field, const T &value, vd::QuotPaintEventTypes parts)
{
    if (field == value)
        return;
    field = value;
    emit changed(parts);
}

void VQuotStyle::setStall(vd::QuotStall stall)
{
    vd::QuotStall valid = stall;
    if (stall < vd::QS_Stall1 || stall > vd::QS_Stall10) {
        valid = stall < vd::QS_Stall1 ? vd::QS_Stall1 : vd::QS_Stall10;
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("行情面板档位%1无效,改用%2").arg(int(stall)).arg(int(valid)));
    }
    set(m_stall, valid, vd::QPE_All);
}

void VQuotStyle::setShowTitle(bool show)
{
    set(m_showTitle, show, vd::QPE_All);
}

void VQuotStyle::setShowMarket(bool show)
{
    set(m_showMarket, show, vd::QPE_All);
}

void VQuotStyle::setShowChart(bool show)
{
    set(m_showChart, show, vd::QPE_All);
}

void VQuotStyle::setBorderSpace(int space)
{
    set(m_borderSpace, qMax(0, space), vd::QPE_All);
}

void VQuotStyle::setLabelSpace(int space)
{
    set(m_labelSpace, qMax(0, space), vd::QPE_All);
}

void VQuotStyle::setHorzSpace(int space)
{
    set(m_horzSpace, qMax(0, space), vd::QPE_All);
}

void VQuotStyle::setDigitMaxLen(int digits)
{
    set(m_digitMaxLen, qMax(1, digits), vd::QPE_All);
}

void VQuotStyle::setBorderSides(vd::WidgetSides sides)
{
    set(m_borderSides, sides, vd::QPE_All);
}

void VQuotStyle::setDecimalPlace(int decimals)
{
    set(m_decimalPlace, qBound(0, decimals, 8), kValues);
}

bool VQuotStyle::isEmpty(const QVariant &value) const
{
    if (!value.isValid())
        return true;
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok && (number == double(emptyData()) || !vd::isShownNumber(number));
}

void VQuotStyle::setBorderColor(const QColor &color)
{
    set(m_borderColor, color, vd::QPE_Frame);
}

void VQuotStyle::setTitleColor(const QColor &color)
{
    set(m_titleColor, color, vd::QPE_Title);
}

void VQuotStyle::setLabelColor(const QColor &color)
{
    set(m_labelColor, color, kValues | vd::QPE_Market);
}

void VQuotStyle::setTextColor(const QColor &color)
{
    set(m_textColor, color, kValues);
}

void VQuotStyle::setUpColor(const QColor &color)
{
    set(m_upColor, color, kValues | vd::QPE_Chart);
}

void VQuotStyle::setDownColor(const QColor &color)
{
    set(m_downColor, color, kValues | vd::QPE_Chart);
}

void VQuotStyle::setBackgroundColor(const QColor &color)
{
    set(m_backgroundColor, color, vd::QPE_Frame);
}

QString VQuotStyle::valueText(VQuotDataItem::Kind kind, const QVariant &value) const
{
    if (isEmpty(value))
        return QStringLiteral("--");
    switch (kind) {
    case VQuotDataItem::Price: return QString::number(value.toDouble(), 'f', m_decimalPlace);
    case VQuotDataItem::Change: return signedNumber(value.toDouble(), m_decimalPlace);
    case VQuotDataItem::Ratio: return signedNumber(value.toDouble() * 100.0, 2) + QLatin1Char('%');
    case VQuotDataItem::Quantity: return quantityText(value.toDouble());
    case VQuotDataItem::Text: break;
    }
    return value.toString();
}

QString VQuotStyle::levelVolumeText(qint64 volume) const
{
    return volume > 0 ? quantityText(double(volume)) : QString();
}

QColor VQuotStyle::valueColor(VQuotDataItem::Kind kind, const QVariant &value, const QVariant &preClose) const
{
    if (isEmpty(value))
        return m_textColor;
    double reference = 0.0;
    switch (kind) {
    case VQuotDataItem::Price:
        if (isEmpty(preClose))
            return m_textColor;
        reference = preClose.toDouble();
        break;
    case VQuotDataItem::Change:
    case VQuotDataItem::Ratio: break;
    case VQuotDataItem::Quantity:
    case VQuotDataItem::Text: return m_textColor;
    }
    // Compare what is shown: prices equal to the last decimal are equal.
    const double scale = std::pow(10.0, kind == VQuotDataItem::Ratio ? 4 : m_decimalPlace);
    const double difference = std::round((value.toDouble() - reference) * scale);
    if (difference > 0)
        return m_upColor;
    return difference < 0 ? m_downColor : m_textColor;
}
