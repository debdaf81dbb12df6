#include "vtableview.h"

#include "vframepacer.h"

#include <QHeaderView>

VTableView::VTableView(QWidget *parent)
    : QTableView(parent)
    , m_pacer(new VFramePacer(this))
{
    connect(m_pacer, &VFramePacer::frame, this, &VTableView::repaintChanged);
}

void VTableView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QVector<int> &roles)
{
    if (state() == EditingState) {
        QTableView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    if (!isVisible() || !topLeft.isValid() || !bottomRight.isValid() || topLeft.parent() != rootIndex())
        return;
    const int top = topLeft.row();
    const int bottom = bottomRight.row();
    const int left = topLeft.column();
    const int right = bottomRight.column();
    const QPair<int, int> rows = visibleSpan(verticalHeader(), top, bottom, viewport()->height());
    const QPair<int, int> columns = visibleSpan(horizontalHeader(), left, right, viewport()->width());
    if (rows.first >= rows.second || columns.first >= columns.second)
        return;
    m_changed += QRect(QPoint(left, top), QPoint(right, bottom));
    m_pacer->request();
}

void VTableView::repaintChanged()
{
    QRegion pixels;
    for (const QRect &cells : qAsConst(m_changed)) {
        const QPair<int, int> rows = visibleSpan(verticalHeader(), cells.top(), cells.bottom(), viewport()->height());
        const QPair<int, int> columns
            = visibleSpan(horizontalHeader(), cells.left(), cells.right(), viewport()->width());
        if (rows.first < rows.second && columns.first < columns.second)
            pixels += QRect(columns.first, rows.first, columns.second - columns.first, rows.second - rows.first);
    }
    m_changed = QRegion();
    if (!pixels.isEmpty())
        viewport()->update(pixels);
}

QPair<int, int> VTableView::visibleSpan(const QHeaderView *header, int first, int last, int extent)
{
    const int firstShown = header->visualIndexAt(0);
    if (firstShown < 0 || extent <= 0)
        return {0, 0};
    int lastShown = header->visualIndexAt(extent - 1);
    if (lastShown < 0)
        lastShown = header->count() - 1;

    int start = extent;
    int end = 0;
    auto extend = [&](int logical) {
        const int position = header->sectionViewportPosition(logical);
        start = qMin(start, position);
        end = qMax(end, position + header->sectionSize(logical));
    };
    if (!header->sectionsMoved()) {
        // Logical and visual order agree: the span is the two ends.
        const int from = qMax(first, firstShown);
        const int to = qMin(last, lastShown);
        if (from > to)
            return {0, 0};
        extend(from);
        extend(to);
    } else {
        for (int visual = firstShown; visual <= lastShown; ++visual) {
            const int logical = header->logicalIndex(visual);
            if (logical >= first && logical <= last)
                extend(logical);
        }
    }
    return {qMax(start, 0), qMin(end, extent)};
}
