// The sample market: its calendar, the market generated from the shipped files, and the host's reading of
// those files, broken ones among them.

#include <contractcalendar.h>
#include <hostcontext.h>
#include <samplemarket.h>
#include <testhost.h>
#include <testutil.h>
#include <vbusiness.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vlocaldb.h>
#include <vsimoption.h>
#include <vsimquotfeed.h>

#include <QtTest>

#include <cmath>

namespace {

QDate date(int yyyymmdd)
{
    return QDate::fromString(QString::number(yyyymmdd), QStringLiteral("yyyyMMdd"));
}

QString value(const SampleTable &table, int row, const char *field)
{
    return table.rows.at(row).value(table.fieldIndex(QLatin1String(field))).toString();
}

// The rows of table keyed by one field.
QHash<QString, int> rowsBy(const SampleTable &table, const char *field)
{
    QHash<QString, int> rows;
    for (int row = 0; row < table.rows.size(); ++row)
        rows.insert(value(table, row, field), row);
    return rows;
}

} // namespace

class TestSampleMarket : public QObject
{
    Q_OBJECT

private:
    SampleSource m_source; // the shipped files
    SampleMarket m_december; // their market on 15 December 2026

private slots:
    void initTestCase()
    {
        m_source.read(QStringLiteral(TARN_DATA_DIR));
        QCOMPARE(m_source.problems(), QStringList());
        m_december = SampleMarket::generate(m_source, date(20261215));
    }

    void expiryRule_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<int>("month"); // yyyymm
        QTest::addColumn<int>("expected"); // 0: the rule is refused

        QTest::newRow("15th on a Saturday moves to Monday") << u("day15") << 202608 << 20260817;
        QTest::newRow("15th on a Sunday moves to Monday") << u("day15") << 202602 << 20260216;
        QTest::newRow("10th weekday, month starting on Saturday") << u("weekday10") << 202608 << 20260814;
        QTest::newRow("third Friday, month starting on Friday") << u("friday3") << 202701 << 20270115;
        QTest::newRow("fourth Wednesday, month starting on Monday") << u("wednesday4") << 202703 << 20270324;
        for (const char *text : {"day", "day0", "day31", "weekday25", "friday5", "funday3", "Friday 3"})
            QTest::newRow(text) << u(text) << 0 << 0;
    }

    void expiryRule()
    {
        QFETCH(QString, rule);
        QFETCH(int, month);
        QFETCH(int, expected);
        bool ok = false;
        const ExpiryRule expiry = ExpiryRule::parse(rule, &ok);
        QCOMPARE(ok, expected != 0);
        if (ok)
            QCOMPARE(expiry.lastTradingDay(month / 100, month % 100), date(expected));
    }

    void listingRule_data()
    {
        QTest::addColumn<QString>("listing");
        QTest::addColumn<QString>("expiry");
        QTest::addColumn<int>("businessDate");
        QTest::addColumn<QString>("months"); // yyMM; empty: the rule is refused

        QTest::newRow("monthly, the day after") << u("monthly") << u("day15") << 20261216
                                                << u("2701 2702 2703 2704 2705 2706 2707 2708 2709 2710 2711 2712");
        QTest::newRow("listed months, after expiry") << u("1 5 9") << u("weekday10") << 20270115 << u("2705 2709 2801");
        QTest::newRow("index, on the expiry day") << u("index") << u("friday3") << 20261218 << u("2612 2701 2703 2706");
        QTest::newRow("index, next month is a quarter month")
            << u("index") << u("friday3") << 20270201 << u("2702 2703 2706 2709");
        QTest::newRow("quarterly, outside a quarter month")
            << u("quarterly") << u("friday2") << 20261105 << u("2612 2703 2706");
        for (const char *text : {"weekly", "0 5", "1 13", "1 1", "1,5,9"})
            QTest::newRow(text) << u(text) << u("day15") << 0 << QString();
    }

    void listingRule()
    {
        QFETCH(QString, listing);
        QFETCH(QString, expiry);
        QFETCH(int, businessDate);
        QFETCH(QString, months);
        bool ok = false;
        const ListingRule rule = ListingRule::parse(listing, &ok);
        QCOMPARE(ok, !months.isEmpty());
        if (!ok)
            return;
        QStringList listed;
        for (const QDate &month : rule.months(date(businessDate), ExpiryRule::parse(expiry, nullptr)))
            listed << month.toString(QStringLiteral("yyMM"));
        QCOMPARE(listed.join(QLatin1Char(' ')), months);
    }

    void generatedMarket()
    {
        // On expiry days and the days after them, around a year end and mid-year.
        for (const int day : {20261215, 20261216, 20261223, 20270115, 20270624}) {
            const SampleMarket market = SampleMarket::generate(m_source, date(day));
            QVERIFY(market.futures.rows.size() > 300 && market.options.rows.size() > 300);
            for (const SampleTable *contracts : {&market.futures, &market.options}) {
                for (int row = 0; row < contracts->rows.size(); ++row)
                    QVERIFY2(value(*contracts, row, "expiredate").toInt() >= day,
                             qPrintable(value(*contracts, row, "stkid")));
            }
            const SampleMarket again = SampleMarket::generate(m_source, date(day));
            QCOMPARE(again.securities.rows, market.securities.rows);
            QCOMPARE(again.futures.rows, market.futures.rows);
            QCOMPARE(again.options.rows, market.options.rows);
            QCOMPARE(rowsBy(market.securities, "stkid").size(), market.securities.rows.size()); // ids are unique
        }
    }

    void monthsRollOverTheYearEnd()
    {
        const QHash<QString, int> before = rowsBy(m_december.futures, "stkid");
        // Copper's December contract expires that day and is still listed; Zhengzhou codes carry a one-digit year.
        for (const char *id : {"Hcu2612", "Hrb2701", "ZSR701", "FIF2612"})
            QVERIFY2(before.contains(QLatin1String(id)), id);

        const SampleMarket after = SampleMarket::generate(m_source, date(20261221));
        const QHash<QString, int> rows = rowsBy(after.futures, "stkid");
        QVERIFY(!rows.contains(QStringLiteral("Hcu2612")) && !rows.contains(QStringLiteral("FIF2612")));
        for (const char *id : {"Hcu2712", "FIF2701", "FIF2702", "FIF2703", "FIF2706"})
            QVERIFY2(rows.contains(QLatin1String(id)), id);
        QCOMPARE(value(after.futures, rows.value(QStringLiteral("FIF2701")), "expiredate"), QStringLiteral("20270115"));

        // Options listed on both dates keep their ids, names and expiries; 50ETF has four expiries of nine
        // strikes around its previous close 2.752, a call and a put each.
        const QHash<QString, int> laterOptions = rowsBy(after.options, "stkid");
        const SampleTable &options = m_december.options;
        QMultiMap<QString, QString> fiftyEtf; // strikes by expiry
        for (int row = 0; row < options.rows.size(); ++row) {
            const int other = laterOptions.value(value(options, row, "stkid"), -1);
            QVERIFY(other >= 0);
            QCOMPARE(after.options.rows.at(other), options.rows.at(row));
            if (value(options, row, "securityid") == QLatin1String("1510050"))
                fiftyEtf.insert(value(options, row, "expiredate"), value(options, row, "exerciseprice"));
        }
        QCOMPARE(fiftyEtf.uniqueKeys().join(QLatin1Char(' ')), QStringLiteral("20261223 20270127 20270324 20270623"));
        QCOMPARE(fiftyEtf.size(), 4 * 9 * 2);
        QCOMPARE(fiftyEtf.values(QStringLiteral("20270324")).count(QStringLiteral("2.750")), 2);
    }

    // An option's previous settlement is the model's value at its
    // underlying's close, with the volatility smile.csv documents: atm +
    // term × (T − 0.25) + skew × x + curve × x², x = ln(K / S) / √T, T the days
    // to expiry over 365. The volatility it implies is within half a point of
    // that wherever half a point moves the price by two steps or more (and a
    // deep in-the-money put is not held at its intrinsic value).
    void optionsFollowTheSmile()
    {
        const QHash<QString, int> securities = rowsBy(m_december.securities, "stkid");
        const SampleTable &options = m_december.options;
        int checked = 0;
        for (int row = 0; row < options.rows.size(); ++row) {
            const QString underlying = value(options, row, "securityid");
            const SampleSmile smile = m_source.optionModel.smiles.value(underlying);
            const double spot = value(m_december.securities, securities.value(underlying), "preclose").toDouble();
            const double settlement
                = value(m_december.securities, securities.value(value(options, row, "stkid")), "preclose").toDouble();
            const double strike = value(options, row, "exerciseprice").toDouble();
            const double years = date(20261215).daysTo(date(value(options, row, "expiredate").toInt())) / 365.0;
            const double x = std::log(strike / spot) / std::sqrt(years);
            const double vol = smile.atm + smile.term * (years - 0.25) + smile.skew * x + smile.curve * x * x;
            const bool call = value(options, row, "callorput") == QLatin1String("C");
            const double rate = m_source.optionModel.riskFreeRate;
            const VSimOptionTerms lower {call, strike, years, vol - 0.005, rate},
                upper {call, strike, years, vol + 0.005, rate};
            if (upper.value(spot) - lower.value(spot) < 0.0002 || settlement <= lower.intrinsic(spot) + 0.00005)
                continue;
            QVERIFY2(lower.value(spot) - 0.00005 <= settlement && settlement <= upper.value(spot) + 0.00005,
                     qPrintable(value(options, row, "stkid")));
            ++checked;
        }
        QVERIFY(checked > options.rows.size() / 2);
    }

    // A bad line of a source file is logged and skipped, a bad file refused; the host serves the rest.
    void brokenSource_data()
    {
        QTest::addColumn<QString>("file"); // empty: the whole folder
        QTest::addColumn<QByteArray>("content"); // empty: removed
        QTest::addColumn<bool>("append"); // a line added to the file, or its whole content
        QTest::addColumn<QString>("problem"); // words of the first problem
        QTest::addColumn<QString>("caches"); // securities, futures and options: 1 usable, 0 not usable, - missing

        const auto row = [](const char *tag, const char *file, const QByteArray &content, bool append,
                            const char *problem, const char *caches = "111") {
            QTest::newRow(tag) << u(file) << content << append << u(problem) << u(caches);
        };
        row("too few fields", "securities.csv", "1,600001,某某\n", true, "securities.csv 字段数不符");
        row("duplicate security", "securities.csv", "1,600519,茅台,mt,0,1.00,50\n", true, "证券[600519]重复");
        row("a turnover that is no number", "securities.csv", "1,600001,某某,mm,0,1.00,很多\n", true, "成交额[很多]");
        row("unknown listing rule", "futures.csv", "H,xx,某品种,1,10,3000,0.07,weekly,day15,10,1 5 9\n", true,
            "futures.csv 挂牌规则[weekly]");
        row("unknown main months", "futures.csv", "H,xx,某品种,1,10,3000,0.07,monthly,day15,10,1 13\n", true,
            "futures.csv 主力月份[1 13]");
        row("option series taken", "options.csv", "1510180,5,180ETF,0,10\n", true, "options.csv 系列号[0]重复");
        row("option without underlying", "options.csv", "1599999,5,无此ETF,9,10\n", true, "1599999");
        row("futures missing", "futures.csv", QByteArray(), false, "futures.csv 不存在", "101");
        // Without stocks the options have no underlying: their cache is empty but usable.
        row("securities corrupt", "securities.csv", "market,stkcode\n\"1,600000\n", false, "securities.csv 读取失败");
        row("dictionary corrupt", "dict.csv", QByteArray("\0\1\2\3", 4), false, "dict.csv 缺少列");
        row("underlying without a smile", "smile.csv", "underlying,atm,term,skew,curve\n1510300,0.17,0.02,-0.05,0.12\n",
            false, "期权标的[1510050]没有波动率参数");
        row("rate not a number", "rate.csv", "rate\nabc\n", false, "rate.csv 无风险利率[abc]无效");
        row("no data folder", "", QByteArray(), false, "securities.csv 不存在", "000");
    }

    void brokenSource()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(bool, append);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        const QString data = dir.filePath(u("data"));
        QVERIFY(QDir().mkpath(data));
        for (const char *name : {"securities.csv", "futures.csv", "options.csv", "dict.csv", "smile.csv", "rate.csv"}) {
            const QString target = data + QLatin1Char('/') + QLatin1String(name);
            QVERIFY(QFile::copy(QStringLiteral(TARN_DATA_DIR "/") + QLatin1String(name), target));
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        }
        QFile spoilt(data + QLatin1Char('/') + file);
        if (file.isEmpty())
            QVERIFY(QDir(data).removeRecursively());
        else if (content.isEmpty())
            QVERIFY(spoilt.remove());
        else
            QVERIFY(spoilt.open(append ? QIODevice::Append : QIODevice::WriteOnly) && spoilt.write(content) > 0);
        spoilt.close();

        TestHost host(20261215, data);
        const QStringList problems = host.context().loadProblems();
        QVERIFY(!problems.isEmpty() && (problems.size() == 1 || !append));
        for (const QString &word : problem.split(QLatin1Char(' ')))
            QVERIFY2(problems.constFirst().contains(word), qPrintable(problems.constFirst()));
        for (const QString &logged : problems)
            QVERIFY2(host.log().contains(3, logged), qPrintable(logged));
        // Every cache is there to be asked for; the broken ones say so. The configuration is unaffected.
        QString states;
        for (const QString &name :
             {VCacheMgr::StockCacheName, SampleMarket::FuturesCacheName, SampleMarket::OptionCacheName}) {
            const VCacheItem *cache = host.context().cacheMgr()->cache(name);
            states += !cache ? QLatin1Char('-') : cache->isNormal() ? QLatin1Char('1') : QLatin1Char('0');
        }
        QTEST(states, "caches");
        QVERIFY(host.context().localDb()->isOpen());
    }

    void invalidBusinessDateFallsBackToToday()
    {
        TestHost host(20261345);
        const QStringList problems = host.context().loadProblems();
        QCOMPARE(problems.size(), 1);
        QVERIFY(problems.constFirst().contains(u("20261345")) && host.log().contains(3, problems.constFirst()));
        QCOMPARE(host.context().business()->sysDate(), QDate::currentDate().toString(u("yyyyMMdd")).toInt());
    }

    // The limits, and the walk a security shares: a futures product's, an option's underlying's.
    void simInstrument_data()
    {
        QTest::addColumn<QString>("stkid");
        QTest::addColumn<double>("limitRatio"); // 0: not a security of the caches
        QTest::addColumn<QString>("driver"); // empty: its own

        QTest::newRow("main board") << u("0000001") << 0.10 << QString();
        QTest::newRow("ChiNext") << u("0300750") << 0.20 << QString();
        QTest::newRow("STAR market") << u("1688981") << 0.20 << QString();
        QTest::newRow("commodity futures") << u("Hrb2701") << 0.07 << u("H|rb");
        QTest::newRow("fund option") << u("510350055") << 0.10 << u("1|510050");
        QTest::newRow("unknown") << u("1999999") << 0.0 << QString();
    }

    void simInstrument()
    {
        QFETCH(QString, stkid);
        QFETCH(double, limitRatio);
        QFETCH(QString, driver);
        TestHost host(20261215, QStringLiteral(TARN_DATA_DIR));
        VSimInstrument instrument;
        QCOMPARE(host.context().simInstrument(stkid.at(0).toLatin1(), stkid.mid(1), instrument), limitRatio > 0);
        if (limitRatio > 0)
            QCOMPARE(qMakePair(instrument.limitRatio, QString::fromUtf8(instrument.driver)),
                     qMakePair(limitRatio, driver));
    }
};

QTEST_MAIN(TestSampleMarket)
#include "tst_samplemarket.moc"
