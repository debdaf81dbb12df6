#pragma once

#include "stkmodel.h"

#include <orderdetail.h>

#include <QString>

#include <functional>

class GroupStore;
class QModelIndex;
class QObject;
class StkGroupTabs;
class StkQuoteRouter;
class VQuotSubscriber;

// What the watchlist does with its rows at the user's command: add a
// security to the current group (and subscribe it), delete one row's
// security (its button) or the selected ones from the group after a
// confirmation, and make a row an order request. The pieces are the
// watchlist's; rebuild rebuilds the shown rows of the current group.
class StkRowCommands
{
public:
    struct Parts
    {
        QObject *watchlist; // the component, for its message boxes
        GroupStore &store;
        StkGroupTabs &tabs;
        QList<StkModel::Row> &shownRows;
        StkQuoteRouter &quotes;
        StkModel &model;
        VQuotSubscriber *&subscriber;
        std::function<void()> rebuild;
    };

    explicit StkRowCommands(const Parts &parts);

    // A security chosen in the add dialog: id, market character and code.
    void add(const QString &id, char market, const QString &code);
    void deleteRow(const QModelIndex &index);
    void deleteSelected();
    // The order request of a shown row; false for no row.
    bool orderOf(const QModelIndex &index, OrderDetail *order) const;

    // The dictionary's name of a market code.
    static QString marketName(const QString &market);

private:
    Parts m_parts;
};
