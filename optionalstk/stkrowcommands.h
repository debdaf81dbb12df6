#pragma once

#include <orderdetail.h>

#include <QString>

class GroupStore;
class QModelIndex;
class StkGroupTabs;
class StkRows;

// What the watchlist does with its rows: subscribe every security of its
// groups at start-up, and at the user's command show the current group,
// add a security to it (and subscribe it), delete one row's security (its
// button) or the selected ones from the group after a confirmation, and
// make a row an order request. The rows, the groups and
// the tabs are the watchlist's; the tabs go with it, so a message box's
// caller learns from them whether the watchlist is still there afterwards.
class StkRowCommands
{
public:
    StkRowCommands(StkRows *rows, GroupStore *store, StkGroupTabs *tabs);

    // Puts every security of every group that the stock cache holds into
    // all rows and subscribes them; once, at start-up.
    void subscribeGroups();
    // Shows the current group's securities that the stock cache holds.
    void showCurrentGroup();
    // A security chosen in the add dialog: id, market character and code.
    void add(const QString &id, char market, const QString &code);
    void deleteRow(const QModelIndex &index);
    void deleteSelected();
    // The order request of a shown row; false for no row.
    bool orderOf(const QModelIndex &index, OrderDetail *order) const;

private:
    StkRows *m_rows;
    GroupStore *m_store;
    StkGroupTabs *m_tabs;
};
