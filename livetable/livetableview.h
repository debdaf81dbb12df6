#pragma once

#include <vtableview.h>

#include <QHash>
#include <QPersistentModelIndex>
#include <QRegion>
#include <QSet>
#include <QVector>

class QHeaderView;
class FramePacer;

// A table view for live data. Qt's item views repaint their whole viewport
// for any change of more than one cell, off screen or not, and once per
// pass of the event loop; a table fed quotes in batches then repaints
// hundreds of times a second. This view collects the changed cells that
// reach the screen and repaints them in the Paint phase of the frame
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
// Keys: Enter on a row does what a double-click does (doubleClicked with
// the current index); the copy key puts the selected rows on the clipboard
// (selectedRowsText()).
class LiveTableView : public VTableView
{
    Q_OBJECT
public:
    explicit LiveTableView(QWidget *parent = nullptr);

    QVector<int> lookRoles() const { return m_lookRoles; }
    void setLookRoles(const QVector<int> &roles);

    bool showGrid() const { return m_grid; }
    void setShowGrid(bool show);

    // The selected rows as tab-separated text under a header line: the
    // shown columns in their order, leaving out columns empty in every
    // selected row (a button column).
    QString selectedRowsText() const;

    void reset() override;

protected:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QVector<int> &roles = QVector<int>()) override;
    void paintEvent(QPaintEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    QStyleOptionViewItem viewOptions() const override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;
    void rowsInserted(const QModelIndex &parent, int first, int last) override;
    void rowsAboutToBeRemoved(const QModelIndex &parent, int first, int last) override;

private:
    using Look = QVector<QVariant>;

    // The sections of a header shown in view, in visual order, and the
    // place of each among them by logical index.
    struct ShownSections
    {
        ShownSections() = default;
        explicit ShownSections(const QVector<int> &shown);
        // The section's place among the shown ones; -1 when not shown.
        int placeOf(int section) const
        {
            return section < first || section > last ? -1 : places.at(section - first);
        }
        // Whether any of the sections from..to is shown.
        bool anyIn(int from, int to) const;

        QVector<int> sections;
        int first = 0; // the smallest and largest logical index shown
        int last = -1;
        QVector<int> places; // by logical index - first
    };

    // The first and last visual index of header's sections between viewport
    // positions from and to; last < first when none is there.
    static QPair<int, int> visualRange(const QHeaderView *header, int from, int to);
    // The logical sections of header shown between viewport positions from and to.
    static QVector<int> sectionsShown(const QHeaderView *header, int from, int to);
    void repaintChanged();
    void knowWhatIsInView();
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
    static quint64 cellKey(int row, int column) { return quint64(row) << 32 | quint32(column); }
    // Whether the cell's look differs from the one last painted; if so, it
    // is remembered now, as the look the cell's coming repaint will show.
    bool takeNewLook(const QModelIndex &index);
    void rememberLook(const QModelIndex &index);

    FramePacer *m_pacer;
    QVector<int> m_lookRoles;
    bool m_grid = true;
    // Changed cells waiting for the frame, in cell units: x = column, y = row.
    QVector<QRect> m_changed;
    // What is in view, while known.
    bool m_inViewKnown = false;
    ShownSections m_rowsInView;
    ShownSections m_columnsInView;
    // With look roles: the look of each cell when it was last painted, by
    // cellKey, and the cells whose look takeNewLook remembered for the
    // coming paint, which then need not read it again.
    QHash<quint64, Look> m_painted;
    QSet<quint64> m_lookTaken;
    QPersistentModelIndex m_hovered;
};
