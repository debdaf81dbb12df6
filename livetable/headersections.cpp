#include "headersections.h"

#include <QHeaderView>

#include <algorithm>

namespace {

// The first and last visual index of header's sections between viewport
// positions from and to; last < first when none is there.
QPair<int, int> visualRange(const QHeaderView *header, int from, int to)
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

} // namespace

QVector<int> HeaderSections::shownBetween(const QHeaderView *header, int from, int to)
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

ShownSections::ShownSections(const QVector<int> &shown)
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

bool ShownSections::anyIn(int from, int to) const
{
    for (int section = qMax(from, first); section <= qMin(to, last); ++section) {
        if (placeOf(section) >= 0)
            return true;
    }
    return false;
}
