#include "changedcells.h"

#include <QHeaderView>
#include <QTableView>

ChangedCells::ChangedCells(const QTableView *view)
    : m_view(view)
{
}

void ChangedCells::setLookRoles(const QVector<int> &roles)
{
    m_lookRoles = roles;
    m_painted.clear();
    m_lookTaken.clear();
}

bool ChangedCells::add(const QModelIndex &topLeft, const QModelIndex &bottomRight)
{
    if (!m_inViewKnown)
        knowWhatIsInView();
    if (!m_rowsInView.anyIn(topLeft.row(), bottomRight.row())
        || !m_columnsInView.anyIn(topLeft.column(), bottomRight.column()))
        return false;
    m_changed.append(QRect(QPoint(topLeft.column(), topLeft.row()), QPoint(bottomRight.column(), bottomRight.row())));
    return true;
}

void ChangedCells::knowWhatIsInView()
{
    const QWidget *viewport = m_view->viewport();
    m_rowsInView = ShownSections(HeaderSections::shownBetween(m_view->verticalHeader(), 0, viewport->height() - 1));
    m_columnsInView
        = ShownSections(HeaderSections::shownBetween(m_view->horizontalHeader(), 0, viewport->width() - 1));
    m_inViewKnown = true;
}

QRegion ChangedCells::takeRegion()
{
    if (!m_inViewKnown)
        knowWhatIsInView();
    const QHeaderView *rows = m_view->verticalHeader();
    const QHeaderView *columns = m_view->horizontalHeader();
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
    const QAbstractItemModel *model = m_view->model();
    QVector<QRect> rects;
    for (int r = 0; r < rowsShown.size(); ++r) {
        const int row = rowsShown.at(r);
        for (int i = 0; i < width; ++i) {
            const int c = m_view->isRightToLeft() ? width - 1 - i : i;
            const int column = columnsShown.at(c);
            if (!changed.at(r * width + c)
                || (!m_lookRoles.isEmpty() && !takeNewLook(model->index(row, column, m_view->rootIndex()))))
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
    QRegion pixels;
    if (!rects.isEmpty())
        pixels.setRects(rects.constData(), rects.size());
    return pixels;
}

void ChangedCells::painted(const QRegion &region)
{
    const QAbstractItemModel *model = m_view->model();
    if (m_lookRoles.isEmpty() || !model)
        return;
    // Bounded by what is on screen: looks of cells long scrolled away go.
    const int shownCells = (m_view->viewport()->height() / qMax(1, m_view->verticalHeader()->defaultSectionSize()) + 2)
        * (m_view->horizontalHeader()->count() + 1);
    if (m_painted.size() > 4 * shownCells) {
        m_painted.clear();
        m_lookTaken.clear();
    }
    for (const QRect &rect : region) {
        const QVector<int> columns = HeaderSections::shownBetween(m_view->horizontalHeader(), rect.left(), rect.right());
        for (int row : HeaderSections::shownBetween(m_view->verticalHeader(), rect.top(), rect.bottom())) {
            for (int column : columns) {
                if (!m_lookTaken.contains(cellKey(row, column)))
                    rememberLook(model->index(row, column, m_view->rootIndex()));
            }
        }
    }
    m_lookTaken.clear();
}

bool ChangedCells::takeNewLook(const QModelIndex &index)
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

void ChangedCells::rememberLook(const QModelIndex &index)
{
    Look &look = m_painted[cellKey(index.row(), index.column())];
    look.resize(m_lookRoles.size());
    for (int i = 0; i < m_lookRoles.size(); ++i)
        look[i] = index.data(m_lookRoles.at(i));
}
