#pragma once

#include <securityid.h>

#include <QDate>
#include <QObject>
#include <QPointF>
#include <QString>
#include <QVector>

#include <optional>

class FramePacer;
class OptionChain;
class QuotBatch;
class VCacheItem;
class VQuotSubscriber;
struct VQuotData;

// The at-the-money implied volatility of every listed expiry of the board's
// underlying: for each expiry the exercise price nearest the underlying's
// last price, the volatility its call's price implies and its put's (mid of
// best bid and ask, or the last price), averaged where both solve. While on,
// it subscribes those contracts with a subscriber of its own, and subscribes
// again when the nearest exercise price of an expiry moves; their records
// and the underlying's price are worked out at the frame clock. Off, it
// subscribes nothing.
class TermStructure : public QObject
{
    Q_OBJECT
public:
    // chain: the board's, which outlives this object.
    TermStructure(const OptionChain *chain, double riskFreeRate, QObject *parent = nullptr);
    ~TermStructure() override;

    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }
    // The option-contract cache (null: no contracts) and the business date.
    void setContracts(VCacheItem *contracts, const QDate &businessDate);
    // The underlying's id in the chain and its security; its price is
    // unknown until its first record.
    void setUnderlying(const QString &id, const SecurityId &security);
    void receiveUnderlying(const VQuotData &record);
    // The chain changed: the contracts are chosen again.
    void chainChanged();

    // (days to expiry, volatility a year) of each expiry with a volatility, by days.
    QVector<QPointF> points() const;
    // The contracts subscribed, "market|code".
    QStringList subscribed() const;

signals:
    // A frame changed the points.
    void updated();

public slots:
    void doRecvTermQuot(VQuotData *pQuotData);

private:
    struct Leg
    {
        SecurityId contract;
        double bid = 0;
        double ask = 0;
        double last = 0;
    };
    struct Expiry
    {
        int date = 0; // yyyymmdd
        QString strike; // the chain's text of the exercise price
        Leg call;
        Leg put;
        std::optional<double> volatility;
    };

    // The nearest exercise price of each expiry at the underlying's price,
    // and their contracts subscribed; nothing while off or without a price.
    void choose();
    void applyQuotes();
    void work(Expiry &expiry);

    const OptionChain *m_chain;
    const double m_rate;
    VCacheItem *m_contracts = nullptr;
    QDate m_businessDate;
    VQuotSubscriber *m_subscriber; // a child
    QuotBatch *m_quotes; // a child
    FramePacer *m_pacer; // a child: the underlying's new price
    bool m_enabled = false;
    QString m_underlyingId;
    SecurityId m_underlying;
    double m_spot = 0;
    QVector<Expiry> m_expiries;
};
