#include <quotrecord.h>
#include <vquotdata.h>

#include <QtEndian>
#include <QtTest>
#include <cstring>

namespace {

// Reads one field through the struct; every type the layout uses fits a double exactly here.
using Reader = double (*)(const VQuotData &);

// Writes value at offset as the wire does: little-endian, doubles as binary64.
void put(VQuotData &record, int offset, char type, double value)
{
    uchar *at = reinterpret_cast<uchar *>(&record) + offset;
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    switch (type) {
    case 'c': *at = uchar(value); break;
    case 'd': qToLittleEndian(bits, at); break;
    case 'q': qToLittleEndian(qint64(value), at); break;
    case 'u': qToLittleEndian(quint32(value), at); break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Reader)

#define FIELD(field, offset, type, value)                                                                              \
    QTest::newRow(#field) << offset << type << double(value)                                                           \
                          << Reader([](const VQuotData &r) { return double(r.field); })

class TestVQuotData : public QObject
{
    Q_OBJECT

private slots:
    void layout_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<char>("type");
        QTest::addColumn<double>("value");
        QTest::addColumn<Reader>("read");

        FIELD(status, 0, 'c', 1);
        FIELD(market, 1, 'c', 'H');
        FIELD(suspendFlag, 82, 'c', 'T');
        FIELD(highPrice, 88, 'd', 3512.5);
        FIELD(lowPrice, 96, 'd', 3488.25);
        FIELD(lastPrice, 104, 'd', 3501.0);
        FIELD(preClosingPrice, 112, 'd', 3490.75);
        FIELD(openingPrice, 120, 'd', 3492.5);
        FIELD(preSettlementPrice, 136, 'd', 3495.0);
        FIELD(highLimitPrice, 144, 'd', 3844.5);
        FIELD(lowLimitPrice, 152, 'd', 3145.5);
        FIELD(matchQuantity, 160, 'q', 123456789012LL);
        FIELD(matchAmount, 168, 'd', 4.3e11);
        FIELD(avgPrice, 176, 'd', 3499.125);
        FIELD(priceChange, 184, 'd', -12.25);
        FIELD(priceChangeRatio, 192, 'd', -0.0035);
        FIELD(openInterest, 200, 'q', 9876543210LL);
        FIELD(askPrice[0], 216, 'd', 3501.5);
        // Volumes above 2147483647 read positive: the levels are unsigned.
        FIELD(askVolume[0], 296, 'u', 3000000000u);
        FIELD(bidPrice[0], 336, 'd', 3500.5);
        FIELD(bidVolume[9], 452, 'u', 4294967295u);
    }
    void layout()
    {
        QFETCH(int, offset);
        QFETCH(char, type);
        QFETCH(double, value);
        QFETCH(Reader, read);
        VQuotData record {};
        put(record, offset, type, value);
        QCOMPARE(read(record), value);
    }

    void code()
    {
        // A code without NUL stops at its field: the suspend flag behind it never leaks in.
        VQuotData record = makeQuotRecord('H', {});
        std::memset(record.code, 'A', sizeof record.code);
        record.suspendFlag = 'T';
        QCOMPARE(record.codeText(), QByteArray(80, 'A'));
        record.setCode(QByteArray(200, 'z'));
        QCOMPARE(record.codeText(), QByteArray(79, 'z'));
        QCOMPARE(record.suspendFlag, 'T');
        record.setCode("ag2606");
        QCOMPARE(record.productKey(), QStringLiteral("H|ag2606"));
    }
};

QTEST_GUILESS_MAIN(TestVQuotData)
#include "tst_vquotdata.moc"
