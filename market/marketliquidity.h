#pragma once

#include <QHash>
#include <QString>
#include <QVector>

// How much each security of the sample market trades on a typical day, from
// the data's optional turnover and volume columns; what the data does not
// give is absent, and the simulator then trades as it did without it.
struct MarketLiquidity
{
    // Which months of a futures product carry most of its volume and open interest.
    struct MainMonths
    {
        enum Rule {
            Calendar, // the nearest of months not in delivery, then the next of them
            Nearest, // the nearest listed month (index and bond futures)
            Second, // the month after the nearest (the base metals)
        };
        Rule rule = Calendar;
        QVector<int> months; // 1 to 12, for Calendar

        // "1 5 9", "nearest" or "second"; ok false (and Calendar without months) for anything else.
        static MainMonths parse(const QString &text, bool *ok);
    };
    struct Product
    {
        double lotsPerDay = 0;
        MainMonths main;
    };

    QHash<QString, double> turnover; // stock or fund stkid → yuan a day
    QHash<QString, Product> products; // "market|productid" → its volume and main months
    QHash<QString, double> chains; // option underlying stkid → contracts a day of its whole chain
};
