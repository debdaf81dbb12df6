#include <quotrecord.h>
#include <vquotframe.h>

#include <QtEndian>
#include <QtTest>
#include <cstring>
#include <limits>

using Defect = VQuotFrame::Defect;
Q_DECLARE_METATYPE(Defect)

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

VQuotData goodRecord()
{
    VQuotData record = makeQuotRecord('H', "ag2606");
    record.lastPrice = 5123;
    record.matchQuantity = 1200;
    record.askPrice[0] = 5124;
    record.askVolume[0] = 30;
    return record;
}

template<typename Change> QByteArray frameOf(Change change)
{
    VQuotData record = goodRecord();
    change(record);
    return VQuotFrame::encode(record, 1);
}

QByteArray withHeaderField(int offset, quint16 value)
{
    QByteArray frame = VQuotFrame::encode(goodRecord(), 1);
    qToLittleEndian(value, frame.data() + offset);
    return frame;
}

} // namespace

class TestVQuotFrame : public QObject
{
    Q_OBJECT

private slots:
    // Both versions carry the record; only version 2 its publish sequence.
    void roundTrip_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("size");
        QTest::addColumn<quint64>("sequence");
        QTest::newRow("version 1") << 1 << 464 << quint64(0);
        QTest::newRow("version 2") << 2 << 472 << quint64(0x0123456789abcdefULL);
    }
    void roundTrip()
    {
        QFETCH(int, version);
        QFETCH(int, size);
        QFETCH(quint64, sequence);
        VQuotData record = goodRecord();
        std::memset(record.reserved1, 0x5a, sizeof record.reserved1);
        QByteArray frame(size, Qt::Uninitialized);
        if (version == 1)
            VQuotFrame::encodeVersion1(record, frame.data());
        else
            frame = VQuotFrame::encode(record, sequence);
        QCOMPARE(frame.size(), size);
        QCOMPARE(frame.left(4), QByteArray("TQRD"));
        QCOMPARE(qFromLittleEndian<quint16>(frame.constData() + 4), quint16(version));

        VQuotData decoded;
        quint64 decodedSequence = 1;
        QCOMPARE(VQuotFrame::decode(frame.constData(), size_t(frame.size()), decoded, nullptr, &decodedSequence),
                 Defect::None);
        QCOMPARE(decodedSequence, sequence);
        std::memset(record.reserved1, 0, sizeof record.reserved1);
        QCOMPARE(std::memcmp(&decoded, &record, sizeof record), 0);
    }

    void hostileFrames_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<Defect>("defect");
        const QByteArray good = VQuotFrame::encode(goodRecord(), 1);
        QByteArray version1As2(VQuotFrame::Version1Size, Qt::Uninitialized);
        VQuotFrame::encodeVersion1(goodRecord(), version1As2.data());
        version1As2[4] = 2;

        QTest::newRow("empty") << QByteArray() << Defect::Length;
        QTest::newRow("header only") << good.left(8) << Defect::Length;
        QTest::newRow("one byte short") << good.chopped(1) << Defect::Length;
        QTest::newRow("one byte over") << good + '\0' << Defect::Length;
        QTest::newRow("foreign magic") << QByteArray("TQRX") + good.mid(4) << Defect::Magic;
        QTest::newRow("version 0") << withHeaderField(4, 0) << Defect::Version;
        QTest::newRow("version 3") << withHeaderField(4, 3) << Defect::Version;
        QTest::newRow("version 1 with a sequence") << withHeaderField(4, 1) << Defect::Length;
        QTest::newRow("version 2 without a sequence") << version1As2 << Defect::Length;
        QTest::newRow("record size 455") << withHeaderField(6, 455) << Defect::RecordSize;
        QTest::newRow("record size 65535") << withHeaderField(6, 65535) << Defect::RecordSize;
        QTest::newRow("market NUL") << frameOf([](VQuotData &r) { r.market = 0; }) << Defect::Market;
        QTest::newRow("market |") << frameOf([](VQuotData &r) { r.market = '|'; }) << Defect::Market;
        QTest::newRow("market 0x80") << frameOf([](VQuotData &r) { r.market = char(0x80); }) << Defect::Market;
        QTest::newRow("unterminated code")
            << frameOf([](VQuotData &r) { std::memset(r.code, 'A', sizeof r.code); }) << Defect::Code;
        QTest::newRow("empty code") << frameOf([](VQuotData &r) { r.code[0] = 0; }) << Defect::Code;
        QTest::newRow("status 2") << frameOf([](VQuotData &r) { r.status = 2; }) << Defect::Status;
        QTest::newRow("status 0xff") << frameOf([](VQuotData &r) { r.status = char(0xff); }) << Defect::Status;
        QTest::newRow("NaN last price") << frameOf([](VQuotData &r) { r.lastPrice = NaN; }) << Defect::NotFinite;
        QTest::newRow("+Inf bid level 10") << frameOf([](VQuotData &r) { r.bidPrice[9] = Inf; }) << Defect::NotFinite;
        QTest::newRow("-Inf ratio") << frameOf([](VQuotData &r) { r.priceChangeRatio = -Inf; }) << Defect::NotFinite;
        QTest::newRow("price 1e16") << frameOf([](VQuotData &r) { r.highPrice = 1e16; }) << Defect::OutOfRange;
        QTest::newRow("negative quantity") << frameOf([](VQuotData &r) { r.matchQuantity = -1; }) << Defect::OutOfRange;
        QTest::newRow("INT64_MAX open interest")
            << frameOf([](VQuotData &r) { r.openInterest = std::numeric_limits<int64_t>::max(); })
            << Defect::OutOfRange;
        // A record without data is routed by its security alone.
        QTest::newRow("status 0 with NaN") << frameOf([](VQuotData &r) {
            r.status = 0;
            r.lastPrice = NaN;
        }) << Defect::None;
        QTest::newRow("largest level volume")
            << frameOf([](VQuotData &r) { r.bidVolume[9] = 0xffffffffu; }) << Defect::None;
    }
    void hostileFrames()
    {
        QFETCH(QByteArray, frame);
        VQuotData record;
        QTEST(VQuotFrame::decode(frame.constData(), size_t(frame.size()), record), "defect");
    }
};

QTEST_GUILESS_MAIN(TestVQuotFrame)
#include "tst_vquotframe.moc"
