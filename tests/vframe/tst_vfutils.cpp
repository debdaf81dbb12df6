#include <vfutils.h>

#include <QtTest>

class TestVfUtils : public QObject
{
    Q_OBJECT

private slots:
    void getDecimals_data()
    {
        QTest::addColumn<double>("priceUnit");
        QTest::addColumn<int>("decimals");
        QTest::newRow("0.01") << 0.01 << 2;
        QTest::newRow("5") << 5.0 << 0;
        QTest::newRow("0.005") << 0.005 << 3;
        QTest::newRow("0.0001") << 0.0001 << 4;
        QTest::newRow("0.1 + 0.2 rounding") << 0.1 + 0.2 << 1;
        QTest::newRow("not positive") << -0.01 << 2;
    }
    void getDecimals()
    {
        QFETCH(double, priceUnit);
        QTEST(vf::getDecimals(priceUnit), "decimals");
    }
};

QTEST_APPLESS_MAIN(TestVfUtils)
#include "tst_vfutils.moc"
