#pragma once

#include <QDate>
#include <QString>

class VCacheMgr;
struct SampleOptionModel;
struct VSimInstrument;

// How the simulated market moves each security of the host's caches, as its
// exchange does: stocks and funds in a snapshot every 3 s with five levels,
// futures and options every 500 ms, futures with five levels on the Shanghai
// Futures Exchange and one elsewhere, options with five. The front months
// and the options near the money trade in most snapshots, far months and
// deep out-of-the-money options seldom. The contracts of a futures product
// share one walk; an option is priced by the option model from its
// underlying's walk.
class SimInstruments
{
public:
    SimInstruments(const VCacheMgr *caches, const SampleOptionModel &model, const QDate &businessDate);

    // False when the caches do not know the security, or an option's
    // underlying or model is missing.
    bool resolve(char market, const QString &code, VSimInstrument &out) const;

private:
    bool resolveStkid(const QString &stkid, VSimInstrument &out) const;
    void stock(const QString &stkid, const QString &code, VSimInstrument &out) const;
    void fund(const QString &stkid, VSimInstrument &out) const;
    void futures(const QString &stkid, VSimInstrument &out) const;
    bool option(const QString &stkid, VSimInstrument &out) const;

    const VCacheMgr *m_caches;
    const SampleOptionModel &m_model;
    QDate m_date;
};
