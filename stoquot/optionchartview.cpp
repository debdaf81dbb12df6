#include "optionchartview.h"

#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>
#include <cmath>
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

// The decimals that tell ticks a step apart: none for whole steps, one for
// 0.5 or 0.2, two for 0.05...
int decimalsOf(double step)
{
    return step >= 1 ? 0 : int(std::ceil(-std::log10(step) - 1e-9));
}

} // namespace

OptionChartView::OptionChartView(const QString &xTitle, const QString &yTitle, QWidget *parent)
    : QChartView(new QChart, parent)
    , m_x(new QValueAxis)
    , m_y(new QValueAxis)
{
    QChart *chart = this->chart();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->legend()->setAlignment(Qt::AlignTop);
    m_x->setTitleText(xTitle);
    m_y->setTitleText(yTitle);
    chart->addAxis(m_x, Qt::AlignBottom);
    chart->addAxis(m_y, Qt::AlignLeft);
    for (QValueAxis *axis : {m_x, m_y})
        resetAxis(axis);
    setRenderHint(QPainter::Antialiasing);
    setMinimumHeight(180);
    followPalette();
}

QLineSeries *OptionChartView::addLine(const QString &name, const QColor &colour, int width, Qt::PenStyle style)
{
    auto *series = new QLineSeries;
    series->setName(name);
    chart()->addSeries(series);
    series->attachAxis(m_x);
    series->attachAxis(m_y);
    m_lines.append({series, colour, width, style});
    followPalette();
    return series;
}

bool OptionChartView::fitAxis(QValueAxis *axis, double low, double high, double least, double floor)
{
    const double span = std::max(high - low, least);
    if (axis->min() <= low && high <= axis->max() && axis->max() - axis->min() <= 3 * span)
        return false;
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
    axis->setLabelFormat(QStringLiteral("%.%1f").arg(decimalsOf(step)));
    return true;
}

void OptionChartView::resetAxis(QValueAxis *axis)
{
    axis->setRange(0, 1);
    axis->setTickCount(2);
    axis->setLabelFormat(QStringLiteral("%.0f"));
}

QPoint OptionChartView::pixelOf(const QPointF &point) const
{
    return chart()->mapToPosition(point, m_lines.constFirst().series).toPoint();
}

bool OptionChartView::redrawNeeded(QVector<QPoint> pixels, bool rescaled)
{
    if (!rescaled && pixels == m_drawnPixels)
        return false;
    m_drawnPixels = std::move(pixels);
    return true;
}

void OptionChartView::layOutNow()
{
    QCoreApplication::sendPostedEvents(chart(), QEvent::LayoutRequest);
    QCoreApplication::sendPostedEvents(scene(), QEvent::MetaCall);
}

void OptionChartView::changeEvent(QEvent *event)
{
    QChartView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        followPalette();
}

void OptionChartView::followPalette()
{
    const QPalette colours = palette();
    QChart *chart = this->chart();
    chart->setBackgroundBrush(colours.brush(QPalette::Base));
    chart->setBackgroundPen(Qt::NoPen);
    chart->legend()->setLabelColor(colours.color(QPalette::Text));
    for (QValueAxis *axis : {m_x, m_y}) {
        axis->setLabelsColor(colours.color(QPalette::Text));
        axis->setTitleBrush(colours.brush(QPalette::Text));
        axis->setLinePenColor(colours.color(QPalette::Mid));
        axis->setGridLineColor(colours.color(QPalette::Midlight));
    }
    setBackgroundBrush(colours.brush(QPalette::Base));
    for (const Line &line : qAsConst(m_lines))
        line.series->setPen(
            QPen(line.colour.isValid() ? line.colour : colours.color(QPalette::Text), line.width, line.style));
}
