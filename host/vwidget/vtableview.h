#pragma once

#include "vwidget_global.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <QTableView>

// The client's table view. A column too narrow for the texts it shows is
// widened to the widest of them (as far as the rows in view tell, caption
// included), so a text is elided only where the user made its column
// narrower by hand or the view is too narrow for all of them; a column is
// never narrowed. Stretched columns share the view's width by their texts
// instead of equally, as long as every text fits: each gets its widest
// text and an equal share of the rest. The check follows the view's paints,
// at most once a second, and every resize of the view; it measures the
// cells' display texts in their fonts, each text once.
class VWIDGET_EXPORT VTableView : public QTableView
{
    Q_OBJECT
public:
    explicit VTableView(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void widenColumns();
    int widestText(int column) const;
    // Gives the stretched columns their texts' widths; false when the
    // texts do not fit, and the columns stretch equally again.
    bool fitStretched(const QList<int> &columns);

    // The width of a text in the view's font; bounded.
    int textWidth(const QString &text) const;

    mutable QHash<QString, int> m_textWidths;
    QElapsedTimer m_sinceWidened;
    bool m_widenPending = false;
    bool m_widening = false;
    QSet<int> m_sizedByUser; // logical columns
    QList<int> m_fitted; // stretched columns sized by their texts
};
