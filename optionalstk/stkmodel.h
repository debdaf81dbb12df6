#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QVector>
#include <QStringList>

class StkRows;

// The quote table of one watchlist group. Every row is a list of nineteen
// texts (see Column): the shown rows of the watchlist's StkRows, which the
// model follows as they are replaced, removed, reordered or changed. The
// model only presents them: signs and colours by the change, volumes and
// amounts shortened to "万" and "亿", and the raw text of every cell under
// Qt::UserRole, through which the delete-button state of a row is also
// written.
class StkModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column {
        Market = 0,
        StkId,
        Code,
        Name,
        Last,
        ChangeRatio,
        Change,
        Volume,
        Bid,
        Ask,
        Amount,
        High,
        Low,
        Open,
        PreClose,
        LimitUp,
        LimitDown,
        DeleteButton, // 0 normal, 1 pointer over the button, 2 pressed
        StkType,
        ColumnCount
    };

    using Row = QStringList;

    // The text colours: code and name, then rising and falling quote columns.
    struct Colours
    {
        QColor code = Qt::darkBlue;
        QColor rise = Qt::red;
        QColor fall = Qt::darkGreen;
    };

    explicit StkModel(QObject *parent = nullptr);

    // The nineteen header texts, in column order.
    static QStringList headerLabels();

    void setHorizontalHeaderLabels(const QStringList &labels);
    // The watchlist's rows, whose shown rows the model presents. Not owned; may be null.
    void setRows(StkRows *rows);
    // The column whose cells show no text (the delete-button column).
    void setTextlessColumn(int column);
    // An invalid colour keeps the one before; a change repaints every row.
    void setColours(const Colours &colours);
    Colours colours() const { return m_colours; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Accepts only Qt::UserRole on the watchlist's rows: replaces the cell's
    // text, and the rows announce the whole row.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    // After the rows were replaced or one was removed.
    void updateCount(int count);

public slots:
    // Reorders the watchlist's shown rows, stable. The orders are reversed
    // on purpose: Qt::AscendingOrder, which a first click on a header asks
    // for, puts the largest value on top. The name column compares as text,
    // every other column as numbers.
    void sortdata(int column, Qt::SortOrder order = Qt::AscendingOrder);

private:
    // What a row shows besides its texts, worked out when first asked for
    // and again after the row changed: every paint of a live table asks.
    struct Derived
    {
        bool valid = false;
        int sign = 0; // of the change ratio
        QString volume; // shortened
        QString amount;
    };

    void rowsReordered(const QVector<int> &placeOf);
    void rowChanged(int row);
    const Row *rowAt(int row) const;
    const Derived &derived(int row) const;
    void forgetDerived(int row);
    QVariant displayText(int row, int column) const;
    QVariant foreground(int row, int column) const;

    QStringList m_horizontalLabels;
    StkRows *m_rows = nullptr;
    int m_textlessColumn = -1;
    Colours m_colours;
    QFont m_bold;
    mutable QVector<Derived> m_derived; // by row
};
