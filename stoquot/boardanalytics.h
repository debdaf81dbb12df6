#pragma once

#include "analyticcolumns.h"

#include <QHash>
#include <QMap>
#include <QObject>
#include <QVariant>
#include <QVector>

class BoardColumns;
class ChainAnalytics;
class OptionChain;
class OptionTables;
class TermStructure;
class VCacheItem;
class QAction;
class QMenu;
class QTimer;
class QWidget;
struct BCStoQuotForm;
struct VQuotData;

// The option board's analytics as the user sees them, all off by default:
// the analytic columns of the side tables, the smile of the expiry shown
// and the term structure of every expiry, switched from the tables' header
// menu (BoardColumns'); while any is on, the days to the expiry beside the
// expiry and the rows in the money shaded. The charts show what the page
// shows: nothing, without a marker, while no expiry is chosen; new figures
// redraw them at most four times a second. The choice
// is kept in the board's scene. The figures come from a ChainAnalytics and
// a TermStructure (children).
class BoardAnalytics : public QObject
{
    Q_OBJECT
public:
    // The creation parameter that sets the risk-free rate: a year,
    // continuously compounded.
    static const QString RateParameter;
    static constexpr double DefaultRate = 0.015;
    // The rate given in params, or the default (logged when the given one is no rate).
    static double rateOf(const QMap<QString, QVariant> *params);

    // board: its parent; ui, tables, columns and chain: the board's.
    BoardAnalytics(QWidget *board, BCStoQuotForm *ui, OptionTables *tables, BoardColumns *columns,
                   const OptionChain *chain, double riskFreeRate);

    // The option-contract cache, once the board has it, and after every change of the chain.
    void setContracts(VCacheItem *contracts);
    // The underlying's id and security.
    void setUnderlying(const QString &id, const QString &market, const QString &code);
    void receiveUnderlying(const VQuotData &record);
    // After a refresh: the sides shown and their expiry, yyyymmdd (0: none).
    void setChain(bool calls, bool puts, int expiry);

    void saveScene(QHash<QString, QVariant> &params) const;
    void restoreScene(const QHash<QString, QVariant> &params);

private:
    bool isOn() const;
    // Shows what the menu's actions say.
    void apply();
    static constexpr int ChartPauseMs = 250;

    // New figures: the charts drawn now, or once the pause after their last drawing ends.
    void figuresChanged();
    void drawCharts();
    void showSmile();
    void showTerm();
    void showDays();
    QAction *addChoice(QMenu *menu, const QString &text, const QString &tip);

    BCStoQuotForm *m_ui;
    OptionTables *m_tables;
    BoardColumns *m_columns;
    ChainAnalytics *m_chain;
    TermStructure *m_term;
    QAction *m_columnActions[AnalyticColumns::Count] = {};
    QAction *m_smileAction = nullptr;
    QAction *m_termAction = nullptr;
    QTimer *m_chartPause; // a child: running while the charts were drawn lately
    bool m_chartsDue = false; // figures changed during the pause
    bool m_combined = true; // the page shows both sides
    int m_expiry = 0; // the expiry shown, yyyymmdd; 0: none
};
