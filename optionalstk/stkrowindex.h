#pragma once

#include "stkmodel.h"

#include <securityid.h>

#include <QHash>

// Where the rows of one watchlist row list stand, by security: the first row
// of each security (where a quote goes) and the first row of each internal
// id. A quote then reaches its row in constant time however many rows there
// are. The list's owner keeps the index in step: append() for a row added
// at the end, rebuild() after rows were removed or reordered.
class StkRowIndex
{
public:
    void clear();
    // Notes the row just appended at the end of the list.
    void append(const StkModel::Row &row);
    void rebuild(const QList<StkModel::Row> &rows);

    // The first row of the security, -1 when there is none.
    int rowOf(const SecurityId &security) const;
    // The first row with this internal id, -1 when there is none.
    int rowOfId(const QString &id) const;

private:
    QHash<SecurityId, int> m_bySecurity;
    QHash<QString, int> m_byId;
    int m_count = 0;
};
