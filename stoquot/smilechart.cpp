#include "smilechart.h"

#include <quotefieldrules.h>

#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace QtCharts;

namespace {

QVector<QPointF> inPercent(const QVector<QPointF> &points)
{
    QVector<QPointF> percent;
    percent.reserve(points.size());
    for (const QPointF &point : points)
        percent.append({point.x(), point.y() * 100});
    return percent;
}

} // namespace

SmileChart::SmileChart(QWidget *parent)
    : OptionChartView(QStringLiteral("行权价"), QStringLiteral("隐含波动率(%)"), parent)
    , m_calls(addLine(QStringLiteral("认购"), QuoteFieldRules::RiseRed, 2))
    , m_puts(addLine(QStringLiteral("认沽"), QuoteFieldRules::FallGreen, 2))
    , m_underlying(addLine(QStringLiteral("标的价格"), QColor(), 1, Qt::DashLine))
{
    for (QLineSeries *side : {m_calls, m_puts})
        side->setPointsVisible(true);
}

void SmileChart::setSmile(const QVector<QPointF> &calls, const QVector<QPointF> &puts, double underlyingPrice)
{
    const QVector<QPointF> callPercent = inPercent(calls);
    const QVector<QPointF> putPercent = inPercent(puts);
    const bool rescaled = fitAxes(callPercent, putPercent, underlyingPrice);
    if (!redrawNeeded(pixelsOf(callPercent, putPercent, underlyingPrice), rescaled))
        return;
    m_calls->replace(callPercent);
    m_puts->replace(putPercent);
    if (underlyingPrice > 0)
        m_underlying->replace(
            QVector<QPointF> {{underlyingPrice, yAxis()->min()}, {underlyingPrice, yAxis()->max()}});
    else
        m_underlying->clear();
    layOutNow();
}

QVector<QPoint> SmileChart::pixelsOf(const QVector<QPointF> &calls, const QVector<QPointF> &puts,
                                     double underlyingPrice) const
{
    QVector<QPoint> pixels;
    pixels.reserve(calls.size() + puts.size() + 2);
    for (const QVector<QPointF> *side : {&calls, &puts}) {
        for (const QPointF &point : *side)
            pixels.append(pixelOf(point));
        pixels.append(QPoint(-1, -1)); // the sides apart
    }
    if (underlyingPrice > 0)
        pixels.append(pixelOf(QPointF(underlyingPrice, 0)));
    return pixels;
}

bool SmileChart::fitAxes(const QVector<QPointF> &calls, const QVector<QPointF> &puts, double underlyingPrice)
{
    double strikeLow = std::numeric_limits<double>::max();
    double strikeHigh = std::numeric_limits<double>::lowest();
    double volatilityLow = strikeLow;
    double volatilityHigh = strikeHigh;
    for (const QVector<QPointF> *side : {&calls, &puts}) {
        for (const QPointF &point : *side) {
            strikeLow = std::min(strikeLow, point.x());
            strikeHigh = std::max(strikeHigh, point.x());
            volatilityLow = std::min(volatilityLow, point.y());
            volatilityHigh = std::max(volatilityHigh, point.y());
        }
    }
    if (underlyingPrice > 0) {
        strikeLow = std::min(strikeLow, underlyingPrice);
        strikeHigh = std::max(strikeHigh, underlyingPrice);
    }
    // Nothing to show: an empty chart.
    if (strikeLow > strikeHigh) {
        const bool wasEmpty
            = xAxis()->min() == 0 && xAxis()->max() == 1 && yAxis()->min() == 0 && yAxis()->max() == 1;
        resetAxis(xAxis());
        resetAxis(yAxis());
        return !wasEmpty;
    }
    bool changed = fitAxis(xAxis(), strikeLow, strikeHigh, strikeHigh * 0.02, 0);
    if (volatilityLow <= volatilityHigh)
        changed = fitAxis(yAxis(), volatilityLow, volatilityHigh, 2, 0) || changed;
    return changed;
}

QVector<QPointF> SmileChart::callPoints() const
{
    return m_calls->pointsVector();
}

QVector<QPointF> SmileChart::putPoints() const
{
    return m_puts->pointsVector();
}

double SmileChart::markedPrice() const
{
    return m_underlying->count() > 0 ? m_underlying->at(0).x() : std::numeric_limits<double>::quiet_NaN();
}

