#pragma once

#include "vwidget_global.h"

#include <QRegion>
#include <QTableView>

class QHeaderView;
class VFramePacer;

// A table view for live data. Qt's item views repaint their whole viewport
// for any change of more than one cell, off screen or not, and once per
// pass of the event loop; a table fed quotes in batches then repaints
// hundreds of times a second. This view collects the changed ranges that
// reach the screen and repaints their visible part once per display frame
// (VFramePacer): at most 60 paints a second, at most one frame late.
// Changes outside the viewport cost no paint at all. While an editor is
// open the view behaves as a plain QTableView, so the editor follows the
// model.
class VWIDGET_EXPORT VTableView : public QTableView
{
    Q_OBJECT
public:
    explicit VTableView(QWidget *parent = nullptr);

protected:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QVector<int> &roles = QVector<int>()) override;

private:
    // The visible part of the sections first..last (logical) of header, as
    // viewport coordinates [start, end); empty when none of them shows.
    static QPair<int, int> visibleSpan(const QHeaderView *header, int first, int last, int extent);
    void repaintChanged();

    VFramePacer *m_pacer;
    // Changed cells waiting for the next frame, in cell units: x = column, y = row.
    QRegion m_changed;
};
