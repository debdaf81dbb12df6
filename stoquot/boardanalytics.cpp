#include "boardanalytics.h"

#include "bcstoquotform.h"
#include "boardcolumns.h"
#include "chainanalytics.h"
#include "optiontables.h"
#include "smilechart.h"
#include "stoquotlog.h"
#include "termstructure.h"
#include "termstructurechart.h"

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
#include <QTimer>

#include <cmath>

namespace {

const OptionTables::Table SideTables[]
    = {OptionTables::AllCall, OptionTables::AllPut, OptionTables::Call, OptionTables::Put};
const QString SmileKey = QStringLiteral("ShowSmile");
const QString TermKey = QStringLiteral("ShowTermStructure");
// Rates beyond this are no rate.
constexpr double LargestRate = 1.0;
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

BoardAnalytics::BoardAnalytics(QWidget *board, BCStoQuotForm *ui, OptionTables *tables, BoardColumns *columns,
                               const OptionChain *chain, double riskFreeRate)
    : QObject(board)
    , m_ui(ui)
    , m_tables(tables)
    , m_columns(columns)
    , m_chain(new ChainAnalytics(tables, riskFreeRate, this))
    , m_term(new TermStructure(chain, riskFreeRate, this))
    , m_chartPause(new QTimer(this))
{
    QMenu *menu = m_columns->menu();
    menu->addSection(QStringLiteral("分析"));
    for (int column = 0; column < AnalyticColumns::Count; ++column) {
        m_columnActions[column] = addChoice(menu, AnalyticColumns::caption(AnalyticColumns::Column(column)),
                                            AnalyticColumns::explanation(AnalyticColumns::Column(column)));
    }
    m_smileAction = addChoice(menu, QStringLiteral("波动率微笑"), QStringLiteral("所示到期月各行权价的隐含波动率"));
    m_termAction = addChoice(menu, QStringLiteral("波动率期限结构"), QStringLiteral("各到期月平值合约的隐含波动率"));
    for (const OptionTables::Table table : SideTables) {
        m_tables->model(table).setFiguresOfRow(
            [chain = m_chain, table](int row) { return chain->figures(table, row); });
    }
    // Figures come after the frame's quotes: their columns widen then.
    connect(m_chain, &ChainAnalytics::updated, m_columns, &BoardColumns::lookSoon);
    // Drawing a chart costs a good part of a frame: new figures are drawn
    // at most every ChartPauseMs, what the user changes at once.
    m_chartPause->setSingleShot(true);
    m_chartPause->setInterval(ChartPauseMs);
    connect(m_chartPause, &QTimer::timeout, this, [this] {
        if (m_chartsDue)
            drawCharts();
    });
    connect(m_chain, &ChainAnalytics::updated, this, &BoardAnalytics::figuresChanged);
    connect(m_term, &TermStructure::updated, this, &BoardAnalytics::figuresChanged);
}

QAction *BoardAnalytics::addChoice(QMenu *menu, const QString &text, const QString &tip)
{
    QAction *action = menu->addAction(text);
    action->setCheckable(true);
    action->setToolTip(tip);
    connect(action, &QAction::toggled, this, &BoardAnalytics::apply);
    return action;
}

void BoardAnalytics::setContracts(VCacheItem *contracts)
{
    m_term->setContracts(contracts, dateOf(tarn::hostContext()->business()->sysDate()));
}

void BoardAnalytics::setUnderlying(const QString &id, const QString &market, const QString &code)
{
    const SecurityId underlying = SecurityId::of(market, code);
    m_chain->setUnderlying(underlying);
    m_term->setUnderlying(id, underlying);
}

void BoardAnalytics::receiveUnderlying(const VQuotData &record)
{
    m_chain->receiveUnderlying(record);
    m_term->receiveUnderlying(record);
}

void BoardAnalytics::setChain(bool calls, bool puts, int expiry)
{
    m_combined = calls && puts;
    m_expiry = expiry;
    m_chain->setChain(calls, puts, dateOf(expiry), dateOf(tarn::hostContext()->business()->sysDate()));
    drawCharts();
    showDays();
}

bool BoardAnalytics::isOn() const
{
    if (m_smileAction->isChecked() || m_termAction->isChecked())
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
    const bool smile = m_smileAction->isChecked();
    const bool chainOn = smile || !columns.isEmpty();
    for (const OptionTables::Table table : SideTables) {
        VSQTableModel &model = m_tables->model(table);
        model.setAnalyticColumns(columns);
        model.setInTheMoneyShaded(chainOn);
        // The calls mirror the puts: their analytic columns lead, read
        // outwards from the exercise price.
        if (table == OptionTables::AllCall) {
            QHeaderView *header = m_tables->view(table)->horizontalHeader();
            const int first = model.firstAnalyticColumn();
            for (int i = 0; i < columns.size(); ++i)
                header->moveSection(header->visualIndex(first + columns.size() - 1 - i), i);
        }
    }
    m_columns->columnsChanged();
    m_chain->setEnabled(chainOn);
    m_chain->setWholeChain(smile);
    m_term->setEnabled(m_termAction->isChecked());
    m_ui->chtSmile->setVisible(smile);
    m_ui->chtTerm->setVisible(m_termAction->isChecked());
    drawCharts();
    showDays();
}

void BoardAnalytics::figuresChanged()
{
    if (m_chartPause->isActive())
        m_chartsDue = true;
    else
        drawCharts();
}

void BoardAnalytics::drawCharts()
{
    m_chartsDue = false;
    showSmile();
    showTerm();
    m_chartPause->start();
}

void BoardAnalytics::showSmile()
{
    if (!m_smileAction->isChecked())
        return;
    // Nothing chosen: an empty chart, no marker.
    if (m_expiry == 0)
        m_ui->chtSmile->setSmile({}, {}, 0);
    else
        m_ui->chtSmile->setSmile(m_chain->smile(true), m_chain->smile(false), m_chain->underlyingPrice());
}

void BoardAnalytics::showTerm()
{
    if (m_termAction->isChecked())
        m_ui->chtTerm->setTerm(m_term->points());
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
    if (m_termAction->isChecked())
        params.insert(TermKey, true);
}

void BoardAnalytics::restoreScene(const QHash<QString, QVariant> &params)
{
    // Every action set before the columns change, once.
    for (int column = 0; column < AnalyticColumns::Count; ++column) {
        QAction *action = m_columnActions[column];
        const QSignalBlocker quiet(action);
        action->setChecked(params.value(AnalyticColumns::sceneKey(AnalyticColumns::Column(column))).toBool());
    }
    for (const auto &[action, key] : {std::pair {m_smileAction, SmileKey}, std::pair {m_termAction, TermKey}}) {
        const QSignalBlocker quiet(action);
        action->setChecked(params.value(key).toBool());
    }
    apply();
}
