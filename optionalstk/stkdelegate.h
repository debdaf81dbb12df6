#pragma once

#include <livetextdelegate.h>

#include <QIcon>
#include <QPersistentModelIndex>

// Paints the watchlist table's cells as the live tables do, and a delete
// button in one column of it, and turns the mouse over the button into
// signals. The button's state (0 normal, 1 hover,
// 2 pressed) is kept in the model: written with setData(…, Qt::UserRole) on
// the button cell and read back from there when painting.
class StkDelegate : public LiveTextDelegate
{
    Q_OBJECT
public:
    explicit StkDelegate(QObject *parent = nullptr);

    void setButtonColumn(int column);
    int buttonColumn() const { return m_buttonColumn; }

    // The 16×16 button centred in a cell.
    static QRect buttonRect(const QRect &cell);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

signals:
    // A left-button release over a row's button.
    void btnclicked(const QModelIndex &index);
    void mousein(const QModelIndex &index);
    void mouseout(const QModelIndex &index);

private:
    void mouseMoved(QAbstractItemModel *model, const QModelIndex &index, bool overButton);
    void buttonPressed(QAbstractItemModel *model, const QModelIndex &index);
    void buttonReleased(QAbstractItemModel *model, const QModelIndex &index);
    bool isButtonCell(const QModelIndex &index) const;
    // Resets the tracked button, if any, to normal.
    void releaseTracked(QAbstractItemModel *model);

    // The button's look per state, cut from the sprite once: painting runs
    // for every shown row on every repaint.
    QIcon m_frames[3];
    int m_buttonColumn = -1;
    // The button cell the pointer was last over or pressed on.
    QPersistentModelIndex m_tracked;
};
