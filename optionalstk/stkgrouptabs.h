#pragma once

#include <QHash>
#include <QList>
#include <QObject>

class QButtonGroup;
class QStackedWidget;
class QTableView;
class QWidget;
class VControlBar;
class VTabButton;

// The watchlist's groups as tabs: per group a checkable tab with a close
// button in the control bar, over a page of the stacked widget (named after
// the group) holding the group's table view. The watchlist filters each
// tab's events (a double-click renames) and receives the close buttons'
// clicks, the views' double-clicks and header sorts. Pages belong to the
// stacked widget, views to their pages, tabs to the control bar, which
// deletes a removed tab later (its own close button may be the sender).
class StkGroupTabs : public QObject
{
    Q_OBJECT
public:
    explicit StkGroupTabs(QObject *parent = nullptr);

    // The form's control bar (given its look) and stacked widget; the tab
    // count starts at 0.
    void setup(VControlBar *bar, QStackedWidget *stack);
    void makeGroupTab(const QString &name, QObject *watchlist);
    void removeGroupTab(int position);
    // Checks the tab at position and shows its page.
    void showTab(int position);
    // The current group's tab and page take the new name.
    void renameCurrent(const QString &name);

    QButtonGroup *buttonGroup() const { return m_group; }
    // In tab order: position = place in the control bar = page index in the stack.
    const QList<VTabButton *> &tabs() const { return m_tabs; }
    // Tabs made minus tabs removed; also the id of the next tab.
    int tabCount() const { return m_tabCount; }
    // The position of a tab, -1 for an object that is none of them.
    int positionOf(const QObject *tab) const;
    QString currentGroup() const;
    QTableView *currentView() const;

private:
    VControlBar *m_bar = nullptr;
    QStackedWidget *m_stack = nullptr;
    QButtonGroup *m_group; // a child
    QHash<QString, QWidget *> m_pages;
    QHash<QWidget *, QTableView *> m_views;
    int m_tabCount = 0;
    QList<VTabButton *> m_tabs;
};
