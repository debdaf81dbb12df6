#include "cellhighlights.h"

#include "framepacer.h"

#include <QTimerEvent>

CellHighlights::CellHighlights(int durationMs, Ending ending, QObject *parent)
    : QObject(parent)
    , m_durationMs(durationMs)
    , m_ending(ending)
    , m_pacer(new FramePacer(FramePacer::Expire, this))
{
    m_clock.start();
    connect(m_pacer, &FramePacer::frame, this, &CellHighlights::endDue);
}

bool CellHighlights::setLit(State &state, int column, bool lit)
{
    if (state.lit == lit)
        return false;
    state.lit = lit;
    m_litPerColumn[column] += lit ? 1 : -1;
    return true;
}

bool CellHighlights::light(const SecurityId &id, int column)
{
    State &state = m_cells[Cell {id, column}];
    if (m_ending == AfterEachChange)
        state.litAt = m_clock.elapsed();
    return setLit(state, column, true);
}

void CellHighlights::endLater(const SecurityId &id, int column)
{
    const Cell cell {id, column};
    State &state = m_cells[cell];
    state.lastEnd = ++m_serial;
    m_ends.push_back({m_clock.elapsed() + m_durationMs, m_serial, cell});
    if (!m_timer.isActive() && m_ends.size() == 1)
        m_timer.start(m_durationMs, Qt::PreciseTimer, this);
}

bool CellHighlights::unlight(const SecurityId &id, int column)
{
    const auto found = m_cells.find(Cell {id, column});
    return found != m_cells.end() && setLit(*found, column, false);
}

void CellHighlights::forget(const SecurityId &id)
{
    forgetUnless([&id](const SecurityId &other) { return other != id; });
}

void CellHighlights::forgetUnless(const std::function<bool(const SecurityId &id)> &keep)
{
    for (auto it = m_cells.begin(); it != m_cells.end();) {
        if (!keep(it.key().id)) {
            setLit(*it, it.key().column, false);
            it = m_cells.erase(it);
        } else {
            ++it;
        }
    }
}

void CellHighlights::clear()
{
    m_cells.clear();
    m_litPerColumn.clear();
    m_ends.clear();
    m_timer.stop();
}

bool CellHighlights::isLit(const SecurityId &id, int column) const
{
    if (!anyLitIn(column))
        return false;
    const auto found = m_cells.constFind(Cell {id, column});
    return found != m_cells.cend() && found->lit;
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
    const qint64 now = m_clock.elapsed();
    while (!m_ends.empty() && m_ends.front().due <= now) {
        const End end = m_ends.front();
        m_ends.pop_front();
        const auto found = m_cells.find(end.cell);
        // A forgotten cell is gone. While a later end is scheduled, a flash
        // that changed again since, or a marker lit again since this end
        // fell due, ends later.
        if (found == m_cells.end()
            || (found->lastEnd != end.serial && (m_ending == AfterLastChange || found->litAt >= end.due)))
            continue;
        setLit(*found, end.cell.column, false);
        if (found->lastEnd == end.serial)
            m_cells.erase(found);
        emit ended(end.cell.id, end.cell.column);
    }
    if (!m_ends.empty())
        m_timer.start(int(m_ends.front().due - now), Qt::PreciseTimer, this);
}
