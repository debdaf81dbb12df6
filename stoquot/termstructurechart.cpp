#include "termstructurechart.h"

#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <utility>

using namespace QtCharts;

TermStructureChart::TermStructureChart(QWidget *parent)
    : OptionChartView(QStringLiteral("剩余天数"), QStringLiteral("平值隐含波动率(%)"), parent)
    , m_term(addLine(QStringLiteral("平值隐含波动率"), QColor(), 2))
{
    m_term->setPointsVisible(true);
    chart()->legend()->hide();
}

void TermStructureChart::setTerm(const QVector<QPointF> &points)
{
    QVector<QPointF> percent;
    percent.reserve(points.size());
    for (const QPointF &point : points)
        percent.append({point.x(), point.y() * 100});
    bool rescaled = false;
    if (percent.isEmpty()) {
        rescaled = xAxis()->max() != 1 || yAxis()->max() != 1;
        resetAxis(xAxis());
        resetAxis(yAxis());
    } else {
        const auto [low, high] = std::minmax_element(percent.cbegin(), percent.cend(),
                                                     [](const QPointF &a, const QPointF &b) { return a.y() < b.y(); });
        rescaled = fitAxis(xAxis(), 0, percent.constLast().x(), 10, 0);
        rescaled = fitAxis(yAxis(), low->y(), high->y(), 2, 0) || rescaled;
    }
    QVector<QPoint> pixels;
    pixels.reserve(percent.size());
    for (const QPointF &point : qAsConst(percent))
        pixels.append(pixelOf(point));
    if (!redrawNeeded(std::move(pixels), rescaled))
        return;
    m_term->replace(percent);
    layOutNow();
}

QVector<QPointF> TermStructureChart::points() const
{
    return m_term->pointsVector();
}
