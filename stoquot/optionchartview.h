#pragma once

#include <QtCharts/QChartView>

namespace QtCharts {
class QLineSeries;
class QValueAxis;
} // namespace QtCharts

// A chart of the option board's analytics: lines over two value axes, no
// animation, colours that follow the application's palette (so it reads in
// the light and the dark style), and axes fitted to round steps whose
// labels tell every tick apart. The series and axes belong to the chart,
// the chart to the view.
class OptionChartView : public QtCharts::QChartView
{
    Q_OBJECT
public:
    QtCharts::QValueAxis *xAxis() const { return m_x; }
    QtCharts::QValueAxis *yAxis() const { return m_y; }

protected:
    OptionChartView(const QString &xTitle, const QString &yTitle, QWidget *parent);

    // A line over both axes, drawn with pen's style in the colour given or
    // (invalid) the palette's text.
    QtCharts::QLineSeries *addLine(const QString &name, const QColor &colour, int width,
                                   Qt::PenStyle style = Qt::SolidLine);
    // Widens axis to [low, high] in whole round steps (1, 2 or 5 times a
    // power of ten) with room at either end, least the narrowest span shown
    // and nothing below floor. A range that still holds [low, high] and is
    // not over three times as wide stays, so small moves leave the axis
    // alone. True when the range changed.
    static bool fitAxis(QtCharts::QValueAxis *axis, double low, double high, double least, double floor);
    // Back to an empty chart's axes: [0, 1], no labels to read.
    static void resetAxis(QtCharts::QValueAxis *axis);
    // Where a point of the axes falls on the screen, to the pixel.
    QPoint pixelOf(const QPointF &point) const;
    // True when pixels (where the chart's points fall) differ from those
    // last drawn, or the axes were rescaled: the chart is then drawn again
    // with them. A move of less than a pixel is not worth a drawing.
    bool redrawNeeded(QVector<QPoint> pixels, bool rescaled);
    // The layout that a new range or new points asked for, taken now: the
    // chart is drawn with the window's next repaint, in the frame that
    // changed it, rather than in a repaint of its own after it.
    void layOutNow();

    void changeEvent(QEvent *event) override;

private:
    void followPalette();

    struct Line
    {
        QtCharts::QLineSeries *series;
        QColor colour; // invalid: the palette's text
        int width;
        Qt::PenStyle style;
    };
    QtCharts::QValueAxis *m_x;
    QtCharts::QValueAxis *m_y;
    QVector<Line> m_lines;
    QVector<QPoint> m_drawnPixels;
};
