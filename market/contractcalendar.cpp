#include "contractcalendar.h"

#include <QLocale>
#include <QRegularExpression>

namespace {

bool isWeekday(const QDate &date)
{
    return date.dayOfWeek() <= Qt::Friday;
}

bool isQuarterMonth(const QDate &month)
{
    return month.month() % 3 == 0;
}

int dayOfWeekNamed(const QString &name)
{
    const QLocale c = QLocale::c();
    for (int day = Qt::Monday; day <= Qt::Sunday; ++day) {
        if (c.dayName(day).compare(name, Qt::CaseInsensitive) == 0)
            return day;
    }
    return 0;
}

} // namespace

ExpiryRule ExpiryRule::parse(const QString &text, bool *ok)
{
    static const QRegularExpression pattern(QStringLiteral("^([a-z]+)([1-9][0-9]?)$"));
    ExpiryRule rule;
    rule.m_text = text.trimmed();
    const QRegularExpressionMatch match = pattern.match(rule.m_text);
    bool valid = match.hasMatch();
    if (valid) {
        const QString word = match.captured(1);
        rule.m_n = match.captured(2).toInt();
        if (word == QLatin1String("day")) {
            rule.m_kind = DayOfMonth;
            valid = rule.m_n <= 28;
        } else if (word == QLatin1String("weekday")) {
            rule.m_kind = NthWeekday;
            valid = rule.m_n <= 20;
        } else {
            rule.m_kind = NthDayOfWeek;
            rule.m_dayOfWeek = dayOfWeekNamed(word);
            valid = rule.m_dayOfWeek != 0 && rule.m_n <= 4;
        }
    }
    if (ok)
        *ok = valid;
    return rule;
}

QDate ExpiryRule::lastTradingDay(int year, int month) const
{
    QDate day(year, month, 1);
    switch (m_kind) {
    case DayOfMonth:
        day = day.addDays(m_n - 1);
        while (!isWeekday(day))
            day = day.addDays(1);
        return day;
    case NthWeekday:
        for (int counted = 0;; day = day.addDays(1)) {
            if (isWeekday(day) && ++counted == m_n)
                return day;
        }
    case NthDayOfWeek: day = day.addDays((m_dayOfWeek - day.dayOfWeek() + 7) % 7); return day.addDays(7 * (m_n - 1));
    }
    return day;
}

QString ExpiryRule::text() const
{
    return m_text;
}

ListingRule ListingRule::parse(const QString &text, bool *ok)
{
    ListingRule rule;
    const QString trimmed = text.trimmed();
    bool valid = true;
    if (trimmed == QLatin1String("monthly")) {
        rule.m_kind = Monthly;
    } else if (trimmed == QLatin1String("index")) {
        rule.m_kind = Index;
    } else if (trimmed == QLatin1String("quarterly")) {
        rule.m_kind = Quarterly;
    } else {
        rule.m_kind = Months;
        const QStringList parts = trimmed.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (const QString &part : parts) {
            bool isNumber = false;
            const int month = part.toInt(&isNumber);
            if (!isNumber || month < 1 || month > 12 || rule.m_months.contains(month)) {
                valid = false;
                break;
            }
            rule.m_months.append(month);
        }
        valid = valid && !rule.m_months.isEmpty();
    }
    if (ok)
        *ok = valid;
    return rule;
}

QVector<QDate> ListingRule::months(const QDate &businessDate, const ExpiryRule &expiry) const
{
    QDate first(businessDate.year(), businessDate.month(), 1);
    if (expiry.lastTradingDay(first.year(), first.month()) < businessDate)
        first = first.addMonths(1);

    QVector<QDate> listed;
    switch (m_kind) {
    case Monthly:
        for (int i = 0; i < 12; ++i)
            listed.append(first.addMonths(i));
        break;
    case Months:
        for (int i = 0; i < 12; ++i) {
            const QDate month = first.addMonths(i);
            if (m_months.contains(month.month()))
                listed.append(month);
        }
        break;
    case Index:
        listed << first << first.addMonths(1);
        for (QDate month = first.addMonths(2); listed.size() < 4; month = month.addMonths(1)) {
            if (isQuarterMonth(month))
                listed.append(month);
        }
        break;
    case Quarterly:
        for (QDate month = first; listed.size() < 3; month = month.addMonths(1)) {
            if (isQuarterMonth(month))
                listed.append(month);
        }
        break;
    }
    return listed;
}
