#pragma once

#include "contractcalendar.h"
#include "marketliquidity.h"
#include "sampleoptionmodel.h"

#include <QStringList>
#include <QVector>

#include <functional>

// One stock or fund of securities.csv.
struct SampleStock
{
    QString market;
    QString code;
    QString name;
    QString pinyin; // the name's pinyin initials; empty when the file has no such column
    QString type; // "0" A股, "4" ETF基金
    double preClose = 0.0;
};

// One futures product of futures.csv.
struct SampleProduct
{
    QString market;
    QString id;
    QString name;
    double priceUnit = 0.0;
    double multiplier = 0.0;
    double refPrice = 0.0;
    double limitRatio = 0.0;
    ListingRule listing;
    ExpiryRule expiry;
};

// One option underlying of options.csv.
struct SampleOptionSeries
{
    QString underlying; // stkid of the fund
    QString market;
    QString name;
    int series = 0;
};

struct SampleDictItem
{
    QString entry;
    QString item;
    QString text;
};

// The source files of the sample market in one folder (a directory or a
// resource path): securities.csv, futures.csv, options.csv, dict.csv, and
// the option model's smile.csv and rate.csv. The turnover and volume
// columns are optional: they give the market's liquidity.
// A file that is missing, unreadable or lacks a column is refused whole; a
// line with a wrong value is skipped. Every problem is logged (level 3) and
// listed in problems(); what could be read stays usable.
class SampleSource
{
public:
    enum File { Securities, Futures, Options, Dict, Smile, Rate };

    void read(const QString &dir);

    // Whether the file was read (possibly with skipped lines).
    bool hasRead(File file) const;
    QStringList problems() const;

    QVector<SampleStock> stocks;
    QVector<SampleProduct> products;
    QVector<SampleOptionSeries> optionSeries;
    QVector<SampleDictItem> dictItems;
    SampleOptionModel optionModel;
    MarketLiquidity liquidity;

private:
    class Line;
    // Reads the file of the given kind and hands every well-formed line to
    // take, which returns why it refused the line (empty when it took it).
    void readFile(File file, const QString &dir, const QStringList &columns,
                  const std::function<QString(const Line &)> &take);
    QString takeStock(const Line &line);
    QString takeProduct(const Line &line);
    QString takeOptionSeries(const Line &line);
    QString takeDictItem(const Line &line);
    QString takeSmile(const Line &line);
    QString takeRate(const Line &line);
    void problem(const QString &message);

    bool m_read[6] = {false, false, false, false, false, false};
    bool m_rateRead = false; // rate.csv holds one rate
    QStringList m_problems;
};
