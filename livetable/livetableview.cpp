#include "livetableview.h"

#include "framepacer.h"
#include "livetextdelegate.h"

#include <algorithm>

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
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
{
    QTableView::setShowGrid(false);
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
    // Most changes of a long table are of rows out of view, and a board's
    // changes are cell by cell: each costs a look at what is in view, known
    // until the view scrolls, resizes or its rows or columns change.
    if (!m_inViewKnown)
        knowWhatIsInView();
    if (!m_rowsInView.anyIn(topLeft.row(), bottomRight.row())
        || !m_columnsInView.anyIn(topLeft.column(), bottomRight.column()))
        return;
    m_changed.append(QRect(QPoint(topLeft.column(), topLeft.row()), QPoint(bottomRight.column(), bottomRight.row())));
    m_pacer->request();
}

void LiveTableView::knowWhatIsInView()
{
    m_rowsInView = ShownSections(sectionsShown(verticalHeader(), 0, viewport()->height() - 1));
    m_columnsInView = ShownSections(sectionsShown(horizontalHeader(), 0, viewport()->width() - 1));
    m_inViewKnown = true;
}

void LiveTableView::forgetWhatIsInView()
{
    m_inViewKnown = false;
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
    if (!m_inViewKnown)
        knowWhatIsInView();
    const QHeaderView *rows = verticalHeader();
    const QHeaderView *columns = horizontalHeader();
    const QVector<int> &rowsShown = m_rowsInView.sections;
    const QVector<int> &columnsShown = m_columnsInView.sections;
    const int width = columnsShown.size();
    // The shown cells reported changed, by place in view. Each change is
    // walked over its own rows and columns only: a frame reports hundreds
    // of cells.
    QVector<bool> changed(rowsShown.size() * width);
    for (const QRect &cells : qAsConst(m_changed)) {
        for (int row = qMax(cells.top(), m_rowsInView.first); row <= qMin(cells.bottom(), m_rowsInView.last); ++row) {
            const int r = m_rowsInView.placeOf(row);
            if (r < 0)
                continue;
            for (int column = qMax(cells.left(), m_columnsInView.first);
                 column <= qMin(cells.right(), m_columnsInView.last); ++column) {
                const int c = m_columnsInView.placeOf(column);
                if (c >= 0)
                    changed[r * width + c] = true;
            }
        }
    }
    m_changed.clear();
    // The cells to repaint, made one region at once, each run of cells side
    // by side one rectangle: a region grown cell by cell costs more than the
    // cells' paint when a frame changes hundreds of them. QRegion::setRects
    // wants bands top to bottom, each left to right with no two rectangles
    // touching: the rows shown come top to bottom, and the columns shown
    // left to right, or the other way in a right-to-left table.
    QVector<QRect> rects;
    for (int r = 0; r < rowsShown.size(); ++r) {
        const int row = rowsShown.at(r);
        for (int i = 0; i < width; ++i) {
            const int c = isRightToLeft() ? width - 1 - i : i;
            const int column = columnsShown.at(c);
            if (!changed.at(r * width + c)
                || (!m_lookRoles.isEmpty() && !takeNewLook(model()->index(row, column, rootIndex()))))
                continue;
            const QRect cell(columns->sectionViewportPosition(column), rows->sectionViewportPosition(row),
                             columns->sectionSize(column), rows->sectionSize(row));
            if (!rects.isEmpty() && rects.constLast().top() == cell.top()
                && rects.constLast().right() + 1 == cell.left())
                rects.last().setRight(cell.right());
            else
                rects.append(cell);
        }
    }
    if (rects.isEmpty())
        return;
    QRegion pixels;
    pixels.setRects(rects.constData(), rects.size());
    viewport()->update(pixels);
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
    if (m_lookRoles.isEmpty())
        return;
    // Bounded by what is on screen: looks of cells long scrolled away go.
    const int shownCells = (viewport()->height() / qMax(1, verticalHeader()->defaultSectionSize()) + 2)
        * (horizontalHeader()->count() + 1);
    if (m_painted.size() > 4 * shownCells) {
        m_painted.clear();
        m_lookTaken.clear();
    }
    for (const QRect &rect : event->region()) {
        const QVector<int> columns = sectionsShown(horizontalHeader(), rect.left(), rect.right());
        for (int row : sectionsShown(verticalHeader(), rect.top(), rect.bottom())) {
            for (int column : columns) {
                if (!m_lookTaken.contains(cellKey(row, column)))
                    rememberLook(model()->index(row, column, rootIndex()));
            }
        }
    }
    m_lookTaken.clear();
}

// Changes made while hidden are not followed, so the looks taken for a
// paint that did not come are not trusted when the view shows again.
void LiveTableView::hideEvent(QHideEvent *event)
{
    m_lookTaken.clear();
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
        const QVector<int> across = sectionsShown(columns, area.left(), area.right());
        for (int row : sectionsShown(rows, area.top(), area.bottom())) {
            const int top = rows->sectionViewportPosition(row);
            const int height = rows->sectionSize(row);
            for (int column : across) {
                if (rowSpan(row, column) != 1 || columnSpan(row, column) != 1)
                    return false;
                if (several) {
                    const quint64 key = cellKey(row, column);
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
    for (int column : sectionsShown(horizontalHeader(), rect.left(), rect.right())) {
        if (!fills(itemDelegateForColumn(column)))
            filled -= QRect(columnViewportPosition(column), rect.top(), columnWidth(column), rect.height());
    }
    for (int row : sectionsShown(verticalHeader(), rect.top(), rect.bottom())) {
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
        for (int row : sectionsShown(rows, rect.top(), bottom)) {
            const int y = rows->sectionViewportPosition(row) + rows->sectionSize(row) - 1;
            if (y >= rect.top() && y <= bottom)
                painter.fillRect(QRect(left, y, right - left + 1, 1), colour);
        }
        for (int column : sectionsShown(columns, left, right)) {
            int x = columns->sectionViewportPosition(column);
            if (!isRightToLeft())
                x += columns->sectionSize(column) - 1;
            if (x >= left && x <= right)
                painter.fillRect(QRect(x, rect.top(), 1, bottom - rect.top() + 1), colour);
        }
    }
}

void LiveTableView::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy) && model()) {
        QGuiApplication::clipboard()->setText(selectedRowsText());
        event->accept();
        return;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && state() != EditingState && currentIndex().isValid()) {
        emit doubleClicked(currentIndex());
        event->accept();
        return;
    }
    VTableView::keyPressEvent(event);
}

QString LiveTableView::selectedRowsText() const
{
    if (!model() || !selectionModel())
        return QString();
    QVector<int> rows;
    for (const QModelIndex &index : selectionModel()->selectedIndexes()) {
        if (!rows.contains(index.row()))
            rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    QVector<int> columns;
    for (int visual = 0; visual < horizontalHeader()->count(); ++visual) {
        const int column = horizontalHeader()->logicalIndex(visual);
        if (isColumnHidden(column))
            continue;
        for (int row : qAsConst(rows)) {
            if (!model()->index(row, column, rootIndex()).data().toString().isEmpty()) {
                columns.append(column);
                break;
            }
        }
    }
    QStringList lines;
    QStringList cells;
    for (int column : qAsConst(columns))
        cells << model()->headerData(column, Qt::Horizontal).toString();
    lines << cells.join(QLatin1Char('\t'));
    for (int row : qAsConst(rows)) {
        cells.clear();
        for (int column : qAsConst(columns))
            cells << model()->index(row, column, rootIndex()).data().toString();
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

bool LiveTableView::takeNewLook(const QModelIndex &index)
{
    const quint64 key = cellKey(index.row(), index.column());
    Look look(m_lookRoles.size());
    for (int i = 0; i < m_lookRoles.size(); ++i)
        look[i] = index.data(m_lookRoles.at(i));
    Look &painted = m_painted[key];
    if (painted == look)
        return false;
    painted = std::move(look);
    m_lookTaken.insert(key);
    return true;
}

void LiveTableView::rememberLook(const QModelIndex &index)
{
    Look &look = m_painted[cellKey(index.row(), index.column())];
    look.resize(m_lookRoles.size());
    for (int i = 0; i < m_lookRoles.size(); ++i)
        look[i] = index.data(m_lookRoles.at(i));
}

void LiveTableView::setLookRoles(const QVector<int> &roles)
{
    m_lookRoles = roles;
    m_painted.clear();
    m_lookTaken.clear();
    viewport()->update();
}

QPair<int, int> LiveTableView::visualRange(const QHeaderView *header, int from, int to)
{
    int first = header->visualIndexAt(from);
    int last = header->visualIndexAt(to);
    // A right-to-left header places its first section at the right.
    if (header->orientation() == Qt::Horizontal && header->isRightToLeft())
        std::swap(first, last);
    if (first < 0)
        return {0, -1};
    return {first, last < 0 ? header->count() - 1 : last};
}

QVector<int> LiveTableView::sectionsShown(const QHeaderView *header, int from, int to)
{
    QVector<int> sections;
    const QPair<int, int> range = visualRange(header, from, to);
    sections.reserve(range.second - range.first + 1);
    for (int visual = range.first; visual <= range.second; ++visual) {
        const int logical = header->logicalIndex(visual);
        if (!header->isSectionHidden(logical))
            sections.append(logical);
    }
    return sections;
}

LiveTableView::ShownSections::ShownSections(const QVector<int> &shown)
    : sections(shown)
{
    if (shown.isEmpty())
        return;
    first = *std::min_element(shown.begin(), shown.end());
    last = *std::max_element(shown.begin(), shown.end());
    places.fill(-1, last - first + 1);
    for (int place = 0; place < shown.size(); ++place)
        places[shown.at(place) - first] = place;
}

bool LiveTableView::ShownSections::anyIn(int from, int to) const
{
    for (int section = qMax(from, first); section <= qMin(to, last); ++section) {
        if (placeOf(section) >= 0)
            return true;
    }
    return false;
}
