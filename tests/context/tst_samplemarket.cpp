#include <contractcalendar.h>
#include <logcapture.h>
#include <samplemarket.h>
#include <vlogsink.h>

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

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

// Words separated by blanks.
QStringList words(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '));
}

const SampleSource &shippedSource()
{
    static const SampleSource source = [] {
        SampleSource s;
        s.read(QStringLiteral(TARN_DATA_DIR));
        return s;
    }();
    return source;
}

} // namespace

class TestSampleMarket : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void expiryRule_data();
    void expiryRule();
    void listingRule_data();
    void listingRule();
    void malformedRulesAreRefused();

    void shippedSourceReadsCleanly();
    void noContractHasExpired_data();
    void noContractHasExpired();
    void listedMonthsNeverExpire();
    void monthsRollOverTheYearEnd();
    void contractsAreConsistentAcrossCaches();
    void optionChains();
    void generationIsDeterministicAndIdsStable();
    void dictionaryComesWithTheData();

    void badSourceLines_data();
    void badSourceLines();
    void unusableFiles_data();
    void unusableFiles();
    void optionWithoutUnderlyingIsSkipped();

private:
    void writeFile(const QString &path, const QByteArray &content);
    QString copyOfShippedData();

    QTemporaryDir m_dir;
};

void TestSampleMarket::initTestCase()
{
    VLog::setFileLogging(false);
    QVERIFY(m_dir.isValid());
}

void TestSampleMarket::expiryRule_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<int>("month"); // yyyymm
    QTest::addColumn<int>("expected");

    QTest::newRow("15th on a weekday") << QStringLiteral("day15") << 202612 << 20261215;
    QTest::newRow("15th on a Saturday moves to Monday") << QStringLiteral("day15") << 202608 << 20260817;
    QTest::newRow("15th on a Sunday moves to Monday") << QStringLiteral("day15") << 202602 << 20260216;
    QTest::newRow("10th weekday, month starting on Saturday") << QStringLiteral("weekday10") << 202608 << 20260814;
    QTest::newRow("10th weekday, month starting on Friday") << QStringLiteral("weekday10") << 202701 << 20270114;
    QTest::newRow("third Friday") << QStringLiteral("friday3") << 202612 << 20261218;
    QTest::newRow("third Friday, month starting on Friday") << QStringLiteral("friday3") << 202701 << 20270115;
    QTest::newRow("second Friday") << QStringLiteral("friday2") << 202703 << 20270312;
    QTest::newRow("fourth Wednesday") << QStringLiteral("wednesday4") << 202612 << 20261223;
    QTest::newRow("fourth Wednesday, month starting on Monday") << QStringLiteral("wednesday4") << 202703 << 20270324;
}

void TestSampleMarket::expiryRule()
{
    QFETCH(QString, rule);
    QFETCH(int, month);
    QFETCH(int, expected);
    bool ok = false;
    const ExpiryRule expiry = ExpiryRule::parse(rule, &ok);
    QVERIFY(ok);
    QCOMPARE(expiry.lastTradingDay(month / 100, month % 100), date(expected));
}

void TestSampleMarket::listingRule_data()
{
    QTest::addColumn<QString>("listing");
    QTest::addColumn<QString>("expiry");
    QTest::addColumn<int>("businessDate");
    QTest::addColumn<QStringList>("months"); // yyMM

    QTest::newRow("monthly, on the expiry day") << QStringLiteral("monthly") << QStringLiteral("day15") << 20261215
                                                << words("2612 2701 2702 2703 2704 2705 2706 2707 2708 2709 2710 2711");
    QTest::newRow("monthly, the day after") << QStringLiteral("monthly") << QStringLiteral("day15") << 20261216
                                            << words("2701 2702 2703 2704 2705 2706 2707 2708 2709 2710 2711 2712");
    QTest::newRow("listed months, before expiry")
        << QStringLiteral("1 5 9") << QStringLiteral("weekday10") << 20270114 << words("2701 2705 2709");
    QTest::newRow("listed months, after expiry")
        << QStringLiteral("1 5 9") << QStringLiteral("weekday10") << 20270115 << words("2705 2709 2801");
    QTest::newRow("index, on the expiry day")
        << QStringLiteral("index") << QStringLiteral("friday3") << 20261218 << words("2612 2701 2703 2706");
    QTest::newRow("index, after expiry") << QStringLiteral("index") << QStringLiteral("friday3") << 20261221
                                         << words("2701 2702 2703 2706");
    QTest::newRow("index, next month is a quarter month")
        << QStringLiteral("index") << QStringLiteral("friday3") << 20270201 << words("2702 2703 2706 2709");
    QTest::newRow("quarterly, on the expiry day")
        << QStringLiteral("quarterly") << QStringLiteral("friday2") << 20261211 << words("2612 2703 2706");
    QTest::newRow("quarterly, after expiry")
        << QStringLiteral("quarterly") << QStringLiteral("friday2") << 20261214 << words("2703 2706 2709");
    QTest::newRow("quarterly, outside a quarter month")
        << QStringLiteral("quarterly") << QStringLiteral("friday2") << 20261105 << words("2612 2703 2706");
}

void TestSampleMarket::listingRule()
{
    QFETCH(QString, listing);
    QFETCH(QString, expiry);
    QFETCH(int, businessDate);
    QFETCH(QStringList, months);
    bool listingOk = false;
    bool expiryOk = false;
    const ListingRule rule = ListingRule::parse(listing, &listingOk);
    const ExpiryRule expiryRule = ExpiryRule::parse(expiry, &expiryOk);
    QVERIFY(listingOk && expiryOk);
    QStringList listed;
    for (const QDate &month : rule.months(date(businessDate), expiryRule))
        listed << month.toString(QStringLiteral("yyMM"));
    QCOMPARE(listed, months);
}

void TestSampleMarket::malformedRulesAreRefused()
{
    for (const char *text : {"", "day", "day0", "day31", "weekday25", "friday5", "funday3", "Friday 3"}) {
        bool ok = true;
        ExpiryRule::parse(QLatin1String(text), &ok);
        QVERIFY2(!ok, text);
    }
    for (const char *text : {"", "weekly", "0 5", "1 13", "1 1", "1,5,9"}) {
        bool ok = true;
        ListingRule::parse(QLatin1String(text), &ok);
        QVERIFY2(!ok, text);
    }
}

void TestSampleMarket::shippedSourceReadsCleanly()
{
    const SampleSource &source = shippedSource();
    QCOMPARE(source.problems(), QStringList());
    QVERIFY(source.stocks.size() >= 200);
    QSet<QString> exchanges;
    for (const SampleProduct &product : source.products)
        exchanges.insert(product.market);
    const QStringList expected = words("H D Z F");
    QCOMPARE(exchanges, QSet<QString>(expected.cbegin(), expected.cend()));
    QVERIFY(!source.optionSeries.isEmpty());
}

void TestSampleMarket::noContractHasExpired_data()
{
    QTest::addColumn<int>("businessDate");
    // Expiry days and the days after them, around a year end and mid-year.
    for (const int day : {20261211, 20261214, 20261215, 20261216, 20261218, 20261221, 20261223, 20261224, 20261231,
                          20270101, 20270114, 20270115, 20270616, 20270618, 20270623, 20270624}) {
        QTest::newRow(QByteArray::number(day).constData()) << day;
    }
}

void TestSampleMarket::listedMonthsNeverExpire()
{
    // The listing rule of every shipped product on every day of three years.
    QVector<QPair<ListingRule, ExpiryRule>> rules;
    for (const SampleProduct &product : shippedSource().products)
        rules.append({product.listing, product.expiry});
    const ExpiryRule fourthWednesday = ExpiryRule::parse(QStringLiteral("wednesday4"), nullptr);
    rules.append({ListingRule::parse(QStringLiteral("index"), nullptr), fourthWednesday}); // fund options
    for (QDate day = date(20260101); day < date(20290101); day = day.addDays(1)) {
        for (const auto &rule : qAsConst(rules)) {
            const QVector<QDate> months = rule.first.months(day, rule.second);
            QVERIFY(!months.isEmpty());
            QVERIFY2(rule.second.lastTradingDay(months.first().year(), months.first().month()) >= day,
                     qPrintable(day.toString()));
            for (int i = 1; i < months.size(); ++i)
                QVERIFY(months.at(i - 1) < months.at(i));
        }
    }
}

void TestSampleMarket::noContractHasExpired()
{
    QFETCH(int, businessDate);
    const SampleMarket market = SampleMarket::generate(shippedSource(), date(businessDate));
    QVERIFY(market.futures.rows.size() > 300);
    QVERIFY(market.options.rows.size() > 300);
    for (int row = 0; row < market.futures.rows.size(); ++row)
        QVERIFY2(value(market.futures, row, "expiredate").toInt() >= businessDate,
                 qPrintable(value(market.futures, row, "stkid")));
    for (int row = 0; row < market.options.rows.size(); ++row) {
        QVERIFY(value(market.options, row, "expiredate").toInt() >= businessDate);
        QVERIFY(value(market.options, row, "enddate").toInt() >= businessDate);
    }
}

void TestSampleMarket::monthsRollOverTheYearEnd()
{
    const SampleMarket onExpiry = SampleMarket::generate(shippedSource(), date(20261215));
    const QHash<QString, int> before = rowsBy(onExpiry.futures, "stkid");
    QVERIFY(before.contains(QStringLiteral("Hcu2612"))); // expires that day: still listed
    QVERIFY(before.contains(QStringLiteral("Hrb2701")));
    QVERIFY(before.contains(QStringLiteral("Dm2701")));
    QVERIFY(before.contains(QStringLiteral("ZSR701"))); // Zhengzhou codes carry a one-digit year
    QVERIFY(before.contains(QStringLiteral("FIF2612")));

    const SampleMarket after = SampleMarket::generate(shippedSource(), date(20261221));
    const QHash<QString, int> rows = rowsBy(after.futures, "stkid");
    QVERIFY(!rows.contains(QStringLiteral("Hcu2612")));
    QVERIFY(rows.contains(QStringLiteral("Hcu2712")));
    QVERIFY(!rows.contains(QStringLiteral("FIF2612")));
    for (const char *id : {"FIF2701", "FIF2702", "FIF2703", "FIF2706"})
        QVERIFY2(rows.contains(QLatin1String(id)), id);
    QCOMPARE(value(after.futures, rows.value(QStringLiteral("FIF2701")), "expiredate"), QStringLiteral("20270115"));
    QCOMPARE(value(after.futures, rows.value(QStringLiteral("Hrb2701")), "stkname"), QStringLiteral("螺纹钢2701"));
}

void TestSampleMarket::contractsAreConsistentAcrossCaches()
{
    const SampleMarket market = SampleMarket::generate(shippedSource(), date(20261205));
    QCOMPARE(market.securities.fields, words("stkid market stkcode stkname stktype priceunit preclose"));
    for (const char *field :
         {"stkid", "market", "stkcode", "stkname", "productid", "expiredate", "convertunit", "priceunit"})
        QVERIFY2(market.futures.fieldIndex(QLatin1String(field)) >= 0, field);
    for (const char *field : {"securityid", "expiredate", "exerciseprice", "callorput", "enddate", "stkid", "stkcode",
                              "market", "contractname"})
        QVERIFY2(market.options.fieldIndex(QLatin1String(field)) >= 0, field);

    const QHash<QString, int> securities = rowsBy(market.securities, "stkid");
    QCOMPARE(securities.size(), market.securities.rows.size()); // ids are unique
    for (int row = 0; row < market.securities.rows.size(); ++row) {
        QCOMPARE(value(market.securities, row, "stkid"),
                 value(market.securities, row, "market") + value(market.securities, row, "stkcode"));
        const double priceUnit = value(market.securities, row, "priceunit").toDouble();
        const double preClose = value(market.securities, row, "preclose").toDouble();
        QVERIFY(priceUnit > 0 && preClose >= priceUnit);
        QVERIFY(std::abs(preClose / priceUnit - std::round(preClose / priceUnit)) < 1e-6); // on the price grid
    }
    for (int row = 0; row < market.futures.rows.size(); ++row) {
        const int security = securities.value(value(market.futures, row, "stkid"), -1);
        QVERIFY(security >= 0);
        const QString type = value(market.securities, security, "stktype");
        QCOMPARE(type,
                 value(market.futures, row, "market") == QLatin1String("F") ? QStringLiteral("R")
                                                                            : QStringLiteral("Q"));
        QCOMPARE(value(market.securities, security, "stkname"), value(market.futures, row, "stkname"));
    }
    for (int row = 0; row < market.options.rows.size(); ++row) {
        const int security = securities.value(value(market.options, row, "stkid"), -1);
        QVERIFY(security >= 0);
        QCOMPARE(value(market.securities, security, "stktype"), QStringLiteral("S"));
        QCOMPARE(value(market.securities, security, "stkname"), value(market.options, row, "contractname"));
        const int underlying = securities.value(value(market.options, row, "securityid"), -1);
        QVERIFY(underlying >= 0);
        QCOMPARE(value(market.securities, underlying, "stktype"), QStringLiteral("4"));
    }
}

void TestSampleMarket::optionChains()
{
    const SampleMarket market = SampleMarket::generate(shippedSource(), date(20261215));
    // 50ETF: four expiries of nine strikes, a call and a put each.
    QMap<QString, QSet<QString>> strikesByExpiry;
    QHash<QString, QString> nameByKey;
    for (int row = 0; row < market.options.rows.size(); ++row) {
        if (value(market.options, row, "securityid") != QLatin1String("1510050"))
            continue;
        const QString expiry = value(market.options, row, "expiredate");
        const QString strike = value(market.options, row, "exerciseprice");
        strikesByExpiry[expiry].insert(strike);
        nameByKey.insert(expiry + strike + value(market.options, row, "callorput"),
                         value(market.options, row, "contractname"));
    }
    QCOMPARE(strikesByExpiry.keys(), (words("20261223 20270127 20270324 20270623")));
    for (const QSet<QString> &strikes : qAsConst(strikesByExpiry))
        QCOMPARE(strikes.size(), 9);
    QVERIFY(strikesByExpiry.value(QStringLiteral("20261223"))
                .contains(QStringLiteral("2.750"))); // around the previous close 2.752
    QCOMPARE(nameByKey.value(QStringLiteral("202703242.750C")), QStringLiteral("50ETF购3月2750"));
    QCOMPARE(nameByKey.value(QStringLiteral("202703242.750P")), QStringLiteral("50ETF沽3月2750"));
    QCOMPARE(nameByKey.size(), 4 * 9 * 2);
}

void TestSampleMarket::generationIsDeterministicAndIdsStable()
{
    const SampleMarket first = SampleMarket::generate(shippedSource(), date(20261215));
    const SampleMarket again = SampleMarket::generate(shippedSource(), date(20261215));
    QCOMPARE(again.securities.rows, first.securities.rows);
    QCOMPARE(again.futures.rows, first.futures.rows);
    QCOMPARE(again.options.rows, first.options.rows);

    // A contract listed on two dates keeps its id, code and name.
    const SampleMarket later = SampleMarket::generate(shippedSource(), date(20270104));
    const QHash<QString, int> laterOptions = rowsBy(later.options, "stkid");
    int shared = 0;
    for (int row = 0; row < first.options.rows.size(); ++row) {
        const int other = laterOptions.value(value(first.options, row, "stkid"), -1);
        if (other < 0)
            continue;
        ++shared;
        QCOMPARE(value(later.options, other, "contractname"), value(first.options, row, "contractname"));
        QCOMPARE(value(later.options, other, "expiredate"), value(first.options, row, "expiredate"));
    }
    QVERIFY(shared > 100);
}

void TestSampleMarket::dictionaryComesWithTheData()
{
    const SampleMarket market = SampleMarket::generate(shippedSource(), date(20261205));
    QHash<QString, QString> markets;
    QHash<QString, QString> products;
    for (const SampleDictItem &item : market.dictItems) {
        if (item.entry == QLatin1String("4"))
            markets.insert(item.item, item.text);
        else if (item.entry == QLatin1String("30070"))
            products.insert(item.item, item.text);
    }
    QCOMPARE(markets.value(QStringLiteral("1")), QStringLiteral("上交所"));
    QCOMPARE(markets.value(QStringLiteral("0")), QStringLiteral("深交所"));
    QCOMPARE(markets.value(QStringLiteral("H")), QStringLiteral("上期所"));
    QCOMPARE(markets.value(QStringLiteral("D")), QStringLiteral("大商所"));
    QCOMPARE(markets.value(QStringLiteral("Z")), QStringLiteral("郑商所"));
    QCOMPARE(markets.value(QStringLiteral("F")), QStringLiteral("中金所"));
    QCOMPARE(markets.value(QStringLiteral("5")), QStringLiteral("上交所期权"));
    QCOMPARE(markets.value(QStringLiteral("6")), QStringLiteral("深交所期权"));
    QCOMPARE(products.value(QStringLiteral("rb")), QStringLiteral("螺纹钢"));
    QCOMPARE(products.size(), shippedSource().products.size());
}

void TestSampleMarket::badSourceLines_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("reason");

    QTest::newRow("too few fields") << QStringLiteral("securities.csv") << QByteArray("1,600001,某某")
                                    << QStringLiteral("字段数不符");
    QTest::newRow("unknown market") << QStringLiteral("securities.csv") << QByteArray("9,600001,某某,0,10.00")
                                    << QStringLiteral("市场代码[9]无效");
    QTest::newRow("code not six digits") << QStringLiteral("securities.csv") << QByteArray("1,6001,某某,0,10.00")
                                         << QStringLiteral("证券代码[6001]无效");
    QTest::newRow("price not a number") << QStringLiteral("securities.csv") << QByteArray("1,600001,某某,0,abc")
                                        << QStringLiteral("昨收盘价[abc]无效");
    QTest::newRow("duplicate security") << QStringLiteral("securities.csv") << QByteArray("1,600519,贵州茅台,0,1500.00")
                                        << QStringLiteral("证券[600519]重复");
    QTest::newRow("unknown listing rule")
        << QStringLiteral("futures.csv") << QByteArray("H,xx,某品种,1,10,3000,0.07,weekly,day15")
        << QStringLiteral("挂牌规则[weekly]无效");
    QTest::newRow("unknown expiry rule") << QStringLiteral("futures.csv")
                                         << QByteArray("H,xx,某品种,1,10,3000,0.07,monthly,day40")
                                         << QStringLiteral("到期规则[day40]无效");
    QTest::newRow("limit not a fraction")
        << QStringLiteral("futures.csv") << QByteArray("H,xx,某品种,1,10,3000,7,monthly,day15")
        << QStringLiteral("涨跌停幅度[7]无效");
    QTest::newRow("option series taken") << QStringLiteral("options.csv") << QByteArray("1510180,5,180ETF,0")
                                         << QStringLiteral("系列号[0]重复");
}

void TestSampleMarket::badSourceLines()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, line);
    QFETCH(QString, reason);
    const QString dir = copyOfShippedData();
    QFile out(dir + QLatin1Char('/') + file);
    QVERIFY(out.open(QIODevice::Append));
    out.write(line + "\n");
    out.close();

    LogCapture log;
    SampleSource source;
    source.read(dir);
    QCOMPARE(source.problems().size(), 1);
    const QString problem = source.problems().constFirst();
    QVERIFY2(problem.contains(file) && problem.contains(reason) && problem.contains(QStringLiteral("已跳过")),
             qPrintable(problem));
    QVERIFY(log.contains(3, problem));
    // Everything else is kept.
    QCOMPARE(source.stocks.size(), shippedSource().stocks.size());
    QCOMPARE(source.products.size(), shippedSource().products.size());
    QCOMPARE(source.optionSeries.size(), shippedSource().optionSeries.size());
}

void TestSampleMarket::unusableFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content"); // empty: the file is removed
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("unread");

    QTest::newRow("missing") << QStringLiteral("futures.csv") << QByteArray() << QStringLiteral("不存在")
                             << int(SampleSource::Futures);
    QTest::newRow("unterminated quote") << QStringLiteral("securities.csv")
                                        << QByteArray("market,stkcode,stkname,stktype,preclose\n"
                                                      "1,600000,\"浦发银行,0,10.52\n")
                                        << QStringLiteral("读取失败") << int(SampleSource::Securities);
    QTest::newRow("missing column") << QStringLiteral("options.csv")
                                    << QByteArray("underlying,market,name\n1510050,5,50ETF\n")
                                    << QStringLiteral("缺少列: series") << int(SampleSource::Options);
    QTest::newRow("binary garbage") << QStringLiteral("dict.csv") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)
                                    << QStringLiteral("缺少列") << int(SampleSource::Dict);
}

void TestSampleMarket::unusableFiles()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    QFETCH(int, unread);
    const QString dir = copyOfShippedData();
    QFile::remove(dir + QLatin1Char('/') + file);
    if (!content.isEmpty())
        writeFile(dir + QLatin1Char('/') + file, content);

    SampleSource source;
    source.read(dir);
    QCOMPARE(source.problems().size(), 1);
    QVERIFY2(source.problems().constFirst().contains(file) && source.problems().constFirst().contains(reason),
             qPrintable(source.problems().constFirst()));
    for (int kind = SampleSource::Securities; kind <= SampleSource::Dict; ++kind)
        QCOMPARE(source.hasRead(SampleSource::File(kind)), kind != unread);
}

void TestSampleMarket::optionWithoutUnderlyingIsSkipped()
{
    const QString dir = copyOfShippedData();
    QFile out(dir + QStringLiteral("/options.csv"));
    QVERIFY(out.open(QIODevice::Append));
    out.write("1599999,5,无此ETF,9\n");
    out.close();
    SampleSource source;
    source.read(dir);
    QCOMPARE(source.problems(), QStringList());

    LogCapture log;
    const SampleMarket market = SampleMarket::generate(source, date(20261205));
    QCOMPARE(market.problems.size(), 1);
    QVERIFY(market.problems.constFirst().contains(QLatin1String("1599999")));
    QVERIFY(log.contains(3, market.problems.constFirst()));
    QCOMPARE(market.options.rows.size(), SampleMarket::generate(shippedSource(), date(20261205)).options.rows.size());
}

void TestSampleMarket::writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

// A fresh copy of the shipped source files in a folder of its own.
QString TestSampleMarket::copyOfShippedData()
{
    static int copies = 0;
    const QString name = QStringLiteral("data%1").arg(++copies);
    QDir(m_dir.path()).mkdir(name);
    const QString dir = m_dir.filePath(name);
    for (const char *file : {"securities.csv", "futures.csv", "options.csv", "dict.csv"}) {
        const QString target = dir + QLatin1Char('/') + QLatin1String(file);
        QFile::copy(QStringLiteral(TARN_DATA_DIR "/") + QLatin1String(file), target);
        QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    return dir;
}

QTEST_GUILESS_MAIN(TestSampleMarket)
#include "tst_samplemarket.moc"
