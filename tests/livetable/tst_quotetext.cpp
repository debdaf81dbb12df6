#include <livetable/quotetext.h>
#include <livetable/securityid.h>

#include <vquotdata.h>

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

#include <cstring>
#include <limits>

namespace {

// What the fast formatter must write: QString::number's text, without the
// sign of a zero.
QString reference(double value, int decimals)
{
    static const QRegularExpression nonZeroDigit(QStringLiteral("[1-9]"));
    QString text = QString::number(value, 'f', decimals);
    if (text.startsWith(QLatin1Char('-')) && !text.contains(nonZeroDigit))
        text.remove(0, 1);
    return text;
}

} // namespace

class TestQuoteText : public QObject
{
    Q_OBJECT

private slots:
    // What the comparison with Qt below does not draw: a negative zero, the
    // largest quotes, and values that are no quote.
    void fixed_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("negative zero") << -0.0 << 2 << "0.00";
        QTest::newRow("amount") << 116012345678.9 << 2 << "116012345678.90";
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << 2 << "--";
        QTest::newRow("absurd") << 1e15 << 2 << "--";
    }
    void fixed()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QTEST(QuoteText::fixed(value, decimals), "text");
    }

    // Every number of a security as every component shows it: a price step
    // gives its decimals, the stock type its lot.
    void format_data()
    {
        QTest::addColumn<double>("step");
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        const int price = QuoteFormat::Price, change = QuoteFormat::Change, percent = QuoteFormat::Percent;
        const int volume = QuoteFormat::Volume, amount = QuoteFormat::Amount;
        auto row = [](const char *name, double step, const char *type, int kind, double value, const char *text) {
            QTest::newRow(name) << step << QString::fromLatin1(type) << kind << value << QString::fromUtf8(text);
        };
        row("stock price", 0.01, "0", price, 1700.5, "1700.50");
        row("stock change of zero", 0.01, "0", change, 0.0, "0.00");
        row("stock change rounding to zero", 0.01, "0", change, -0.004, "0.00");
        row("stock price of zero", 0.01, "0", price, 0.0, "--");
        row("stock price negative zero", 0.01, "0", price, -0.0, "--");
        row("stock volume in lots", 0.01, "0", volume, 41730.0, "417");
        row("stock volume in 万 lots", 0.01, "0", volume, 417300000.0, "417.30万");
        row("stock volume below a lot", 0.01, "0", volume, 50.0, "0");
        row("stock volume of zero", 0.01, "0", volume, 0.0, "--");
        row("fund price", 0.001, "4", price, 4.343, "4.343");
        row("fund price, trailing zero kept", 0.001, "4", price, 3.95, "3.950");
        row("fund change", 0.001, "4", change, 0.002, "0.002");
        row("fund ratio", 0.001, "4", percent, 0.0948, "0.09");
        row("ratio negative zero", 0.001, "4", percent, -0.0001, "0.00");
        row("option price", 0.0001, "S", price, 0.0523, "0.0523");
        row("option change", 0.0001, "S", change, -0.0011, "-0.0011");
        row("option volume in contracts", 0.0001, "S", volume, 7145.0, "7145");
        row("gold", 0.02, "Q", price, 766.7, "766.70");
        row("gold change", 0.02, "Q", change, 0.1, "0.10");
        row("rebar", 1, "Q", price, 3150.0, "3150");
        row("rebar change of zero", 1, "Q", change, -0.0, "0");
        row("iron ore", 0.5, "Q", price, 772.5, "772.5");
        row("stock index", 0.2, "R", price, 4512.4, "4512.4");
        row("copper", 10, "Q", price, 78010.0, "78010");
        row("volume below 万", 1, "Q", volume, 9999.0, "9999");
        row("volume at 万", 1, "Q", volume, 10000.0, "1.00万");
        row("volume in 万", 1, "Q", volume, 12345.0, "1.23万");
        row("volume rounding to 亿", 1, "Q", volume, 99999999.0, "1.00亿");
        row("amount below 万, whole", 0.01, "0", amount, 9999.4, "9999");
        row("amount rounding to 万", 0.01, "0", amount, 9999.5, "1.00万");
        row("amount in 亿", 0.01, "0", amount, 250000000.0, "2.50亿");
        row("amount huge", 0.01, "0", amount, 9.9e14, "9900000.00亿");
        row("absurd price", 0.01, "0", price, 1e15, "--");
        row("NaN change", 0.01, "0", change, nan, "--");
        row("infinite amount", 0.01, "0", amount, inf, "--");
    }
    void format()
    {
        QFETCH(double, step);
        QFETCH(QString, type);
        QFETCH(int, kind);
        QFETCH(double, value);
        QTEST(QuoteFormat::of(step, type).text(QuoteFormat::Kind(kind), value), "text");
    }

    // Prices, changes and amounts as quotes carry them, against QString::number.
    void fixedAgreesWithQt()
    {
        QRandomGenerator random(20261206);
        for (int i = 0; i < 200000; ++i) {
            const int decimals = int(random.bounded(5));
            const double steps = double(random.bounded(2000000)) - 1000000.0;
            const double value = steps * (i % 2 ? 0.0001 : 0.005) * (i % 7 == 0 ? 1e4 : 1.0);
            if (QuoteText::fixed(value, decimals) != reference(value, decimals))
                QFAIL(qPrintable(QStringLiteral("%1 with %2 decimals").arg(value, 0, 'g', 17).arg(decimals)));
        }
    }

    // A record's code is read up to its NUL and never past its field.
    void securityOfRecord()
    {
        VQuotData record {};
        record.market = 'H';
        std::memcpy(record.code, "cu2701", 6);
        const SecurityId id = SecurityId::of(record);
        QCOMPARE(id, SecurityId::of(QStringLiteral("H"), QStringLiteral("cu2701")));
        QCOMPARE(id.productKey(), QStringLiteral("H|cu2701"));
        std::memset(record.code, 'x', sizeof record.code);
        QVERIFY(SecurityId::of(record).isNull());
        QVERIFY(SecurityId::of(QStringLiteral("H"), QString(80, QLatin1Char('x'))).isNull());
    }
};

QTEST_MAIN(TestQuoteText)
#include "tst_quotetext.moc"
