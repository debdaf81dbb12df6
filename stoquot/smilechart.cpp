#include "smilechart.h"

#include <quotefieldrules.h>

#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

using namespace QtCharts;

namespace {

// A step of 1, 2 or 5 times a power of ten that cuts span into about five.
double roundStep(double span)
{
    const double raw = span / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double mantissa = raw / magnitude;
    return (mantissa < 2 ? 1 : mantissa < 5 ? 2 : 5) * magnitude;
}

// [low, high] widened to whole steps, with room at either end; least: the
// narrowest span shown. A range that still holds [low, high] and is not
// over three times as wide stays, so small moves leave the axis alone.
void fitAxis(QValueAxis *axis, double low, double high, double least, double floor)
{
    const double span = std::max(high - low, least);
    if (axis->min() <= low && high <= axis->max() && axis->max() - axis->min() <= 3 * span)
        return;
    const double step = roundStep(span);
    double from = std::floor(low / step) * step;
    double to = std::ceil(high / step) * step;
    if (low - from < step / 4)
        from -= step;
    if (to - high < step / 4)
        to += step;
    from = std::max(from, floor);
    axis->setRange(from, to);
    axis->setTickCount(int(std::lround((to - from) / step)) + 1);
}

QVector<QPointF> inPercent(const QVector<QPointF> &points)
{
    QVector<QPointF> percent;
    percent.reserve(points.size());
    for (const QPointF &point : points)
        percent.append({point.x(), point.y() * 100});
    return percent;
}

QLineSeries *seriesOf(QChart *chart, const QString &name)
{
    auto *series = new QLineSeries;
    series->setName(name);
    chart->addSeries(series);
    return series;
}

} // namespace

SmileChart::SmileChart(QWidget *parent)
    : QChartView(new QChart, parent)
{
    QChart *chart = this->chart();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->legend()->setAlignment(Qt::AlignTop);
    m_calls = seriesOf(chart, QStringLiteral("认购"));
    m_puts = seriesOf(chart, QStringLiteral("认沽"));
    m_underlying = seriesOf(chart, QStringLiteral("标的价格"));
    for (QLineSeries *side : {m_calls, m_puts})
        side->setPointsVisible(true);

    m_strikeAxis = new QValueAxis;
    m_strikeAxis->setTitleText(QStringLiteral("行权价"));
    m_strikeAxis->setLabelFormat(QStringLiteral("%.2f"));
    m_volatilityAxis = new QValueAxis;
    m_volatilityAxis->setTitleText(QStringLiteral("隐含波动率(%)"));
    m_volatilityAxis->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(m_strikeAxis, Qt::AlignBottom);
    chart->addAxis(m_volatilityAxis, Qt::AlignLeft);
    for (QLineSeries *series : {m_calls, m_puts, m_underlying}) {
        series->attachAxis(m_strikeAxis);
        series->attachAxis(m_volatilityAxis);
    }
    setRenderHint(QPainter::Antialiasing);
    setMinimumHeight(180);
    followPalette();
}

void SmileChart::setSmile(const QVector<QPointF> &calls, const QVector<QPointF> &puts, double underlyingPrice)
{
    const QVector<QPointF> callPercent = inPercent(calls);
    const QVector<QPointF> putPercent = inPercent(puts);
    const bool rescaled = fitAxes(callPercent, putPercent, underlyingPrice);
    QVector<QPoint> pixels = pixelsOf(callPercent, putPercent, underlyingPrice);
    if (!rescaled && pixels == m_shownPixels)
        return;
    m_shownPixels = std::move(pixels);
    m_calls->replace(callPercent);
    m_puts->replace(putPercent);
    if (underlyingPrice > 0)
        m_underlying->replace(
            QVector<QPointF> {{underlyingPrice, m_volatilityAxis->min()}, {underlyingPrice, m_volatilityAxis->max()}});
    else
        m_underlying->clear();
    // The chart lays itself out again (after a new range) and its scene asks
    // the view to repaint from posted events; taken now, the chart is drawn
    // with the window's next repaint, in the frame that changed it, rather
    // than in a repaint of its own after it.
    QCoreApplication::sendPostedEvents(chart(), QEvent::LayoutRequest);
    QCoreApplication::sendPostedEvents(scene(), QEvent::MetaCall);
}

QVector<QPoint> SmileChart::pixelsOf(const QVector<QPointF> &calls, const QVector<QPointF> &puts,
                                     double underlyingPrice) const
{
    QVector<QPoint> pixels;
    pixels.reserve(calls.size() + puts.size() + 2);
    for (const QVector<QPointF> *side : {&calls, &puts}) {
        for (const QPointF &point : *side)
            pixels.append(chart()->mapToPosition(point, m_calls).toPoint());
        pixels.append(QPoint(-1, -1)); // the sides apart
    }
    if (underlyingPrice > 0)
        pixels.append(chart()->mapToPosition(QPointF(underlyingPrice, 0), m_calls).toPoint());
    return pixels;
}

bool SmileChart::fitAxes(const QVector<QPointF> &calls, const QVector<QPointF> &puts, double underlyingPrice)
{
    const QPair<double, double> strikes(m_strikeAxis->min(), m_strikeAxis->max());
    const QPair<double, double> volatilities(m_volatilityAxis->min(), m_volatilityAxis->max());
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
    if (strikeLow > strikeHigh)
        return false;
    fitAxis(m_strikeAxis, strikeLow, strikeHigh, strikeHigh * 0.02, 0);
    if (volatilityLow <= volatilityHigh)
        fitAxis(m_volatilityAxis, volatilityLow, volatilityHigh, 2, 0);
    return strikes != qMakePair(m_strikeAxis->min(), m_strikeAxis->max())
        || volatilities != qMakePair(m_volatilityAxis->min(), m_volatilityAxis->max());
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

void SmileChart::changeEvent(QEvent *event)
{
    QChartView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        followPalette();
}

void SmileChart::followPalette()
{
    const QPalette colours = palette();
    QChart *smile = chart();
    smile->setBackgroundBrush(colours.brush(QPalette::Base));
    smile->setBackgroundPen(Qt::NoPen);
    smile->legend()->setLabelColor(colours.color(QPalette::Text));
    for (QValueAxis *axis : {m_strikeAxis, m_volatilityAxis}) {
        axis->setLabelsColor(colours.color(QPalette::Text));
        axis->setTitleBrush(colours.brush(QPalette::Text));
        axis->setLinePenColor(colours.color(QPalette::Mid));
        axis->setGridLineColor(colours.color(QPalette::Midlight));
    }
    setBackgroundBrush(colours.brush(QPalette::Base));
    QPen calls(QuoteFieldRules::RiseRed, 2);
    QPen puts(QuoteFieldRules::FallGreen, 2);
    QPen underlying(colours.color(QPalette::Text), 1, Qt::DashLine);
    m_calls->setPen(calls);
    m_puts->setPen(puts);
    m_underlying->setPen(underlying);
}
