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
