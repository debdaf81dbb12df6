#pragma once

#include "groupstore.h"
#include "stkdelegate.h"
#include "stkform.h"
#include "stkmodel.h"
#include "stkgrouptabs.h"
#include "stkrowcommands.h"

#include <icomponent.h>
#include <orderdetail.h>

#include <QPointer>

class ChangeGroupDlg;
class QAbstractButton;
class QAction;
class QTableView;
class StkRows;
struct VQuotData;

// The watchlist: the user's groups of securities as tabs over a stack of
// pages, each page a table of its group's securities with live quotes.
// Groups live in the local configuration database (GroupStore); one
// subscriber covers every security of every group for the component's whole
// life. The model and the delegate serve the current page's view only.
//
// The rows, their quotes and the subscriber are StkRows: every security seen
// with its latest quote, and the shown rows of the current group, rebuilt on
// every group switch. The groups' tabs and pages are StkGroupTabs; showing,
// adding, deleting and ordering rows is StkRowCommands.
//
// Pages, views, tabs, actions, dialogs and the rows belong to the component
// through Qt parents.
class BCOptionalStk : public IComponent
{
    Q_OBJECT
public:
    BCOptionalStk(QWidget *parent, QString className, const QString &identity, const QMap<QString, QVariant> *params);

    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    // A row handed to the host as an order request: id, code and type of the security.
    void onIssueOrder(OrderDetail order);

public slots:
    void refreshdata();
    // Renames the current group through the name dialog (run modally).
    void ChangeCurrentG();
    // Deletes the group of the tab at sPos after a confirmation.
    void DeleteCurrentG(int sPos);
    // Removes the selected securities from the current group after a confirmation.
    void DeleteCurrentGStk();
    // Opens the add-security dialog (modeless; it stays open for more).
    void AddCurrentGStk();
    void RowDoubleClicked(const QModelIndex &index);
    // A security chosen in the add-security dialog: data is its internal id.
    void receiveStk(const QString &data, char Market, const QString &stkcode);
    void changegroupname(const QString &data);
    void addgroupname(const QString &data);
    void doRecvSubscribe(VQuotData *pQuotData);
    // The delete button of a row: removes that security from the current group.
    void delCurrentStk(const QModelIndex &index);
    // Asks for a new group's name (run modally) and shows the new group.
    void AddCurrentG();
    void setCurrentIndex(QAbstractButton *button);
    void doInternalButtonClicked(const QString &sButtonId);
    void sortslot(int column, Qt::SortOrder order);
    void domousein(const QModelIndex &index);
    void domouseout(const QModelIndex &index);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void initUi();
    // Takes the text colours from the client's style, now and at every style change.
    void followStyle();
    // Gives the view the model, its header set back: rows shown anew stand in their stored order.
    void attachModel(QTableView *view);
    // Subscribes every security of every group; fills all rows.
    void initDataset();
    // Closes the group-name dialog last opened, if it is still open.
    void closeGroupDialog();
    // Checks the tab at position and shows its group.
    void switchToTab(int position);

    StkForm m_ui;
    GroupStore m_store;
    StkGroupTabs m_tabs;
    QPointer<ChangeGroupDlg> m_groupDlg;
    QAction *m_addStkAction = nullptr;
    QAction *m_delStkAction = nullptr;
    StkRows *m_rows; // a child
    StkModel m_model;
    StkDelegate m_delegate;
    StkRowCommands m_commands;
};
