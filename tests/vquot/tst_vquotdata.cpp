#include <quotrecord.h>
#include <vquotdata.h>

#include <QtEndian>
#include <QtTest>
#include <cstring>
#include <functional>

namespace {

enum class Kind { Char, Double, Int64, UInt32 };

using Reader = std::function<QVariant(const VQuotData &)>;

// Each field read through the struct, named as the layout table names it.
const QHash<QString, Reader> &readers()
{
    static const QHash<QString, Reader> table = {
        {QStringLiteral("status"), [](const VQuotData &r) { return QVariant(int(r.status)); }},
        {QStringLiteral("market"), [](const VQuotData &r) { return QVariant(int(r.market)); }},
        {QStringLiteral("suspendFlag"), [](const VQuotData &r) { return QVariant(int(r.suspendFlag)); }},
        {QStringLiteral("highPrice"), [](const VQuotData &r) { return QVariant(r.highPrice); }},
        {QStringLiteral("lowPrice"), [](const VQuotData &r) { return QVariant(r.lowPrice); }},
        {QStringLiteral("lastPrice"), [](const VQuotData &r) { return QVariant(r.lastPrice); }},
        {QStringLiteral("preClosingPrice"), [](const VQuotData &r) { return QVariant(r.preClosingPrice); }},
        {QStringLiteral("openingPrice"), [](const VQuotData &r) { return QVariant(r.openingPrice); }},
        {QStringLiteral("preSettlementPrice"), [](const VQuotData &r) { return QVariant(r.preSettlementPrice); }},
        {QStringLiteral("highLimitPrice"), [](const VQuotData &r) { return QVariant(r.highLimitPrice); }},
        {QStringLiteral("lowLimitPrice"), [](const VQuotData &r) { return QVariant(r.lowLimitPrice); }},
        {QStringLiteral("matchQuantity"), [](const VQuotData &r) { return QVariant(qint64(r.matchQuantity)); }},
        {QStringLiteral("matchAmount"), [](const VQuotData &r) { return QVariant(r.matchAmount); }},
        {QStringLiteral("avgPrice"), [](const VQuotData &r) { return QVariant(r.avgPrice); }},
        {QStringLiteral("priceChange"), [](const VQuotData &r) { return QVariant(r.priceChange); }},
        {QStringLiteral("priceChangeRatio"), [](const VQuotData &r) { return QVariant(r.priceChangeRatio); }},
        {QStringLiteral("openInterest"), [](const VQuotData &r) { return QVariant(qint64(r.openInterest)); }},
        {QStringLiteral("askPrice[0]"), [](const VQuotData &r) { return QVariant(r.askPrice[0]); }},
        {QStringLiteral("askPrice[9]"), [](const VQuotData &r) { return QVariant(r.askPrice[9]); }},
        {QStringLiteral("askVolume[0]"), [](const VQuotData &r) { return QVariant(uint(r.askVolume[0])); }},
        {QStringLiteral("askVolume[9]"), [](const VQuotData &r) { return QVariant(uint(r.askVolume[9])); }},
        {QStringLiteral("bidPrice[0]"), [](const VQuotData &r) { return QVariant(r.bidPrice[0]); }},
        {QStringLiteral("bidPrice[9]"), [](const VQuotData &r) { return QVariant(r.bidPrice[9]); }},
        {QStringLiteral("bidVolume[0]"), [](const VQuotData &r) { return QVariant(uint(r.bidVolume[0])); }},
        {QStringLiteral("bidVolume[9]"), [](const VQuotData &r) { return QVariant(uint(r.bidVolume[9])); }},
    };
    return table;
}

// Writes value at offset as the wire does: little-endian, doubles as binary64.
void writeLittleEndian(QByteArray &raw, int offset, Kind kind, const QVariant &value)
{
    uchar *at = reinterpret_cast<uchar *>(raw.data()) + offset;
    switch (kind) {
    case Kind::Char: *at = uchar(value.toInt()); break;
    case Kind::Double: {
        const double number = value.toDouble();
        quint64 bits;
        std::memcpy(&bits, &number, sizeof bits);
        qToLittleEndian(bits, at);
        break;
    }
    case Kind::Int64: qToLittleEndian(qint64(value.toLongLong()), at); break;
    case Kind::UInt32: qToLittleEndian(quint32(value.toUInt()), at); break;
    }
}

VQuotData fromRaw(const QByteArray &raw)
{
    VQuotData record;
    std::memcpy(&record, raw.constData(), sizeof record);
    return record;
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestVQuotData : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void codeText_data();
    void codeText();
    void setCode_data();
    void setCode();
    void productKeySplitsBack();
};

void TestVQuotData::layout_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QVariant>("value");

    auto row = [](const char *field, int offset, Kind kind, const QVariant &value) {
        QTest::newRow(field) << offset << kind << value;
    };
    row("status", 0, Kind::Char, int('\x01'));
    row("market", 1, Kind::Char, int('H'));
    row("suspendFlag", 82, Kind::Char, int('T'));
    row("highPrice", 88, Kind::Double, 3512.5);
    row("lowPrice", 96, Kind::Double, 3488.25);
    row("lastPrice", 104, Kind::Double, 3501.0);
    row("preClosingPrice", 112, Kind::Double, 3490.75);
    row("openingPrice", 120, Kind::Double, 3492.5);
    row("preSettlementPrice", 136, Kind::Double, 3495.0);
    row("highLimitPrice", 144, Kind::Double, 3844.5);
    row("lowLimitPrice", 152, Kind::Double, 3145.5);
    row("matchQuantity", 160, Kind::Int64, qint64(123456789012LL));
    row("matchAmount", 168, Kind::Double, 4.3e11);
    row("avgPrice", 176, Kind::Double, 3499.125);
    row("priceChange", 184, Kind::Double, -12.25);
    row("priceChangeRatio", 192, Kind::Double, -0.0035);
    row("openInterest", 200, Kind::Int64, qint64(9876543210LL));
    row("askPrice[0]", 216, Kind::Double, 3501.5);
    row("askPrice[9]", 288, Kind::Double, 3506.0);
    // Volumes above 2147483647: the levels are unsigned.
    row("askVolume[0]", 296, Kind::UInt32, uint(3000000000u));
    row("askVolume[9]", 332, Kind::UInt32, uint(4294967295u));
    row("bidPrice[0]", 336, Kind::Double, 3500.5);
    row("bidPrice[9]", 408, Kind::Double, 3491.0);
    row("bidVolume[0]", 416, Kind::UInt32, uint(2147483648u));
    row("bidVolume[9]", 452, Kind::UInt32, uint(3999999999u));
}

void TestVQuotData::layout()
{
    QFETCH(int, offset);
    QFETCH(Kind, kind);
    QFETCH(QVariant, value);

    QByteArray raw(int(sizeof(VQuotData)), '\0');
    QCOMPARE(raw.size(), 456);
    writeLittleEndian(raw, offset, kind, value);
    const QVariant read = readers().value(QString::fromLatin1(QTest::currentDataTag()))(fromRaw(raw));
    QCOMPARE(read, value);
    if (kind == Kind::UInt32)
        QVERIFY(read.toLongLong() > 2147483647LL);
}

void TestVQuotData::codeText_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("terminated") << QByteArray("IF2612\0junk", 11) << QByteArray("IF2612");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("fills the field without NUL") << QByteArray(80, 'A') << QByteArray(80, 'A');
}

void TestVQuotData::codeText()
{
    QFETCH(QByteArray, field);
    QFETCH(QByteArray, expected);

    // The byte after the code field is the suspend flag; it must never leak into the code.
    QByteArray raw(int(sizeof(VQuotData)), '\0');
    raw.replace(2, field.size(), field);
    raw[82] = 'T';
    const VQuotData record = fromRaw(raw);
    QCOMPARE(record.codeText(), expected);
    QCOMPARE(record.isCodeTerminated(), field.size() < 80);
}

void TestVQuotData::setCode_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("short") << QByteArray("ag2606") << QByteArray("ag2606");
    QTest::newRow("79 bytes") << QByteArray(79, 'x') << QByteArray(79, 'x');
    QTest::newRow("80 bytes truncated") << QByteArray(80, 'y') << QByteArray(79, 'y');
    QTest::newRow("far too long") << QByteArray(200, 'z') << QByteArray(79, 'z');
}

void TestVQuotData::setCode()
{
    QFETCH(QByteArray, code);
    QFETCH(QByteArray, expected);

    VQuotData record = makeQuotRecord('H', QByteArray(79, '#'));
    record.suspendFlag = 'T';
    record.setCode(code);
    QCOMPARE(record.codeText(), expected);
    QVERIFY(record.isCodeTerminated());
    QCOMPARE(record.suspendFlag, 'T');
    // Nothing of the longer earlier code is left behind the new one.
    for (size_t i = size_t(expected.size()); i < sizeof record.code; ++i)
        QCOMPARE(record.code[i], '\0');
}

void TestVQuotData::productKeySplitsBack()
{
    const VQuotData record = makeQuotRecord('H', "cu2607");
    QCOMPARE(record.productKey(), QStringLiteral("H|cu2607"));
    QCOMPARE(record.productKey().split(QLatin1Char('|'), Qt::SkipEmptyParts),
             QStringList({QStringLiteral("H"), QStringLiteral("cu2607")}));
}

QTEST_GUILESS_MAIN(TestVQuotData)
#include "tst_vquotdata.moc"
