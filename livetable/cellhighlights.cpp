#include "cellhighlights.h"

#include "framepacer.h"

#include <QTimerEvent>

#include <algorithm>

CellHighlights::CellHighlights(int durationMs, Ending ending, QObject *parent)
    : QObject(parent)
    , m_durationMs(durationMs)
    , m_ending(ending)
    , m_pacer(new FramePacer(FramePacer::Expire, this))
{
    connect(m_pacer, &FramePacer::frame, this, &CellHighlights::endDue);
}

int CellHighlights::find(const SecurityId &id) const
{
    if (m_lastSlot >= 0 && m_securities[size_t(m_lastSlot)].id == id)
        return m_lastSlot;
    const auto found = m_slots.constFind(id);
    if (found == m_slots.cend())
        return -1;
    m_lastSlot = *found;
    return m_lastSlot;
}

int CellHighlights::slotFor(const SecurityId &id)
{
    int slot = find(id);
    if (slot >= 0)
        return slot;
    if (m_freeSlots.empty()) {
        slot = int(m_securities.size());
        m_securities.emplace_back();
    } else {
        slot = m_freeSlots.back();
        m_freeSlots.pop_back();
    }
    Security &security = m_securities[size_t(slot)];
    security.id = id;
    security.used = true;
    m_slots.insert(id, slot);
    m_lastSlot = slot;
    return slot;
}

CellHighlights::State &CellHighlights::cellOf(int slot, int column)
{
    std::vector<State> &cells = m_securities[size_t(slot)].cells;
    if (size_t(column) >= cells.size())
        cells.resize(size_t(column) + 1);
    return cells[size_t(column)];
}

bool CellHighlights::setLit(State &state, int column, bool lit)
{
    if (state.lit == lit)
        return false;
    state.lit = lit;
    if (size_t(column) >= m_litPerColumn.size())
        m_litPerColumn.resize(size_t(column) + 1);
    m_litPerColumn[size_t(column)] += lit ? 1 : -1;
    return true;
}

bool CellHighlights::light(const SecurityId &id, int column)
{
    if (column < 0)
        return false;
    State &state = cellOf(slotFor(id), column);
    if (m_ending == AfterEachChange)
        state.litAt = FramePacer::nowMs();
    return setLit(state, column, true);
}

void CellHighlights::endLater(const SecurityId &id, int column)
{
    if (column < 0)
        return;
    const int slot = slotFor(id);
    State &state = cellOf(slot, column);
    state.lastEnd = ++m_serial;
    const qint64 due = FramePacer::nowMs() + m_durationMs;
    const End end {due, m_serial, slot, m_securities[size_t(slot)].generation, column};
    // Ends come due in the order they were scheduled, but after a shorter
    // duration was set: then the new end goes before the longer ones.
    if (m_ends.empty() || m_ends.back().due <= due) {
        m_ends.push_back(end);
    } else {
        const auto later = std::upper_bound(m_ends.begin(), m_ends.end(), due,
                                            [](qint64 at, const End &other) { return at < other.due; });
        m_ends.insert(later, end);
    }
    // The first end due: the timer is set for it (unless a frame ending what fell due is coming).
    if (m_ends.front().serial == m_serial && (m_timer.isActive() || m_ends.size() == 1))
        startTimerFor(due);
}

// A frame's time is when it began; the timer counts from the clock's time.
void CellHighlights::startTimerFor(qint64 due)
{
    m_timer.start(int(qMax<qint64>(0, due - FramePacer::clockMs())), Qt::PreciseTimer, this);
}

bool CellHighlights::unlight(const SecurityId &id, int column)
{
    const int slot = find(id);
    if (slot < 0)
        return false;
    std::vector<State> &cells = m_securities[size_t(slot)].cells;
    return size_t(column) < cells.size() && setLit(cells[size_t(column)], column, false);
}

void CellHighlights::release(int slot)
{
    Security &security = m_securities[size_t(slot)];
    for (size_t column = 0; column < security.cells.size(); ++column)
        setLit(security.cells[column], int(column), false);
    m_slots.remove(security.id);
    security.cells.clear();
    security.used = false;
    ++security.generation;
    m_freeSlots.push_back(slot);
    if (m_lastSlot == slot)
        m_lastSlot = -1;
}

void CellHighlights::forget(const SecurityId &id)
{
    const int slot = find(id);
    if (slot >= 0)
        release(slot);
}

void CellHighlights::forgetUnless(const std::function<bool(const SecurityId &id)> &keep)
{
    for (size_t slot = 0; slot < m_securities.size(); ++slot) {
        if (m_securities[slot].used && !keep(m_securities[slot].id))
            release(int(slot));
    }
}

void CellHighlights::clear()
{
    m_slots.clear();
    m_securities.clear();
    m_freeSlots.clear();
    m_lastSlot = -1;
    m_litPerColumn.clear();
    m_ends.clear();
    m_timer.stop();
}

bool CellHighlights::isLit(const SecurityId &id, int column) const
{
    if (!anyLitIn(column))
        return false;
    const int slot = find(id);
    if (slot < 0)
        return false;
    const std::vector<State> &cells = m_securities[size_t(slot)].cells;
    return size_t(column) < cells.size() && cells[size_t(column)].lit;
}

void CellHighlights::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timer.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    m_timer.stop();
    m_pacer->request();
}

void CellHighlights::endDue()
{
    const qint64 now = FramePacer::nowMs();
    while (!m_ends.empty() && m_ends.front().due <= now) {
        const End end = m_ends.front();
        m_ends.pop_front();
        Security &security = m_securities[size_t(end.slot)];
        // A forgotten security's cells are gone. While a later end is
        // scheduled, a flash that changed again since, or a marker lit
        // again since this end fell due, ends later.
        if (security.generation != end.generation)
            continue;
        State &state = security.cells[size_t(end.column)];
        if (state.lastEnd != end.serial && (m_ending == AfterLastChange || state.litAt >= end.due))
            continue;
        setLit(state, end.column, false);
        if (state.lastEnd == end.serial)
            state = State();
        // The receiver may change the slots.
        const SecurityId id = security.id;
        emit ended(id, end.column);
    }
    if (!m_ends.empty())
        startTimerFor(m_ends.front().due);
}
