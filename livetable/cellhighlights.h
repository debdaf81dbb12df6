#pragma once

#include "securityid.h"

class FramePacer;

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QVector>

#include <deque>
#include <functional>

// The highlights of a quote table's changed cells: a cell is lit, and ends
// a fixed duration later. A cell is named by its row's security and its
// column, not by its position, so after a sort, a removal or a new chain a
// highlight stays with its security's value instead of lighting whatever
// row now stands where it stood.
//
// One timer serves every cell from a queue of deadlines (in order, since
// every end comes the same duration after its cause): a Qt timer per change
// falls behind at tens of thousands of changes a second. Ends are carried
// out in the Expire phase of the frame after they fall due (FramePacer), so
// their repaints are frame work and share the frame with the quotes. An end
// that a later light() of its cell overtook changes nothing while a later
// end is scheduled: the cell would have gone dark and been lit again since,
// and in a storm of changes a cell stays lit instead of being ended and lit
// again in every frame.
class CellHighlights : public QObject
{
    Q_OBJECT
public:
    // When a lit cell ends: the duration after the last endLater() of the
    // cell (a flash that lasts while its value keeps changing), or after
    // each of them (a marker that every change clears again later).
    enum Ending { AfterLastChange, AfterEachChange };

    CellHighlights(int durationMs, Ending ending, QObject *parent = nullptr);

    int duration() const { return m_durationMs; }
    // Ends already scheduled keep their time.
    void setDuration(int ms) { m_durationMs = ms; }

    // Whether the cell was dark before; the cell counts as lit from now
    // either way.
    bool light(const SecurityId &id, int column);
    // Schedules the cell's end the duration from now, whether or not it is lit.
    void endLater(const SecurityId &id, int column);
    // Ends the cell now, without ended(); whether it was lit.
    bool unlight(const SecurityId &id, int column);
    // Forgets the security's cells (its row was removed), the cells of
    // every security keep() refuses, or every cell.
    void forget(const SecurityId &id);
    void forgetUnless(const std::function<bool(const SecurityId &id)> &keep);
    void clear();

    bool isLit(const SecurityId &id, int column) const;
    // Whether any cell of the column is lit: a paint of a quiet column asks no more.
    bool anyLitIn(int column) const { return m_litPerColumn.value(column) > 0; }

signals:
    // A scheduled end came; the cell is no longer lit.
    void ended(const SecurityId &id, int column);

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    void endDue();

    struct Cell
    {
        SecurityId id;
        int column;
        friend bool operator==(const Cell &a, const Cell &b) { return a.column == b.column && a.id == b.id; }
        friend uint qHash(const Cell &cell, uint seed) { return qHash(cell.id, seed) ^ uint(cell.column); }
    };
    struct State
    {
        bool lit = false;
        qint64 litAt = 0; // the latest light() of a marker (AfterEachChange), on m_clock, ms
        quint64 lastEnd = 0; // the serial of the cell's latest scheduled end
    };
    struct End
    {
        qint64 due; // on m_clock, ms
        quint64 serial;
        Cell cell;
    };

    // Whether the state changed.
    bool setLit(State &state, int column, bool lit);

    int m_durationMs;
    const Ending m_ending;
    QHash<Cell, State> m_cells;
    QHash<int, int> m_litPerColumn;
    std::deque<End> m_ends; // in blocks: a change costs no allocation of its own
    quint64 m_serial = 0;
    QBasicTimer m_timer;
    QElapsedTimer m_clock;
    FramePacer *m_pacer; // a child
};
