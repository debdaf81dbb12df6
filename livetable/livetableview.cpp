#include "livetableview.h"

#include "changedcells.h"
#include "framepacer.h"
#include "headersections.h"
#include "livetextdelegate.h"
#include "tablekeys.h"

#include <algorithm>
#include <memory>

#include <QHeaderView>
#include <QPainter>
#include <QPaintEvent>

namespace {

// Whether the delegate fills its cells with the background the view hands
// them (a LiveTextDelegate).
bool fillsItsCells(const QAbstractItemDelegate *delegate)
{
    return qobject_cast<const LiveTextDelegate *>(delegate) != nullptr;
}

} // namespace

LiveTableView::LiveTableView(QWidget *parent)
    : VTableView(parent)
    , m_pacer(new FramePacer(FramePacer::Paint, this))
    , m_changed(std::make_unique<ChangedCells>(this))
{
    QTableView::setShowGrid(false);
    TableKeys::install(this);
    setItemDelegate(new LiveTextDelegate(this));
    // Qt fills the region before the paint event; paintBackground() does.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    connect(m_pacer, &FramePacer::frame, this, &LiveTableView::repaintChanged);
    // Sections resized (or hidden) and moved change what is in view before
    // the view lays itself out again.
    for (const QHeaderView *header : {horizontalHeader(), verticalHeader()}) {
        connect(header, &QHeaderView::sectionResized, this, &LiveTableView::forgetWhatIsInView);
        connect(header, &QHeaderView::sectionMoved, this, &LiveTableView::forgetWhatIsInView);
    }
}

LiveTableView::~LiveTableView() = default;

void LiveTableView::setShowGrid(bool show)
{
    m_grid = show;
    viewport()->update();
}

void LiveTableView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QVector<int> &roles)
{
    if (state() == EditingState) {
        VTableView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    if (!isVisible() || !topLeft.isValid() || !bottomRight.isValid() || topLeft.parent() != rootIndex())
        return;
    if (m_changed->add(topLeft, bottomRight))
        m_pacer->request();
}

void LiveTableView::forgetWhatIsInView()
{
    m_changed->forgetView();
}

void LiveTableView::scrollContentsBy(int dx, int dy)
{
    forgetWhatIsInView();
    VTableView::scrollContentsBy(dx, dy);
}

void LiveTableView::updateGeometries()
{
    forgetWhatIsInView();
    VTableView::updateGeometries();
}

void LiveTableView::rowsInserted(const QModelIndex &parent, int first, int last)
{
    forgetWhatIsInView();
    VTableView::rowsInserted(parent, first, last);
}

void LiveTableView::rowsAboutToBeRemoved(const QModelIndex &parent, int first, int last)
{
    forgetWhatIsInView();
    VTableView::rowsAboutToBeRemoved(parent, first, last);
}

void LiveTableView::reset()
{
    forgetWhatIsInView();
    VTableView::reset();
}

void LiveTableView::repaintChanged()
{
    const QRegion changed = m_changed->takeRegion();
    if (!changed.isEmpty())
        viewport()->update(changed);
}

void LiveTableView::paintEvent(QPaintEvent *event)
{
    paintBackground(event->region());
    if (paintCells(event->region())) {
        // The base view still has its paint event, with nothing left to paint.
        QPaintEvent painted {QRegion()};
        VTableView::paintEvent(&painted);
    } else {
        VTableView::paintEvent(event);
    }
    if (!model())
        return;
    if (m_grid)
        paintGrid(event->region());
    m_changed->painted(event->region());
}

// Changes made while hidden are not followed, so the looks taken for a
// paint that did not come are not trusted when the view shows again.
void LiveTableView::hideEvent(QHideEvent *event)
{
    m_changed->hidden();
    VTableView::hideEvent(event);
}

// QTableView's paint of the cells (QTableViewPrivate::drawCell), cell by
// cell through their delegates, without the style's row panel under the
// cells a LiveTextDelegate fills.
bool LiveTableView::paintCells(const QRegion &region)
{
    QStyleOptionViewItem option = viewOptions();
    if (!model() || !itemDelegate() || option.backgroundBrush.style() == Qt::NoBrush || QTableView::showGrid()
        || (showDropIndicator() && state() == DraggingState))
        return false;
    // The cells first, each once though it may lie across two rectangles of
    // the region: a span leaves them all to QTableView, before any is painted.
    const QHeaderView *rows = verticalHeader();
    const QHeaderView *columns = horizontalHeader();
    const QRect cellsRect = cellsArea();
    const bool several = region.rectCount() > 1;
    QSet<quint64> seen;
    struct Cell
    {
        int row;
        int column;
        QRect rect;
    };
    QVector<Cell> cells;
    for (const QRect &rect : region) {
        const QRect area = rect & cellsRect;
        if (area.isEmpty())
            continue;
        const QVector<int> across = HeaderSections::shownBetween(columns, area.left(), area.right());
        for (int row : HeaderSections::shownBetween(rows, area.top(), area.bottom())) {
            const int top = rows->sectionViewportPosition(row);
            const int height = rows->sectionSize(row);
            for (int column : across) {
                if (rowSpan(row, column) != 1 || columnSpan(row, column) != 1)
                    return false;
                if (several) {
                    const quint64 key = ChangedCells::cellKey(row, column);
                    if (seen.contains(key))
                        continue;
                    seen.insert(key);
                }
                cells.append({row, column,
                              QRect(columns->sectionViewportPosition(column), top, columns->sectionSize(column), height)});
            }
        }
    }

    const QStyle::State viewState = option.state;
    const QModelIndex current = currentIndex();
    const bool focus = current.isValid() && (hasFocus() || viewport()->hasFocus());
    const QItemSelectionModel *selection = selectionModel();
    QPainter painter(viewport());
    for (const Cell &cell : qAsConst(cells)) {
        const QModelIndex index = model()->index(cell.row, cell.column, rootIndex());
        if (!index.isValid())
            continue;
        option.rect = cell.rect;
        option.state = viewState;
        if (selection && selection->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (index == m_hovered)
            option.state |= QStyle::State_MouseOver;
        if (viewState.testFlag(QStyle::State_Enabled)) {
            const bool enabled = model()->flags(index).testFlag(Qt::ItemIsEnabled);
            if (!enabled)
                option.state &= ~QStyle::State_Enabled;
            option.palette.setCurrentColorGroup(enabled ? QPalette::Normal : QPalette::Disabled);
        }
        if (focus && index == current)
            option.state |= QStyle::State_HasFocus;
        QAbstractItemDelegate *delegate = itemDelegate(index);
        if (!fillsItsCells(delegate))
            style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &option, &painter, this);
        delegate->paint(&painter, option, index);
    }
    return true;
}

// The cell under the mouse, as QAbstractItemView follows it for its paint.
bool LiveTableView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::HoverEnter || event->type() == QEvent::HoverMove)
        m_hovered = indexAt(static_cast<QHoverEvent *>(event)->pos());
    else if (event->type() == QEvent::HoverLeave || event->type() == QEvent::Leave)
        m_hovered = QPersistentModelIndex();
    return VTableView::viewportEvent(event);
}

QRect LiveTableView::cellsArea() const
{
    const QHeaderView *rows = verticalHeader();
    const QHeaderView *columns = horizontalHeader();
    const int lastRow = rows->logicalIndex(rows->count() - 1);
    const int lastColumn = columns->logicalIndex(columns->count() - 1);
    if (lastRow < 0 || lastColumn < 0)
        return QRect();
    const int firstRow = rows->logicalIndex(0);
    const int firstColumn = columns->logicalIndex(0);
    const int top = rows->sectionViewportPosition(firstRow);
    const int bottom = rows->sectionViewportPosition(lastRow) + rows->sectionSize(lastRow) - 1;
    const int first = columns->sectionViewportPosition(firstColumn);
    const int last = columns->sectionViewportPosition(lastColumn);
    if (isRightToLeft())
        return QRect(QPoint(last, top), QPoint(first + columns->sectionSize(firstColumn) - 1, bottom));
    return QRect(QPoint(first, top), QPoint(last + columns->sectionSize(lastColumn) - 1, bottom));
}

QBrush LiveTableView::cellBrush() const
{
    const QWidget *port = viewport();
    const QBrush brush = port->palette().brush(port->backgroundRole());
    if (alternatingRowColors() || !port->autoFillBackground() || port->testAttribute(Qt::WA_StyledBackground)
        || brush.style() != Qt::SolidPattern || !brush.isOpaque())
        return QBrush();
    return brush;
}

QStyleOptionViewItem LiveTableView::viewOptions() const
{
    QStyleOptionViewItem option = VTableView::viewOptions();
    option.backgroundBrush = cellBrush();
    return option;
}

QRegion LiveTableView::backgroundShownIn(const QRegion &region) const
{
    const QRect cells = cellsArea();
    if (cellBrush().style() == Qt::NoBrush || !region.intersects(cells))
        return region;
    // A cell is painted by its row's delegate, else its column's, else the view's.
    const auto fills = [this](const QAbstractItemDelegate *delegate) {
        return fillsItsCells(delegate ? delegate : itemDelegate());
    };
    const QRect rect = region.boundingRect() & cells;
    QRegion filled = rect;
    for (int column : HeaderSections::shownBetween(horizontalHeader(), rect.left(), rect.right())) {
        if (!fills(itemDelegateForColumn(column)))
            filled -= QRect(columnViewportPosition(column), rect.top(), columnWidth(column), rect.height());
    }
    for (int row : HeaderSections::shownBetween(verticalHeader(), rect.top(), rect.bottom())) {
        if (QAbstractItemDelegate *delegate = itemDelegateForRow(row)) {
            const QRect strip(rect.left(), rowViewportPosition(row), rect.width(), rowHeight(row));
            filled = fills(delegate) ? filled | strip : filled - strip;
        }
    }
    return region - filled;
}

// What QWidget paints under a widget that fills its background (its
// brush, then a style sheet's background), in the region's part the cells
// leave to it.
void LiveTableView::paintBackground(const QRegion &region)
{
    QWidget *port = viewport();
    const QRegion shown = backgroundShownIn(region);
    if (shown.isEmpty())
        return;
    QPainter painter(port);
    if (port->autoFillBackground()) {
        const QBrush brush = port->palette().brush(port->backgroundRole());
        for (const QRect &rect : shown)
            painter.fillRect(rect, brush);
    }
    if (port->testAttribute(Qt::WA_StyledBackground)) {
        painter.setClipRegion(shown);
        QStyleOption option;
        option.initFrom(port);
        port->style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, port);
    }
}

// The line below each row and at the trailing edge of each column, where
// QTableView's grid would be, drawn rectangle by rectangle of region: a
// paint of scattered cells draws the few lines it covers.
void LiveTableView::paintGrid(const QRegion &region)
{
    const QHeaderView *rows = verticalHeader();
    const QHeaderView *columns = horizontalHeader();
    // Not past the last row and column, as QTableView's grid.
    const QRect cells = cellsArea();
    if (cells.isEmpty())
        return;

    QStyleOptionViewItem option = viewOptions();
    const QColor colour
        = QColor::fromRgba(QRgb(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
    QPainter painter(viewport());
    for (const QRect &rect : region) {
        const int bottom = qMin(rect.bottom(), cells.bottom());
        const int left = isRightToLeft() ? qMax(rect.left(), cells.left()) : rect.left();
        const int right = isRightToLeft() ? rect.right() : qMin(rect.right(), cells.right());
        if (bottom < rect.top() || right < left)
            continue;
        for (int row : HeaderSections::shownBetween(rows, rect.top(), bottom)) {
            const int y = rows->sectionViewportPosition(row) + rows->sectionSize(row) - 1;
            if (y >= rect.top() && y <= bottom)
                painter.fillRect(QRect(left, y, right - left + 1, 1), colour);
        }
        for (int column : HeaderSections::shownBetween(columns, left, right)) {
            int x = columns->sectionViewportPosition(column);
            if (!isRightToLeft())
                x += columns->sectionSize(column) - 1;
            if (x >= left && x <= right)
                painter.fillRect(QRect(x, rect.top(), 1, bottom - rect.top() + 1), colour);
        }
    }
}

QVector<int> LiveTableView::lookRoles() const
{
    return m_changed->lookRoles();
}

void LiveTableView::setLookRoles(const QVector<int> &roles)
{
    m_changed->setLookRoles(roles);
    viewport()->update();
}
