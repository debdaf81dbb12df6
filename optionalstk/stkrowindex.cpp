#include "stkrowindex.h"

void StkRowIndex::clear()
{
    m_bySecurity.clear();
    m_byId.clear();
    m_count = 0;
}

void StkRowIndex::append(const StkModel::Row &row)
{
    const int position = m_count++;
    // insert() would let a later duplicate take the place of the first row.
    const SecurityId security = SecurityId::of(row.value(StkModel::Market), row.value(StkModel::Code));
    if (!m_bySecurity.contains(security))
        m_bySecurity.insert(security, position);
    const QString id = row.value(StkModel::StkId);
    if (!m_byId.contains(id))
        m_byId.insert(id, position);
}

void StkRowIndex::rebuild(const QList<StkModel::Row> &rows)
{
    clear();
    m_bySecurity.reserve(rows.size());
    m_byId.reserve(rows.size());
    for (const StkModel::Row &row : rows)
        append(row);
}

int StkRowIndex::rowOf(const SecurityId &security) const
{
    return m_bySecurity.value(security, -1);
}

int StkRowIndex::rowOfId(const QString &id) const
{
    return m_byId.value(id, -1);
}
