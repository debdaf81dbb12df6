#include "boardanalytics.h"

#include "bcstoquotform.h"
#include "chainanalytics.h"
#include "optiontables.h"
#include "smilechart.h"
#include "stoquotlog.h"

#include <livetableview.h>
#include <securityid.h>

#include <ihostcontext.h>
#include <tarn_global.h>
#include <vbusiness.h>

#include <QDate>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTableView>

#include <algorithm>
#include <cmath>

namespace {

const OptionTables::Table SideTables[]
    = {OptionTables::AllCall, OptionTables::AllPut, OptionTables::Call, OptionTables::Put};
const QString SmileKey = QStringLiteral("ShowSmile");
// Rates beyond this are no rate.
constexpr double LargestRate = 1.0;
// Room beside a caption or a cell's text, in pixels.
constexpr int SectionPadding = 12;

// Wide enough for the column's caption and its usual values, so the
// columns the user asked for read whole however the others share the table.
int sectionWidth(const QTableView *view, AnalyticColumns::Column column)
{
    const QString widest
        = column == AnalyticColumns::ImpliedVolatility ? QStringLiteral("88.88%") : QStringLiteral("-0.0000");
    return SectionPadding
        + std::max(view->horizontalHeader()->fontMetrics().horizontalAdvance(AnalyticColumns::caption(column)),
                   view->fontMetrics().horizontalAdvance(widest));
}

QDate dateOf(int yyyymmdd)
{
    return QDate::fromString(QString::number(yyyymmdd), QStringLiteral("yyyyMMdd"));
}

} // namespace

const QString BoardAnalytics::RateParameter = QStringLiteral("RiskFreeRate");

double BoardAnalytics::rateOf(const QMap<QString, QVariant> *params)
{
    if (!params || !params->contains(RateParameter))
        return DefaultRate;
    const QVariant given = params->value(RateParameter);
    bool number = false;
    const double rate = given.toDouble(&number);
    if (number && std::isfinite(rate) && std::fabs(rate) <= LargestRate)
        return rate;
    stoQuotLog(
        __LINE__,
        QStringLiteral("期权行情面板:无风险利率[%1]无效,按默认利率%2计算.").arg(given.toString()).arg(DefaultRate));
    return DefaultRate;
}

BoardAnalytics::BoardAnalytics(QWidget *board, BCStoQuotForm *ui, OptionTables *tables, double riskFreeRate)
    : QObject(board)
    , m_ui(ui)
    , m_tables(tables)
    , m_chain(new ChainAnalytics(tables, riskFreeRate, this))
    , m_menu(new QMenu(board))
{
    m_menu->setObjectName(QStringLiteral("analyticsMenu"));
    for (int column = 0; column < AnalyticColumns::Count; ++column) {
        QAction *action = m_menu->addAction(AnalyticColumns::caption(AnalyticColumns::Column(column)));
        action->setCheckable(true);
        action->setToolTip(AnalyticColumns::explanation(AnalyticColumns::Column(column)));
        connect(action, &QAction::toggled, this, &BoardAnalytics::apply);
        m_columnActions[column] = action;
    }
    m_menu->addSeparator();
    m_smileAction = m_menu->addAction(QStringLiteral("波动率微笑"));
    m_smileAction->setCheckable(true);
    connect(m_smileAction, &QAction::toggled, this, &BoardAnalytics::apply);

    for (int table = 0; table < OptionTables::TableCount; ++table) {
        QHeaderView *header = m_tables->view(OptionTables::Table(table))->horizontalHeader();
        header->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(header, &QWidget::customContextMenuRequested, this,
                [this, header](const QPoint &at) { m_menu->popup(header->mapToGlobal(at)); });
    }
    for (const OptionTables::Table table : SideTables) {
        m_tables->model(table).setFiguresOfRow(
            [chain = m_chain, table](int row) { return chain->figures(table, row); });
    }
    connect(m_chain, &ChainAnalytics::updated, this, &BoardAnalytics::showSmile);
}

void BoardAnalytics::setUnderlying(const QString &market, const QString &code)
{
    m_chain->setUnderlying(SecurityId::of(market, code));
}

void BoardAnalytics::receiveUnderlying(const VQuotData &record)
{
    m_chain->receiveUnderlying(record);
}

void BoardAnalytics::setChain(bool calls, bool puts, int expiry)
{
    m_combined = calls && puts;
    m_chain->setChain(calls, puts, dateOf(expiry), dateOf(tarn::hostContext()->business()->sysDate()));
    showDays();
}

bool BoardAnalytics::isOn() const
{
    if (m_smileAction->isChecked())
        return true;
    for (const QAction *action : m_columnActions) {
        if (action->isChecked())
            return true;
    }
    return false;
}

void BoardAnalytics::apply()
{
    QVector<AnalyticColumns::Column> columns;
    for (int column = 0; column < AnalyticColumns::Count; ++column) {
        if (m_columnActions[column]->isChecked())
            columns.append(AnalyticColumns::Column(column));
    }
    const bool on = isOn();
    for (const OptionTables::Table table : SideTables) {
        VSQTableModel &model = m_tables->model(table);
        model.setAnalyticColumns(columns);
        model.setInTheMoneyShaded(on);
        const QTableView *view = m_tables->view(table);
        QHeaderView *header = view->horizontalHeader();
        const int first = model.firstAnalyticColumn();
        const bool combined = table == OptionTables::AllCall || table == OptionTables::AllPut;
        for (int i = 0; i < columns.size(); ++i) {
            // On the combined page the table's own columns share what is left.
            if (combined)
                header->setSectionResizeMode(first + i, QHeaderView::Fixed);
            header->resizeSection(first + i, sectionWidth(view, columns.at(i)));
        }
        // The calls mirror the puts: their analytic columns lead, read
        // outwards from the exercise price.
        if (table == OptionTables::AllCall) {
            for (int i = 0; i < columns.size(); ++i)
                header->moveSection(header->visualIndex(first + columns.size() - 1 - i), i);
        }
    }
    m_chain->setEnabled(on);
    m_chain->setWholeChain(m_smileAction->isChecked());
    m_ui->chtSmile->setVisible(m_smileAction->isChecked());
    showSmile();
    showDays();
}

void BoardAnalytics::showSmile()
{
    if (m_smileAction->isChecked())
        m_ui->chtSmile->setSmile(m_chain->smile(true), m_chain->smile(false), m_chain->underlyingPrice());
}

void BoardAnalytics::showDays()
{
    const std::optional<int> days = m_chain->daysToExpiry();
    const QString text = QStringLiteral("剩余天数:%1").arg(days ? QString::number(*days) : QStringLiteral("--"));
    m_ui->lbRemainDays->setText(text);
    m_ui->lbAllRemainDays->setText(text);
    m_ui->lbRemainDays->setVisible(isOn() && !m_combined);
    m_ui->lbAllRemainDays->setVisible(isOn());
}

void BoardAnalytics::saveScene(QHash<QString, QVariant> &params) const
{
    // A choice that is off is left out.
    for (int column = 0; column < AnalyticColumns::Count; ++column) {
        if (m_columnActions[column]->isChecked())
            params.insert(AnalyticColumns::sceneKey(AnalyticColumns::Column(column)), true);
    }
    if (m_smileAction->isChecked())
        params.insert(SmileKey, true);
}

void BoardAnalytics::restoreScene(const QHash<QString, QVariant> &params)
{
    // Every action set before the columns change, once.
    for (int column = 0; column < AnalyticColumns::Count; ++column) {
        QAction *action = m_columnActions[column];
        const QSignalBlocker quiet(action);
        action->setChecked(params.value(AnalyticColumns::sceneKey(AnalyticColumns::Column(column))).toBool());
    }
    {
        const QSignalBlocker quiet(m_smileAction);
        m_smileAction->setChecked(params.value(SmileKey).toBool());
    }
    apply();
}
