#pragma once

#include "stkmodel.h"

#include <QHash>

// Where the rows of one watchlist row list stand, by security: the first row
// of each market and code (where a quote goes) and the first row of each
// internal id. A quote then reaches its row in constant time however many
// rows there are. The list's owner keeps the index in step: append() for a
// row added at the end, rebuild() after rows were removed or reordered.
class StkRowIndex
{
public:
    void clear();
    // Notes the row just appended at the end of the list.
    void append(const StkModel::Row &row);
    void rebuild(const QList<StkModel::Row> &rows);

    // The first row with this market text and code, -1 when there is none.
    int rowOf(const QString &market, const QString &code) const;
    // The first row with this internal id, -1 when there is none.
    int rowOfId(const QString &id) const;

private:
    struct Security
    {
        QString market;
        QString code;
        bool operator==(const Security &other) const { return market == other.market && code == other.code; }
    };
    friend uint qHash(const Security &security, uint seed)
    {
        return 31 * qHash(security.market, seed) + qHash(security.code, seed);
    }

    QHash<Security, int> m_bySecurity;
    QHash<QString, int> m_byId;
    int m_count = 0;
};
