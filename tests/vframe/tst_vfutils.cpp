#include <vfutils.h>

#include <QtTest>

#include <limits>

class TestVfUtils : public QObject
{
    Q_OBJECT

private slots:
    void getDecimals_data();
    void getDecimals();
    void strToChar_data();
    void strToChar();
};

void TestVfUtils::getDecimals_data()
{
    QTest::addColumn<double>("priceUnit");
    QTest::addColumn<int>("decimals");

    QTest::newRow("0.01") << 0.01 << 2;
    QTest::newRow("0.2") << 0.2 << 1;
    QTest::newRow("5") << 5.0 << 0;
    QTest::newRow("0.0001") << 0.0001 << 4;
    QTest::newRow("0.005") << 0.005 << 3;
    QTest::newRow("0.05") << 0.05 << 2;
    QTest::newRow("0.001") << 0.001 << 3;
    QTest::newRow("0.5") << 0.5 << 1;
    QTest::newRow("1") << 1.0 << 0;
    QTest::newRow("0.1 + 0.2 rounding") << 0.1 + 0.2 << 1;
    QTest::newRow("0") << 0.0 << 2;
    QTest::newRow("negative") << -0.01 << 2;
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << 2;
}

void TestVfUtils::getDecimals()
{
    QFETCH(double, priceUnit);
    QFETCH(int, decimals);
    QCOMPARE(vf::getDecimals(priceUnit), decimals);
}

void TestVfUtils::strToChar_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("character");

    QTest::newRow("Shanghai") << "H" << int('H');
    QTest::newRow("Shenzhen") << "S" << int('S');
    QTest::newRow("own contract list") << "*" << int('*');
    QTest::newRow("longer text: first character") << "HK" << int('H');
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("not Latin-1") << "沪" << 0;
}

void TestVfUtils::strToChar()
{
    QFETCH(QString, text);
    QFETCH(int, character);
    QCOMPARE(int(vf::strToChar(text)), character);
}

QTEST_APPLESS_MAIN(TestVfUtils)
#include "tst_vfutils.moc"
