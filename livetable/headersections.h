#pragma once

#include <QVector>

class QHeaderView;

// The sections of a header within a stretch of its view: what a live table
// looks at to know which of its rows and columns are on screen.
namespace HeaderSections {

// The logical sections of header shown between viewport positions from and
// to, in visual order; hidden sections left out.
QVector<int> shownBetween(const QHeaderView *header, int from, int to);

} // namespace HeaderSections

// A set of shown sections, in visual order, and the place of each among
// them by logical index, for lookups in the hot path of a frame.
struct ShownSections
{
    ShownSections() = default;
    explicit ShownSections(const QVector<int> &shown);
    // The section's place among the shown ones; -1 when not shown.
    int placeOf(int section) const { return section < first || section > last ? -1 : places.at(section - first); }
    // Whether any of the sections from..to is shown.
    bool anyIn(int from, int to) const;

    QVector<int> sections;
    int first = 0; // the smallest and largest logical index shown
    int last = -1;
    QVector<int> places; // by logical index - first
};
