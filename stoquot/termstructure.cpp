#include "termstructure.h"

#include "optionanalytics.h"
#include "optionchain.h"
#include "stoquotlog.h"

#include <framepacer.h>
#include <latestquotes.h>
#include <quotbatch.h>

#include <vquotdata.h>
#include <vquotsubscriber.h>

#include <QVariantMap>

#include <algorithm>

#include <cmath>
#include <limits>

namespace {

QDate dateOf(int yyyymmdd)
{
    return QDate::fromString(QString::number(yyyymmdd), QStringLiteral("yyyyMMdd"));
}

SecurityId securityOf(const QVariantMap &contract)
{
    return contract.isEmpty() ? SecurityId()
                              : SecurityId::of(contract.value(QStringLiteral("market")).toString(),
                                               contract.value(QStringLiteral("stkcode")).toString());
}

} // namespace

TermStructure::TermStructure(const OptionChain *chain, double riskFreeRate, QObject *parent)
    : QObject(parent)
    , m_chain(chain)
    , m_rate(riskFreeRate)
    , m_subscriber(new VQuotSubscriber(this, QStringLiteral("期权行情面板期限结构订阅")))
    , m_quotes(new QuotBatch(this))
    , m_pacer(new FramePacer(FramePacer::Write, this))
{
    m_subscriber->setRecvSlot(this, "1doRecvTermQuot(VQuotData*)");
    connect(m_quotes, &QuotBatch::ready, this, &TermStructure::applyQuotes);
    connect(m_pacer, &FramePacer::frame, this, &TermStructure::choose);
}

TermStructure::~TermStructure()
{
    m_subscriber->unsubscribe(true);
}

void TermStructure::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    choose();
}

void TermStructure::setContracts(VCacheItem *contracts, const QDate &businessDate)
{
    m_contracts = contracts;
    m_businessDate = businessDate;
    chainChanged();
}

void TermStructure::setUnderlying(const QString &id, const SecurityId &security)
{
    if (id == m_underlyingId && security == m_underlying)
        return;
    m_underlyingId = id;
    m_underlying = security;
    m_spot = 0;
    choose();
}

void TermStructure::receiveUnderlying(const VQuotData &record)
{
    if (SecurityId::of(record) != m_underlying || !std::isfinite(record.lastPrice) || record.lastPrice <= 0
        || record.lastPrice == m_spot)
        return;
    // Worked out at the next frame, once for all of the frame's prices.
    m_spot = record.lastPrice;
    m_pacer->request();
}

void TermStructure::chainChanged()
{
    // Forgotten, so that every contract is chosen and subscribed again.
    m_expiries.clear();
    choose();
}

void TermStructure::choose()
{
    QVector<Expiry> chosen;
    if (m_enabled && m_chain && m_contracts && m_spot > 0) {
        for (const int date : m_chain->expiries(m_underlyingId)) {
            QString nearest;
            double distance = std::numeric_limits<double>::max();
            for (const QString &strike : m_chain->exercisePrices(m_underlyingId, date)) {
                const double away = std::fabs(strike.toDouble() - m_spot);
                if (away < distance) {
                    distance = away;
                    nearest = strike;
                }
            }
            // An expiry whose nearest exercise price stays keeps its contracts and their quotes.
            const auto kept = std::find_if(m_expiries.cbegin(), m_expiries.cend(), [&](const Expiry &expiry) {
                return expiry.date == date && expiry.strike == nearest;
            });
            if (kept != m_expiries.cend()) {
                chosen.append(*kept);
                continue;
            }
            Expiry expiry;
            expiry.date = date;
            expiry.strike = nearest;
            expiry.call.contract = securityOf(OptionChain::contract(m_contracts, m_underlyingId, date, nearest,
                                                                    QStringLiteral("C")));
            expiry.put.contract = securityOf(OptionChain::contract(m_contracts, m_underlyingId, date, nearest,
                                                                   QStringLiteral("P")));
            if (!expiry.call.contract.isNull() || !expiry.put.contract.isNull())
                chosen.append(expiry);
        }
    }
    const auto sameContracts = [&chosen, this] {
        if (chosen.size() != m_expiries.size())
            return false;
        for (int i = 0; i < chosen.size(); ++i) {
            if (chosen.at(i).call.contract != m_expiries.at(i).call.contract
                || chosen.at(i).put.contract != m_expiries.at(i).put.contract)
                return false;
        }
        return true;
    };
    if (!sameContracts()) {
        m_expiries = chosen;
        m_subscriber->unsubscribe(true);
        m_quotes->clear();
        for (const Expiry &expiry : qAsConst(m_expiries)) {
            for (const Leg *leg : {&expiry.call, &expiry.put}) {
                if (!leg->contract.isNull())
                    m_subscriber->addProduct(leg->contract.market(), leg->contract.codeText());
            }
        }
        LatestQuotes::follow(m_subscriber, !m_expiries.isEmpty() && m_subscriber->subscribe());
        qCDebug(lcStoQuot) << "term structure subscribes" << m_subscriber->productList();
        // What the module already has of them (the board's own rows) comes at the next frame.
        for (const Expiry &expiry : qAsConst(m_expiries)) {
            for (const Leg *leg : {&expiry.call, &expiry.put})
                m_quotes->addLatest(leg->contract);
        }
    }
    // A new price of the underlying moves every volatility.
    for (Expiry &expiry : m_expiries)
        work(expiry);
    emit updated();
}

void TermStructure::doRecvTermQuot(VQuotData *pQuotData)
{
    if (pQuotData && pQuotData->status != 0)
        m_quotes->add(*pQuotData);
}

void TermStructure::applyQuotes()
{
    bool changed = false;
    for (const VQuotData &record : m_quotes->take()) {
        const SecurityId contract = SecurityId::of(record);
        for (Expiry &expiry : m_expiries) {
            for (Leg *leg : {&expiry.call, &expiry.put}) {
                if (leg->contract != contract)
                    continue;
                leg->bid = record.bidPrice[0];
                leg->ask = record.askPrice[0];
                leg->last = record.lastPrice;
                work(expiry);
                changed = true;
            }
        }
    }
    if (changed)
        emit updated();
}

void TermStructure::work(Expiry &expiry)
{
    OptionInputs inputs;
    inputs.strike = expiry.strike.toDouble();
    inputs.spot = m_spot;
    inputs.years = OptionAnalytics::yearsToExpiry(m_businessDate, dateOf(expiry.date));
    inputs.rate = m_rate;
    double sum = 0;
    int solved = 0;
    for (const Leg *leg : {&expiry.call, &expiry.put}) {
        if (leg->contract.isNull())
            continue;
        inputs.call = leg == &expiry.call;
        inputs.price = OptionAnalytics::optionPrice(leg->bid, leg->ask, leg->last);
        const OptionFigures figures = OptionAnalytics::evaluate(inputs);
        if (figures.status == OptionFigures::Solved) {
            sum += figures.impliedVolatility;
            ++solved;
        }
    }
    expiry.volatility = solved ? std::optional<double>(sum / solved) : std::nullopt;
}

QVector<QPointF> TermStructure::points() const
{
    QVector<QPointF> points;
    for (const Expiry &expiry : m_expiries) {
        if (expiry.volatility)
            points.append({double(m_businessDate.daysTo(dateOf(expiry.date))), *expiry.volatility});
    }
    return points;
}

QStringList TermStructure::subscribed() const
{
    return m_subscriber->productList();
}
