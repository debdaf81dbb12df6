#pragma once

#include "optionchartview.h"

#include <QPoint>
#include <QPointF>
#include <QVector>

// The volatility smile of the expiry shown: implied volatility against
// exercise price for the calls and for the puts, with the underlying's
// price marked by an upright dashed line. Empty, without a marker, when no
// expiry is shown.
class SmileChart : public OptionChartView
{
    Q_OBJECT
public:
    explicit SmileChart(QWidget *parent = nullptr);

    // points: (exercise price, volatility a year); underlyingPrice 0: none.
    // The chart is drawn again only when a point or the marker moves by a
    // pixel or more, and then with the window's next repaint.
    void setSmile(const QVector<QPointF> &calls, const QVector<QPointF> &puts, double underlyingPrice);
    // What the chart last showed (volatilities in percent).
    QVector<QPointF> callPoints() const;
    QVector<QPointF> putPoints() const;
    // The underlying's marker, NaN when none is shown.
    double markedPrice() const;

private:
    // Sets the axes' ranges to take in the points and the price; true when a
    // range changed.
    bool fitAxes(const QVector<QPointF> &calls, const QVector<QPointF> &puts, double underlyingPrice);
    // Where the points and the marker fall on the screen.
    QVector<QPoint> pixelsOf(const QVector<QPointF> &calls, const QVector<QPointF> &puts, double underlyingPrice) const;

    QtCharts::QLineSeries *m_calls;
    QtCharts::QLineSeries *m_puts;
    QtCharts::QLineSeries *m_underlying;
};
