#pragma once

#include <vtableview.h>

#include <QPersistentModelIndex>
#include <QRegion>
#include <QVector>

#include <memory>

class ChangedCells;
class FramePacer;

// A table view for live data. Qt's item views repaint their whole viewport
// for any change of more than one cell, off screen or not, and once per
// pass of the event loop; a table fed quotes in batches then repaints
// hundreds of times a second. This view repaints the changed cells that
// reach the screen (ChangedCells) in the Paint phase of the frame
// (FramePacer) in which they changed, or of the next one for a change made
// between frames. Changes outside the viewport cost no paint at all.
//
// A model that reports more than what changed (a whole row for one new
// price) sets look roles: a reported cell is then repainted only when the
// values of those roles differ from the ones it was last painted with.
// Without look roles every reported cell in view is repainted.
//
// The view draws its grid itself, as one-pixel fills: QTableView strokes
// grid lines rectangle by rectangle of the painted region, which costs as
// much as the cells' text when a paint covers many scattered cells.
// showGrid()/setShowGrid() hide QTableView's and switch this grid (always
// solid, in the style's grid colour).
//
// Cells are painted by a LiveTextDelegate unless another delegate is set.
// The view paints its viewport's background itself, as Qt would, but
// leaves out the cells a LiveTextDelegate paints, handing them the
// background to fill instead (when it is one opaque colour under every
// row): a quote table repaints most of its cells in every frame, and most
// of them have a colour of their own, so each pixel is filled once.
// Then the view also paints the cells itself, as QTableView would, but
// without the style's row panel (PE_PanelItemViewRow) under the cells a
// LiveTextDelegate fills: the cell covers it, and a style works out its
// colours for every cell, which costs as much as the cell's text. Spans, a
// drag's drop indicator and QTableView's own grid (set through a QTableView
// pointer) leave the cells to QTableView.
//
// The view takes the quote tables' keys (TableKeys): Enter on a row does
// what a double-click does, the copy key copies the selected rows.
class LiveTableView : public VTableView
{
    Q_OBJECT
public:
    explicit LiveTableView(QWidget *parent = nullptr);
    ~LiveTableView() override;

    QVector<int> lookRoles() const;
    void setLookRoles(const QVector<int> &roles);

    bool showGrid() const { return m_grid; }
    void setShowGrid(bool show);

    void reset() override;

protected:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QVector<int> &roles = QVector<int>()) override;
    void paintEvent(QPaintEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    QStyleOptionViewItem viewOptions() const override;
    void hideEvent(QHideEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;
    void rowsInserted(const QModelIndex &parent, int first, int last) override;
    void rowsAboutToBeRemoved(const QModelIndex &parent, int first, int last) override;

private:
    void repaintChanged();
    void forgetWhatIsInView();
    // The viewport's part covered by cells, from the first row and column
    // to the last; empty without either.
    QRect cellsArea() const;
    // The background the cells' delegate fills them with; none unless it is
    // one opaque colour under every row.
    QBrush cellBrush() const;
    // Of region, what the viewport's background shows through: all but the
    // cells a LiveTextDelegate fills while cellBrush() hands it the colour.
    QRegion backgroundShownIn(const QRegion &region) const;
    void paintBackground(const QRegion &region);
    // Paints the cells of region as QTableView would; false, having painted
    // none, where it leaves them to QTableView.
    bool paintCells(const QRegion &region);
    void paintGrid(const QRegion &region);

    FramePacer *m_pacer; // a child
    bool m_grid = true;
    std::unique_ptr<ChangedCells> m_changed;
    QPersistentModelIndex m_hovered;
};
