#include "marketliquidity.h"

#include <QStringList>

MarketLiquidity::MainMonths MarketLiquidity::MainMonths::parse(const QString &text, bool *ok)
{
    MainMonths main;
    *ok = true;
    if (text == QLatin1String("nearest")) {
        main.rule = Nearest;
        return main;
    }
    if (text == QLatin1String("second")) {
        main.rule = Second;
        return main;
    }
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        bool number = false;
        const int month = word.toInt(&number);
        if (!number || month < 1 || month > 12 || main.months.contains(month)) {
            *ok = false;
            return MainMonths();
        }
        main.months.append(month);
    }
    *ok = !main.months.isEmpty();
    return main;
}
