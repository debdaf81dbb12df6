#pragma once

#include "analyticcolumns.h"

#include <QHash>
#include <QMap>
#include <QObject>
#include <QVariant>
#include <QVector>

class ChainAnalytics;
class OptionTables;
class QAction;
class QMenu;
class QWidget;
struct BCStoQuotForm;
struct VQuotData;

// The option board's analytics as the user sees them, all off by default:
// the analytic columns of the side tables and the smile, switched from the
// tables' header menu; while any is on, the days to the expiry beside the
// expiry and the rows in the money shaded. The choice is kept in the
// board's scene. The figures come from a ChainAnalytics (a child).
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

    // board: its parent, and the menu's; ui and tables: the board's.
    BoardAnalytics(QWidget *board, BCStoQuotForm *ui, OptionTables *tables, double riskFreeRate);

    void setUnderlying(const QString &market, const QString &code);
    void receiveUnderlying(const VQuotData &record);
    // After a refresh: the sides shown and their expiry, yyyymmdd (0: none).
    void setChain(bool calls, bool puts, int expiry);

    void saveScene(QHash<QString, QVariant> &params) const;
    void restoreScene(const QHash<QString, QVariant> &params);

private:
    bool isOn() const;
    // Shows what the menu's actions say.
    void apply();
    void showSmile();
    void showDays();

    BCStoQuotForm *m_ui;
    OptionTables *m_tables;
    ChainAnalytics *m_chain;
    QMenu *m_menu; // a child of the board
    QAction *m_columnActions[AnalyticColumns::Count] = {};
    QAction *m_smileAction = nullptr;
    bool m_combined = true; // the page shows both sides
};
