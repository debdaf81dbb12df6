#pragma once

#include "securityid.h"

class FramePacer;

#include <QBasicTimer>
#include <QHash>
#include <QObject>

#include <deque>
#include <functional>
#include <vector>

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
//
// A security's cells are kept together, by column, and an end names its
// cell by the security's slot: a storm writes and paints hundreds of cells a
// frame, and a cell found by a hash of its own would cost a cache miss each
// time. A security's slot stays until the security is forgotten.
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
    // Ends already scheduled keep their time; later ones may come first.
    void setDuration(int ms) { m_durationMs = ms; }

    // Whether the cell was dark before; the cell counts as lit from now
    // either way. Columns are 0 or more; others are not lit.
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
    bool anyLitIn(int column) const
    {
        return column >= 0 && column < int(m_litPerColumn.size()) && m_litPerColumn[size_t(column)] > 0;
    }

signals:
    // A scheduled end came; the cell is no longer lit.
    void ended(const SecurityId &id, int column);

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    struct State
    {
        bool lit = false;
        qint64 litAt = 0; // the latest light() of a marker (AfterEachChange), on FramePacer's clock, ms
        quint64 lastEnd = 0; // the serial of the cell's latest scheduled end
    };
    // A security's cells, by column, in a slot of their own. A forgotten
    // security's slot is used again under a new generation, which the ends
    // scheduled before it no longer match.
    struct Security
    {
        SecurityId id;
        bool used = false;
        quint32 generation = 0;
        std::vector<State> cells;
    };
    struct End
    {
        qint64 due; // on FramePacer's clock, ms
        quint64 serial;
        int slot;
        quint32 generation;
        int column;
    };

    void endDue();
    // The slot of the security's cells; -1 when it has none.
    int find(const SecurityId &id) const;
    // The slot of the security's cells, made when it has none.
    int slotFor(const SecurityId &id);
    // The state of the slot's cell, made when it has none.
    State &cellOf(int slot, int column);
    // Whether the state changed.
    bool setLit(State &state, int column, bool lit);
    // Ends the slot's cells, without ended(), and frees the slot.
    void release(int slot);
    void startTimerFor(qint64 due);

    int m_durationMs;
    const Ending m_ending;
    QHash<SecurityId, int> m_slots;
    std::vector<Security> m_securities; // by slot
    std::vector<int> m_freeSlots;
    // The slot found last: a table writes and paints a row's cells one
    // after the other, so most cells find it here instead of in m_slots.
    mutable int m_lastSlot = -1;
    std::vector<int> m_litPerColumn;
    std::deque<End> m_ends; // in blocks: a change costs no allocation of its own
    quint64 m_serial = 0;
    QBasicTimer m_timer;
    FramePacer *m_pacer; // a child
};
