#pragma once

#include "headersections.h"

#include <QHash>
#include <QRect>
#include <QRegion>
#include <QSet>
#include <QVariant>
#include <QVector>

class QModelIndex;
class QTableView;

// The cells of a table view reported changed since its last frame that are
// on screen, turned into the viewport region the frame repaints. What is on
// screen (the rows and columns shown) is worked out when first needed and
// kept until the view scrolls, resizes or its rows or sections change
// (forgetView()): most changes of a long table are of rows out of view, and
// a board's changes come cell by cell.
//
// With look roles, a reported cell is repainted only when the values of
// those roles differ from the ones it was last painted with: a model that
// reports a whole row for one new price then repaints one cell. The look a
// repaint will show is remembered when the region is taken, and the looks
// of cells a paint covered otherwise (an expose, a scroll) by painted().
class ChangedCells
{
public:
    // view: the view whose model's changes are collected; it owns this.
    explicit ChangedCells(const QTableView *view);

    QVector<int> lookRoles() const { return m_lookRoles; }
    // Forgets every look.
    void setLookRoles(const QVector<int> &roles);

    // What is on screen changed.
    void forgetView() { m_inViewKnown = false; }
    // The cells topLeft..bottomRight (children of the view's root) were
    // reported changed; false when none of them is on screen.
    bool add(const QModelIndex &topLeft, const QModelIndex &bottomRight);
    // The viewport region of the cells added since the last call that are
    // on screen and, with look roles, look different: runs of cells side by
    // side one rectangle. The cells are forgotten.
    QRegion takeRegion();
    // After a paint of region: the looks its cells were painted with.
    void painted(const QRegion &region);
    // The view hid: looks taken for a repaint that did not come are not trusted.
    void hidden() { m_lookTaken.clear(); }

    static quint64 cellKey(int row, int column) { return quint64(row) << 32 | quint32(column); }

private:
    using Look = QVector<QVariant>;

    void knowWhatIsInView();
    // Whether the cell's look differs from the one last painted; if so, it
    // is remembered now, as the look the cell's coming repaint will show.
    bool takeNewLook(const QModelIndex &index);
    void rememberLook(const QModelIndex &index);

    const QTableView *m_view;
    QVector<int> m_lookRoles;
    // Changed cells waiting for the frame, in cell units: x = column, y = row.
    QVector<QRect> m_changed;
    bool m_inViewKnown = false;
    ShownSections m_rowsInView;
    ShownSections m_columnsInView;
    // With look roles: the look of each cell when it was last painted, by
    // cellKey, and the cells whose look takeNewLook remembered for the
    // coming paint, which then need not read it again.
    QHash<quint64, Look> m_painted;
    QSet<quint64> m_lookTaken;
};
