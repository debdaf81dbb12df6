#include "vtableview.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QStyle>
#include <QTimer>

namespace {

constexpr int CheckIntervalMs = 1000;
constexpr int MaxCachedWidths = 4096;

} // namespace

VTableView::VTableView(QWidget *parent)
    : QTableView(parent)
{
    // A column the user drags to a width keeps it.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        if (!m_widening && QGuiApplication::mouseButtons().testFlag(Qt::LeftButton))
            m_sizedByUser.insert(column);
    });
}

void VTableView::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    if (m_widenPending || (m_sinceWidened.isValid() && m_sinceWidened.elapsed() < CheckIntervalMs))
        return;
    m_widenPending = true;
    // Not from inside a paint: widening repaints.
    QTimer::singleShot(0, this, &VTableView::widenColumns);
}

void VTableView::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    if (!m_fitted.isEmpty() && !m_widenPending) {
        m_widenPending = true;
        QTimer::singleShot(0, this, &VTableView::widenColumns);
    }
}

int VTableView::textWidth(const QString &text) const
{
    auto found = m_textWidths.constFind(text);
    if (found == m_textWidths.cend()) {
        if (m_textWidths.size() >= MaxCachedWidths)
            m_textWidths.clear();
        found = m_textWidths.insert(text, fontMetrics().horizontalAdvance(text));
    }
    return *found;
}

int VTableView::widestText(int column) const
{
    // The item delegates' margins on either side of a text, and the grid line.
    const int margins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 1;
    const QHeaderView *rows = verticalHeader();
    int first = rows->visualIndexAt(0);
    int last = rows->visualIndexAt(viewport()->height() - 1);
    if (last < 0)
        last = rows->count() - 1;
    int widest = 0;
    for (int visual = qMax(first, 0); visual <= last; ++visual) {
        const QModelIndex index = model()->index(rows->logicalIndex(visual), column, rootIndex());
        const QString text = index.data().toString();
        const QVariant font = index.data(Qt::FontRole);
        const int width = font.isValid() ? QFontMetrics(qvariant_cast<QFont>(font)).horizontalAdvance(text)
                                         : textWidth(text);
        widest = qMax(widest, width + margins);
    }
    return qMax(widest, horizontalHeader()->sectionSizeHint(column));
}

void VTableView::widenColumns()
{
    m_widenPending = false;
    m_sinceWidened.start();
    if (!model() || !isVisible())
        return;
    QHeaderView *header = horizontalHeader();
    m_widening = true;
    QList<int> stretched;
    for (int column = 0; column < header->count(); ++column) {
        if (isColumnHidden(column))
            continue;
        if (header->sectionResizeMode(column) == QHeaderView::Stretch || m_fitted.contains(column)) {
            stretched << column;
            continue;
        }
        if (m_sizedByUser.contains(column) || header->sectionResizeMode(column) != QHeaderView::Interactive)
            continue;
        const int widest = widestText(column);
        if (widest > columnWidth(column))
            setColumnWidth(column, widest);
    }
    if (!stretched.isEmpty() && !fitStretched(stretched)) {
        for (int column : qAsConst(stretched))
            header->setSectionResizeMode(column, QHeaderView::Stretch);
        m_fitted.clear();
    }
    m_widening = false;
}

bool VTableView::fitStretched(const QList<int> &columns)
{
    QHeaderView *header = horizontalHeader();
    int available = viewport()->width();
    for (int column = 0; column < header->count(); ++column) {
        if (!isColumnHidden(column) && !columns.contains(column))
            available -= columnWidth(column);
    }
    QVector<int> widths;
    int needed = 0;
    for (int column : columns) {
        widths << widestText(column);
        needed += widths.constLast();
    }
    if (needed > available)
        return false;
    const int share = (available - needed) / columns.size();
    int rest = (available - needed) % columns.size();
    for (int i = 0; i < columns.size(); ++i) {
        header->setSectionResizeMode(columns.at(i), QHeaderView::Interactive);
        header->resizeSection(columns.at(i), widths.at(i) + share + (rest-- > 0 ? 1 : 0));
    }
    m_fitted = columns;
    return true;
}
