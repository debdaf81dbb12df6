#pragma once

#include <vtablemodel.h>

#include <QColor>
#include <QHash>
#include <QModelIndex>

// One highlighted cell of the futures board: while active it shows colour
// as its background; start is the time of its last change.
struct FlashCell
{
    int active = 0;
    QModelIndex index;
    qint64 start = 0; // milliseconds since the epoch
    QColor colour;
};

// The futures board's table model: zero prices and quantities read "--",
// changes and prices are coloured up red and down green, and a cell whose
// value has just changed flashes light blue (flashField) until a coarse
// 200 ms timer finds it older than the flash duration.
class VFQTableModel : public VTableModel
{
    Q_OBJECT
public:
    explicit VFQTableModel(QObject *parent = nullptr);
    ~VFQTableModel() override;

    // On starts the 200 ms expiry timer, off stops it.
    void setFlashEnabled(bool on);
    // How long a cell stays highlighted after its last change; the timer
    // period stays 200 ms.
    void setFlashDuration(int ms);
    int flashDuration() const { return m_flashDuration; }
    // Highlights the cell of fieldName in row (restarting its time when it
    // is highlighted already). Nothing for a row out of range or a field
    // without a column.
    void flashField(int row, const QString &fieldName);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Qt::BackgroundRole only repaints the cell (the flash decides the
    // colour); false for a row out of range.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant getDisplayText(const QModelIndex &index) const override;
    QVariant getForeground(const QModelIndex &index) const override;

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    double rowValue(int row, const QString &fieldName) const;

    int m_flashDuration = 200;
    int m_timerId = 0;
    QHash<QModelIndex, FlashCell *> m_flashCells; // owned
    QColor m_flashColour {207, 227, 250};
};
