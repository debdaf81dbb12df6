#include <quotrecord.h>
#include <vquotdata.h>

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

        // The header pins the offsets; these rows pin what an offset cannot: which
        // fields read as binary64, which as integers, and which integers are unsigned.
        FIELD(highPrice, 88, 'd', 3512.5);
        FIELD(priceChangeRatio, 192, 'd', -0.0035);
        FIELD(matchQuantity, 160, 'q', 123456789012LL);
        FIELD(openInterest, 200, 'q', 9876543210LL);
        FIELD(askVolume[0], 296, 'u', 3000000000u);
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
