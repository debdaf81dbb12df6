#pragma once

#include "optiontables.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QVariant>
#include <QVector>

class QAction;
class QMenu;
class QTimer;
class QWidget;

// The columns of the option board's side tables as the user sees them. The
// tables' header menu offers the board's quote columns (each can be
// hidden; none is by default; the choice is kept in the board's scene), and
// the analytics add theirs to it. Every shown column is at least as wide as
// its caption and the widest value it has shown. On the combined page the
// side tables share their width out among their columns; when the columns
// do not fit, they scroll sideways in step, mirrored around the exercise
// prices (the calls read outwards to the left), and all three tables keep
// a scroll bar's room at the bottom so their rows stay in line. The
// single-side tables widen a column that is too narrow and scroll as a
// table does.
class BoardColumns : public QObject
{
    Q_OBJECT
public:
    // board: its parent, and the menu's; tables: the board's.
    BoardColumns(QWidget *board, OptionTables *tables);

    // The header menu; its quote columns come first.
    QMenu *menu() const { return m_menu; }
    // The columns changed (analytics on or off): every table is fitted again.
    void columnsChanged();
    // Looks at the values in view of the shown side tables and widens what they outgrew.
    void valuesShown();
    // Values were written: valuesShown() within LookMs.
    void lookSoon();

    void saveScene(QHash<QString, QVariant> &params) const;
    void restoreScene(const QHash<QString, QVariant> &params);

protected:
    // A side table's viewport resized: its columns share another width.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static constexpr int LookMs = 200;

    void applyHidden();
    void fit(OptionTables::Table table);
    // What a column needs: its caption's room and its widest value's.
    int neededWidth(OptionTables::Table table, int column) const;
    void followScroll(OptionTables::Table from, int value);

    OptionTables *m_tables;
    QMenu *m_menu; // a child of the board
    QTimer *m_look; // a child
    QHash<QString, QAction *> m_columnActions; // by field name, checked while shown
    // The widest text each column of each table has shown, in pixels, and its length.
    QVector<int> m_widest[OptionTables::TableCount];
    QVector<int> m_longest[OptionTables::TableCount];
    bool m_fitting = false;
    bool m_scrolling = false;
};
