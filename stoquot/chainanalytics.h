#pragma once

#include "optionanalytics.h"
#include "optiontables.h"

#include <securityid.h>

#include <QObject>
#include <QPointF>
#include <QVector>

#include <optional>
#include <vector>

class FramePacer;
class QDate;
struct VQuotData;

// The option board's analytics, worked out at the frame clock: for each
// row of the shown side tables that is on screen (every row of a table in
// sight while the whole chain is wanted, as the smile wants it), the row's inputs (its side
// and exercise price, its mid price or last price, the underlying's last
// price, the time to the expiry shown and the risk-free rate) and, when
// they changed since the row was last worked out, its figures
// (OptionAnalytics). A record only leaves its prices in the tables, or the
// underlying's price here; the figures follow in the frame's Write phase,
// right after the tables took their records.
class ChainAnalytics : public QObject
{
    Q_OBJECT
public:
    // tables: the board's, which outlive this object.
    ChainAnalytics(OptionTables *tables, double riskFreeRate, QObject *parent = nullptr);

    // Off, nothing is worked out.
    void setEnabled(bool enabled);
    // Every row of the shown tables, on screen or not.
    void setWholeChain(bool whole);
    // The tables a refresh filled (calls, puts or both), their expiry and
    // the business date (either invalid: no time to expiry).
    void setChain(bool calls, bool puts, const QDate &expiry, const QDate &businessDate);
    // A new underlying: its price is unknown until its first record.
    void setUnderlying(const SecurityId &underlying);
    void receiveUnderlying(const VQuotData &record);

    double riskFreeRate() const { return m_rate; }
    // Calendar days from the business date to the expiry shown.
    std::optional<int> daysToExpiry() const { return m_days; }
    // The underlying's last price, 0 when none came.
    double underlyingPrice() const { return m_spot; }
    // A row's figures, null before the row was worked out.
    const OptionFigures *figures(OptionTables::Table table, int row) const;
    // (exercise price, implied volatility) of the shown contracts of one
    // side that have a volatility, by exercise price.
    QVector<QPointF> smile(bool calls) const;
    // Rows worked out since the board was made.
    quint64 evaluations() const { return m_evaluations; }

signals:
    // A frame changed figures or the underlying's price.
    void updated();

protected:
    // A view's viewport resized or shown: other rows are on screen.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Row
    {
        OptionInputs inputs;
        OptionFigures figures;
        bool worked = false;
    };
    struct Fields
    {
        int strike = -1;
        int bid = -1;
        int ask = -1;
        int last = -1;
    };

    void update();
    // Works out rows first to last of table; true when any changed.
    bool work(OptionTables::Table table, int first, int last);
    OptionInputs inputsOf(OptionTables::Table table, int row) const;
    // The rows of table's view on screen, [first, last]; first > last when none.
    QPair<int, int> rowsOnScreen(OptionTables::Table table) const;
    void forget(OptionTables::Table table);

    OptionTables *m_tables;
    const double m_rate;
    FramePacer *m_pacer; // a child
    bool m_enabled = false;
    bool m_wholeChain = false;
    // What every row depends on changed: the next frame says so even
    // when it works out no row.
    bool m_changed = false;
    QVector<OptionTables::Table> m_shown;
    std::optional<int> m_days;
    double m_years = 0;
    SecurityId m_underlying;
    double m_spot = 0;
    Fields m_fields[OptionTables::TableCount];
    std::vector<Row> m_rows[OptionTables::TableCount];
    quint64 m_evaluations = 0;
};
