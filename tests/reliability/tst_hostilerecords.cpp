// Hostile quote records straight into every component's receiving slots,
// past the quote manager's own checks: whatever a record holds, nothing
// crashes and every text on screen is "--" or a plain, short number.

#include "livehost.h"

#include <framewait.h>
#include <quotrecord.h>
#include <testutil.h>

#include <icomponent.h>

#include <QtTest>

#include <cfloat>
#include <climits>
#include <cstring>
#include <functional>

namespace {

using Spoil = std::function<void(VQuotData &)>;

void setDoubles(VQuotData &q, double value)
{
    for (double *field : {&q.highPrice, &q.lowPrice, &q.lastPrice, &q.preClosingPrice, &q.openingPrice,
                          &q.settlementPrice, &q.preSettlementPrice, &q.highLimitPrice, &q.lowLimitPrice,
                          &q.matchAmount, &q.avgPrice, &q.priceChange, &q.priceChangeRatio})
        *field = value;
    for (int level = 0; level < 10; ++level)
        q.askPrice[level] = q.bidPrice[level] = value;
}

void setIntegers(VQuotData &q, qint64 value)
{
    q.matchQuantity = q.openInterest = q.preOpenInterest = value;
}

} // namespace

Q_DECLARE_METATYPE(Spoil)

class TestHostileRecords : public QObject
{
    Q_OBJECT

private slots:
    void records_data()
    {
        QTest::addColumn<Spoil>("spoil");
        const struct
        {
            const char *name;
            double value;
        } doubles[] = {{"NaN", std::numeric_limits<double>::quiet_NaN()},
                       {"+Inf", std::numeric_limits<double>::infinity()},
                       {"-Inf", -std::numeric_limits<double>::infinity()},
                       {"-0", -0.0},
                       {"denormal", std::numeric_limits<double>::denorm_min()},
                       {"DBL_MAX", DBL_MAX},
                       {"-DBL_MAX", -DBL_MAX}};
        for (const auto &d : doubles) {
            const double value = d.value;
            QTest::newRow(d.name) << Spoil([value](VQuotData &q) { setDoubles(q, value); });
        }
        QTest::newRow("INT64 max") << Spoil([](VQuotData &q) { setIntegers(q, LLONG_MAX); });
        QTest::newRow("INT64 min") << Spoil([](VQuotData &q) { setIntegers(q, LLONG_MIN); });
        QTest::newRow("volumes 0xFFFFFFFF") << Spoil([](VQuotData &q) {
            for (int level = 0; level < 10; ++level)
                q.askVolume[level] = q.bidVolume[level] = 0xFFFFFFFFu;
        });
        QTest::newRow("unterminated code") << Spoil([](VQuotData &q) { std::memset(q.code, '9', sizeof q.code); });
    }
    void records()
    {
        QFETCH(Spoil, spoil);
        LiveHost f;
        const QList<IComponent *> components = f.showAll();
        QTest::qWait(50);
        for (IComponent *shown : qAsConst(components)) {
            for (int round = 0; round < 2; ++round) { // a plain quote first, then the spoiled one
                VQuotData record = LiveHost::shownRecord(shown);
                setDoubles(record, 10.0 + round);
                setIntegers(record, 100);
                if (round == 1)
                    spoil(record);
                for (IComponent *component : qAsConst(components))
                    LiveHost::deliverDirectly(component, record);
                QVERIFY(waitForFrame()); // the boards write at their next frame
            }
        }
        // A number no wider than a table cell, "--", or words and markup of the
        // component's own (labels), never "nan" or "inf".
        static const QRegularExpression insane(QStringLiteral("nan|inf|\\d{16,}"),
                                               QRegularExpression::CaseInsensitiveOption);
        for (IComponent *component : qAsConst(components)) {
            for (const QString &text : LiveHost::shownTexts(component))
                QVERIFY2(!text.contains(insane), qPrintable(component->className() + u(": ") + text));
        }
    }

    // Every status and market byte, through every component: nothing
    // crashes.
    void everyStatusAndMarket()
    {
        LiveHost f;
        const QList<IComponent *> components = f.showAll();
        for (int byte = 0; byte < 256; ++byte) {
            VQuotData record = makeQuotRecord(char(byte), "600519");
            record.status = char(byte);
            for (IComponent *component : qAsConst(components))
                LiveHost::deliverDirectly(component, record);
        }
        QTest::qWait(40);
    }
};

QTEST_MAIN(TestHostileRecords)
#include "tst_hostilerecords.moc"
