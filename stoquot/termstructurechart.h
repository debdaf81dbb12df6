#pragma once

#include "optionchartview.h"

#include <QPointF>
#include <QVector>

// The volatility term structure: the at-the-money implied volatility of
// every listed expiry against the days left to it.
class TermStructureChart : public OptionChartView
{
    Q_OBJECT
public:
    explicit TermStructureChart(QWidget *parent = nullptr);

    // points: (days to expiry, volatility a year), by days; none: an empty chart.
    void setTerm(const QVector<QPointF> &points);
    // What the chart shows (volatilities in percent).
    QVector<QPointF> points() const;

private:
    QtCharts::QLineSeries *m_term;
};
