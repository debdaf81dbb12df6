// The option figures against QuantLib's own European engine, and the
// prices that give no figures.

#include <stoquot/optionanalytics.h>

#include <ql/exercise.hpp>
#include <ql/instruments/vanillaoption.hpp>
#include <ql/pricingengines/vanilla/analyticeuropeanengine.hpp>
#include <ql/processes/blackscholesprocess.hpp>
#include <ql/quotes/simplequote.hpp>
#include <ql/termstructures/volatility/equityfx/blackconstantvol.hpp>
#include <ql/termstructures/yield/flatforward.hpp>
#include <ql/time/calendars/nullcalendar.hpp>
#include <ql/time/daycounters/actual365fixed.hpp>

#include <QDate>
#include <QtTest>

#include <limits>

using namespace QuantLib;

namespace {

// A contract valued by QuantLib's analytic European engine on flat curves,
// from today: the library's evaluation date, which this test cannot set
// (the library's settings are not the ones a test's inline copy reaches).
struct EngineValues
{
    double price, delta, gamma, vega, thetaPerDay;
};

EngineValues engineValues(bool call, double spot, double strike, double volatility, double rate, int days)
{
    const Date today = Date::todaysDate();
    const DayCounter dayCounter = Actual365Fixed();
    const auto process = ext::make_shared<BlackScholesProcess>(
        Handle<Quote>(ext::make_shared<SimpleQuote>(spot)),
        Handle<YieldTermStructure>(ext::make_shared<FlatForward>(today, rate, dayCounter)),
        Handle<BlackVolTermStructure>(
            ext::make_shared<BlackConstantVol>(today, NullCalendar(), volatility, dayCounter)));
    VanillaOption option(ext::make_shared<PlainVanillaPayoff>(call ? Option::Call : Option::Put, strike),
                         ext::make_shared<EuropeanExercise>(today + days));
    option.setPricingEngine(ext::make_shared<AnalyticEuropeanEngine>(process));
    return {option.NPV(), option.delta(), option.gamma(), option.vega(), option.thetaPerDay()};
}

} // namespace

class TestOptionAnalytics : public QObject
{
    Q_OBJECT

private slots:
    void knownContracts_data()
    {
        QTest::addColumn<bool>("call");
        QTest::addColumn<double>("spot");
        QTest::addColumn<double>("strike");
        QTest::addColumn<double>("volatility");
        QTest::addColumn<double>("rate");
        QTest::addColumn<int>("days");
        QTest::newRow("at the money, a month") << true << 2.75 << 2.75 << 0.18 << 0.015 << 30;
        QTest::newRow("put out of the money") << false << 2.75 << 2.5 << 0.22 << 0.015 << 60;
        QTest::newRow("call in the money, a quarter") << true << 2.9 << 2.6 << 0.2 << 0.02 << 91;
        QTest::newRow("put in the money, a year") << false << 42.0 << 50.0 << 0.3 << 0.05 << 365;
        // Worth 0.407, below its intrinsic value of 0.45, above its bound K·e^(−rT) − S = 0.355.
        QTest::newRow("put below its intrinsic value") << false << 2.75 << 3.2 << 0.15 << 0.03 << 365;
    }
    // The volatility QuantLib's engine priced at comes back, and with it the engine's Greeks.
    void knownContracts()
    {
        QFETCH(bool, call);
        QFETCH(double, spot);
        QFETCH(double, strike);
        QFETCH(double, volatility);
        QFETCH(double, rate);
        QFETCH(int, days);
        const EngineValues engine = engineValues(call, spot, strike, volatility, rate, days);
        // The engine counts actual/365 days: a wrong year fraction implies another volatility.
        const double years = OptionAnalytics::yearsToExpiry(QDate(2026, 1, 1), QDate(2026, 1, 1).addDays(days));
        const OptionFigures figures = OptionAnalytics::evaluate({call, strike, spot, engine.price, years, rate});
        QCOMPARE(figures.status, OptionFigures::Solved);
        QVERIFY(qAbs(figures.impliedVolatility - volatility) < 1e-6);
        QVERIFY(qAbs(figures.delta - engine.delta) < 1e-6);
        QVERIFY(qAbs(figures.gamma - engine.gamma) < 1e-5);
        QVERIFY(qAbs(figures.vega - engine.vega / 100) < 1e-6);
        QVERIFY(qAbs(figures.theta - engine.thetaPerDay) < 1e-6);
        const double intrinsic = qMax(0.0, call ? spot - strike : strike - spot);
        QVERIFY(qAbs(*figures.timeValue - (engine.price - intrinsic)) < 1e-12);
    }

    // Prices that imply no volatility: only what needs no model remains.
    void noVolatility_data()
    {
        QTest::addColumn<bool>("call");
        QTest::addColumn<double>("spot");
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("years");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("intrinsic");
        QTest::addColumn<bool>("timeValue");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        // Strike 2.5, rate 5 %.
        QTest::newRow("no price") << true << 3.0 << 0.0 << 0.25 << int(OptionFigures::NoPrice) << true << false;
        QTest::newRow("a price that is no number")
            << true << 3.0 << nan << 0.25 << int(OptionFigures::NoPrice) << true << false;
        QTest::newRow("no underlying price")
            << true << 0.0 << 0.6 << 0.25 << int(OptionFigures::NoPrice) << false << false;
        QTest::newRow("an underlying price that is no number")
            << false << inf << 0.6 << 0.25 << int(OptionFigures::NoPrice) << false << false;
        QTest::newRow("below intrinsic") << true << 3.0 << 0.45 << 0.25 << int(OptionFigures::BelowIntrinsic) << true
                                         << false;
        // 2.5·e^(−0.0125) − 2 = 0.469.
        QTest::newRow("a put below its bound")
            << false << 2.0 << 0.46 << 0.25 << int(OptionFigures::BelowIntrinsic) << true << true;
        // 3 − 2.5·e^(−0.05): what the model gives at no volatility.
        QTest::newRow("below the discounted intrinsic")
            << true << 3.0 << 0.6 << 1.0 << int(OptionFigures::BelowIntrinsic) << true << true;
        QTest::newRow("a call at the underlying's price")
            << true << 3.0 << 3.0 << 0.25 << int(OptionFigures::AboveModel) << true << true;
        QTest::newRow("a put above the discounted strike")
            << false << 2.0 << 2.48 << 0.25 << int(OptionFigures::AboveModel) << true << true;
        QTest::newRow("expiry today") << true << 3.0 << 0.6 << 0.0 << int(OptionFigures::Expired) << true << true;
        QTest::newRow("expired") << false << 2.0 << 0.6 << -1 / 365.0 << int(OptionFigures::Expired) << true << true;
        QTest::newRow("no expiry") << false << 2.0 << 0.6 << nan << int(OptionFigures::Expired) << true << true;
    }
    void noVolatility()
    {
        QFETCH(bool, call);
        QFETCH(double, spot);
        QFETCH(double, price);
        QFETCH(double, years);
        const OptionFigures figures = OptionAnalytics::evaluate({call, 2.5, spot, price, years, 0.05});
        QTEST(int(figures.status), "status");
        QTEST(figures.intrinsic.has_value(), "intrinsic");
        QTEST(figures.timeValue.has_value(), "timeValue");
    }
};

QTEST_MAIN(TestOptionAnalytics)
#include "tst_optionanalytics.moc"
