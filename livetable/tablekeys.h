#pragma once

#include <QObject>
#include <QString>

class QTableView;

// The keys a quote table answers beside Qt's own: Enter on a row does what
// a double-click does (the view's doubleClicked with its current index),
// the copy key puts the selected rows on the clipboard. An event filter a
// table takes with TableKeys::install(view); the view is its parent.
class TableKeys : public QObject
{
    Q_OBJECT
public:
    static TableKeys *install(QTableView *view);

    // The selected rows as tab-separated text under a header line: the
    // shown columns in their order, leaving out columns empty in every
    // selected row (a button column).
    static QString selectedRowsText(const QTableView *view);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit TableKeys(QTableView *view);

    QTableView *m_view;
};
