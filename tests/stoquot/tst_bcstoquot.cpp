#include <framewait.h>
#include <modulehost.h>
#include <paintrecorder.h>
#include <quotrecord.h>
#include <stoquot/bcstoquot.h>
#include <testquotfeed.h>
#include <testutil.h>

#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vdataset.h>
#include <vtablemodel.h>

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTableView>

namespace {

const QColor Marker(207, 227, 250);

// Options of 510050 on the business date 2026-12-05: in December two calls
// at 2.75 and a call at 2.80 without a put; in January one pair. An option
// of 510300 ended yesterday, one of 510500 ends today, one of 510900 (not
// in the securities cache) is live, and one has no side. The board is made,
// not shown; the module deletes it as it unloads.
class Fixture : public ModuleHost
{
public:
    Fixture()
    {
        // underlying, expiry, exercise price, side, last day, code
        const char *const chain[]
            = {"1510050 20261223 2.750 C 20261223 10000001", "1510050 20261223 2.750 C 20261223 10000002",
               "1510050 20261223 2.750 P 20261223 10000003", "1510050 20261223 2.800 C 20261223 10000004",
               "1510050 20270127 2.700 C 20270127 10000005", "1510050 20270127 2.700 P 20270127 10000006",
               "1510050 20261223 2.900 X 20261223 10000007", "1510300 20261223 4.000 C 20261204 10000008",
               "1510500 20261223 6.000 C 20261205 10000009", "1510900 20261223 1.000 C 20261223 10000010"};
        QList<QByteArray> options, securities {"1510050 1 510050 50ETF 4 0.001", "1510500 1 510500 500ETF 4 0.001"};
        for (const QByteArray option : chain) {
            const QByteArray code = option.right(8);
            options << option + " 5" + code + " 5 期权" + code;
            securities << "5" + code + " 5 " + code + " 期权" + code + " S 0.0001";
        }
        addCache(u("600570"), "securityid expiredate exerciseprice callorput enddate stkcode stkid market contractname",
                 options);
        addCache(VCacheMgr::StockCacheName, "stkid market stkcode stkname stktype priceunit", securities);
        addNames("4", "1=上交所");
        board = create<BCStoQuot>("BCStoQuot");
        board->resize(1000, 400);
    }

    QComboBox *combo(const char *name) { return board->findChild<QComboBox *>(QLatin1String(name)); }
    QString label(const char *name) { return board->findChild<QLabel *>(QLatin1String(name))->text(); }
    QTableView *view(const char *name) { return board->findChild<QTableView *>(QLatin1String(name)); }
    VTableModel *model(const char *table) { return qobject_cast<VTableModel *>(view(table)->model()); }
    QString cell(const char *table, int row, const char *field)
    {
        VTableModel *m = model(table);
        return m->index(row, m->colIndexByFieldName(QLatin1String(field))).data().toString();
    }
    QVariant background(const char *table, int row, const char *field)
    {
        VTableModel *m = model(table);
        return m->index(row, m->colIndexByFieldName(QLatin1String(field))).data(Qt::BackgroundRole);
    }
    // One table's rows as "code@price" (the exercise-price column: prices only).
    QString rows(const char *table)
    {
        VDataset *ds = model(table)->dataset();
        QStringList list;
        for (int row = 0; row < ds->recordCount(); ++row) {
            const QString price = QString::number(ds->fieldValue(row, u("exerciseprice")).toDouble());
            const QString code = ds->fieldValue(row, u("stkcode")).toString();
            list << (code.isEmpty() ? price : code.right(1) + QLatin1Char('@') + price);
        }
        return list.join(QLatin1Char(' '));
    }
    // Straight to the board: the quote manager already drops records that
    // are no numbers, the board must not show them either. The board writes
    // at its next frame.
    void quote(const char *code, const std::function<void(VQuotData &)> &fill)
    {
        VQuotData record = makeQuotRecord('5', code);
        fill(record);
        board->doRecvSubscribeQuot(&record);
        QVERIFY(waitForFrame());
    }
    BCStoQuot *board = nullptr;
};

QStringList items(QComboBox *combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

} // namespace

class TestBCStoQuot : public QObject
{
    Q_OBJECT

private slots:
    void chainAndCombos()
    {
        Fixture f;
        QStringList underlyings = items(f.combo("cbTargetStk"));
        underlyings.sort();
        // 510300 ended yesterday; 510900 is not in the securities cache.
        QCOMPARE(underlyings, (QStringList {u("  "), u("上交所 510050 50ETF"), u("上交所 510500 500ETF")}));
        QCOMPARE(f.combo("cbTargetStk")->currentIndex(), -1);
        QVERIFY(f.log().contains(3, u("期权行情面板:合约信息认沽认购不正确，新增期权行情显示失败.")));

        choose(f.board, "cbTargetStk", u("1510050"));
        for (const char *name : {"cbExpireDate", "cbAllExpireDate"}) {
            QCOMPARE(items(f.combo(name)), (QStringList {u("2026年12月"), u("2027年01月")}));
            QCOMPARE(f.combo(name)->currentIndex(), -1);
        }
        QCOMPARE(f.wanted(), u("1|510050"));

        choose(f.board, "cbTargetStk", u("1510900"));
        QVERIFY(f.log().contains(3, u("期权行情面板:证券缓存中不存在标的证券[  ].")));
        QCOMPARE(f.combo("cbAllExpireDate")->count(), 2); // still 510050's
        QCOMPARE(BCStoQuot::expireDateText(2026035), QString()); // a date of seven digits has no month

        // A broken contract cache keeps the chain as it was.
        f.context().cacheMgr()->cache(u("600570"))->loadCsv(f.tempPath(u("missing.csv")));
        f.board->doStoContractDynCacheUpdated();
        QVERIFY(f.log().contains(3, u("期权行情面板:期权合约动态缓存异常.")));
        QCOMPARE(f.combo("cbTargetStk")->count(), 3);
    }

    // The rows each page type builds for December, table by table, and what is subscribed.
    void tables_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("tables");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("wanted");
        QTest::newRow("both: calls located by price, a put short")
            << 3 << words("tbvAllCall tbvAllExercisePrice tbvAllPut")
            << QStringList {u("1@2.75 4@2.8"), u("2.75 2.8"), u("3@2.75")} << u("5|10000001 5|10000003 5|10000004");
        QTest::newRow("calls: every call appended")
            << 1 << words("tbvCall") << QStringList {u("1@2.75 1@2.75 4@2.8")} << u("5|10000001 5|10000004");
        QTest::newRow("puts: one per call price")
            << 2 << words("tbvPut") << QStringList {u("3@2.75 3@2.75")} << u("5|10000003");
    }
    void tables()
    {
        QFETCH(int, type);
        QFETCH(QStringList, tables);
        QFETCH(QString, wanted);
        Fixture f;
        QStringList rows;
        for (const QString &table : tables) {
            VTableModel *model = f.model(table.toLatin1());
            new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::QtTest, model);
        }
        choose(f.board, "cbTargetStk", u("1510050"));
        choose(f.board, "cbQuotPanelType", type);
        choose(f.board, type == 3 ? "cbAllExpireDate" : "cbExpireDate", 20261223);
        for (const QString &table : tables)
            rows << f.rows(table.toLatin1());
        QTEST(rows, "rows");
        QCOMPARE(f.wanted(), u("1|510050 ") + wanted);
    }

    // Each single-side page keeps its own expiry; choosing it again
    // rebuilds nothing; a new underlying forgets both.
    void pageExpiries()
    {
        Fixture f;
        choose(f.board, "cbTargetStk", u("1510050"));
        choose(f.board, "cbQuotPanelType", 1);
        choose(f.board, "cbExpireDate", 20270127);
        choose(f.board, "cbQuotPanelType", 2);
        QCOMPARE(f.combo("cbExpireDate")->currentIndex(), -1);
        QCOMPARE(f.rows("tbvPut"), QString());
        choose(f.board, "cbExpireDate", 20261223);
        choose(f.board, "cbQuotPanelType", 1);
        QCOMPARE(f.combo("cbExpireDate")->currentData().toInt(), 20270127);
        QCOMPARE(f.rows("tbvCall"), u("5@2.7"));

        const int subscriptions = f.feed().subscribeCalls;
        choose(f.board, "cbExpireDate", 20270127);
        QCOMPARE(f.feed().subscribeCalls, subscriptions);

        choose(f.board, "cbTargetStk", u("1510500"));
        QCOMPARE(f.rows("tbvCall"), QString());
        choose(f.board, "cbQuotPanelType", 2);
        QCOMPARE(f.combo("cbExpireDate")->currentIndex(), -1);
    }

    // Quotes written through the marking rules, step by step on one call of
    // the combined page; a calls page sorted by a header click still writes
    // each quote, and its marker, into its contract's row.
    void quotes()
    {
        Fixture f;
        choose(f.board, "cbTargetStk", u("1510050"));
        choose(f.board, "cbAllExpireDate", 20261223);
        QAbstractItemModelTester tester(f.model("tbvAllCall"), QAbstractItemModelTester::FailureReportingMode::QtTest);
        auto base = [](VQuotData &q) {
            q.lastPrice = 0.25;
            q.preClosingPrice = 0.2;
            q.priceChangeRatio = 0.0123;
            q.openInterest = 5;
            q.bidPrice[0] = std::numeric_limits<double>::quiet_NaN();
        };
        f.quote("10000001", base);
        QCOMPARE(f.cell("tbvAllCall", 0, "lastprice"), u("0.2500"));
        QCOMPARE(f.cell("tbvAllCall", 0, "buy1price"), u("--"));
        QCOMPARE(f.background("tbvAllCall", 0, "lastprice"), QVariant()); // the first quote: no markers

        f.quote("10000001", [&](VQuotData &q) {
            base(q);
            q.priceChangeRatio = 0.0123 + 1e-9;
            q.openInterest = 6;
            q.bidPrice[0] = std::numeric_limits<double>::infinity();
        });
        QCOMPARE(f.background("tbvAllCall", 0, "incratio"), QVariant());
        QCOMPARE(f.background("tbvAllCall", 0, "holdqty"), QVariant(Marker));
        QCOMPARE(f.cell("tbvAllCall", 0, "holdqty"), u("6"));
        QCOMPARE(f.cell("tbvAllCall", 0, "buy1price"), u("--"));

        f.quote("10000004", base); // on the page: found in the call table
        QCOMPARE(f.cell("tbvAllCall", 1, "lastprice"), u("0.2500"));
        f.quote("10000005", base); // January: no row
        QVERIFY(f.log().contains(3, u("期权行情面板:行情列表没有合约(510000005).")));

        choose(f.board, "cbQuotPanelType", 1);
        choose(f.board, "cbExpireDate", 20261223);
        f.quote("10000004", base);
        f.view("tbvCall")->sortByColumn(f.model("tbvCall")->colIndexByFieldName(u("exerciseprice")),
                                        Qt::DescendingOrder);
        QCOMPARE(f.rows("tbvCall"), u("4@2.8 1@2.75 1@2.75"));
        f.quote("10000004", [](VQuotData &q) { q.lastPrice = 0.31; });
        QCOMPARE(f.cell("tbvCall", 0, "lastprice"), u("0.3100"));
        QCOMPARE(f.background("tbvCall", 0, "lastprice"), QVariant(Marker));
        QCOMPARE(f.cell("tbvCall", 2, "lastprice"), u("--"));
        QCOMPARE(f.background("tbvCall", 2, "lastprice"), QVariant());
    }

    // The last price, change and ratio, coloured by their sign, with the
    // fund's three decimals.
    void underlyingLabels_data()
    {
        QTest::addColumn<double>("last");
        QTest::addColumn<double>("change");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QString>("colour");
        QTest::addColumn<QStringList>("texts");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("up") << 2.8 << 0.05 << 0.0123 << u("#DC0A0A") << words("2.800 0.050 1.23%");
        QTest::newRow("at the close within 1e-5")
            << 2.750001 << 0.000001 << 0.0 << u("#808080") << words("2.750 0.000 0.00%");
        QTest::newRow("down") << 2.7 << -0.05 << -0.018 << u("#008000") << words("2.700 -0.050 -1.80%");
        QTest::newRow("no number") << nan << nan << nan << u("#808080") << words("-- -- --");
    }
    void underlyingLabels()
    {
        QFETCH(double, last);
        QFETCH(double, change);
        QFETCH(double, ratio);
        QFETCH(QString, colour);
        QFETCH(QStringList, texts);
        Fixture f;
        choose(f.board, "cbTargetStk", u("1510050"));
        VQuotData q = makeQuotRecord('1', "510050");
        q.lastPrice = last;
        q.preClosingPrice = 2.75;
        q.priceChange = change;
        q.priceChangeRatio = ratio;
        f.board->doRecvTargetStkSubscribeQuot(&q);
        QVERIFY(waitForFrame());
        QCOMPARE(f.label("lbStkCode"), u("标的证券:<font color='#808080'>510050(50ETF)</font>"));
        const QString text = u("%1:<font color='%2'>%3</font>");
        QCOMPARE(f.label("lbLastPrice"), text.arg(u("最新价"), colour, texts.at(0)));
        QCOMPARE(f.label("IncDecPrice"), text.arg(u("涨跌"), colour, texts.at(1)));
        QCOMPARE(f.label("lbIncDecRatio"), text.arg(u("涨跌幅"), colour, texts.at(2)));
        // Each looks as a label of its rich text.
        for (const char *name : {"lbStkCode", "lbLastPrice", "IncDecPrice", "lbIncDecRatio"}) {
            auto *label = f.board->findChild<QLabel *>(QLatin1String(name));
            QLabel richText(label->text());
            richText.resize(label->size());
            QCOMPARE(label->grab().toImage().convertToFormat(QImage::Format_RGB32),
                     richText.grab().toImage().convertToFormat(QImage::Format_RGB32));
        }
    }

    // The last price's label fits its text, grows for a longer one and keeps
    // its size for a shorter one.
    void underlyingLabelKeepsItsSize()
    {
        Fixture f;
        choose(f.board, "cbTargetStk", u("1510050"));
        f.board->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.board));
        auto *label = f.board->findChild<QLabel *>(u("lbLastPrice"));
        PaintRecorder paints(label);
        VQuotData q = makeQuotRecord('1', "510050");
        QVector<QSize> sizes;
        for (const double last : {2.8, 12345.5, 2.7}) {
            q.lastPrice = last;
            f.board->doRecvTargetStkSubscribeQuot(&q);
            QVERIFY(waitForFrame());
            QVERIFY(label->width() >= label->sizeHint().width());
            sizes.append(label->size());
        }
        QVERIFY(sizes.at(1).width() > sizes.at(0).width());
        QCOMPARE(sizes.at(2), sizes.at(1));
        // A price of the same length is painted once, in its frame.
        const int before = paints.count;
        q.lastPrice = 2.6;
        f.board->doRecvTargetStkSubscribeQuot(&q);
        QVERIFY(waitForFrame());
        QCoreApplication::processEvents();
        QCOMPARE(paints.count, before + 1);
    }

    // A quote of the old underlying still waiting for its frame when a new
    // one is chosen is not shown under the new one's code and name.
    void newUnderlyingDropsWaitingQuotes()
    {
        Fixture f;
        choose(f.board, "cbTargetStk", u("1510050"));
        VQuotData q = makeQuotRecord('1', "510050");
        q.lastPrice = 2.8;
        f.board->doRecvTargetStkSubscribeQuot(&q);
        QVERIFY(waitForFrame());
        const QString before = f.label("lbLastPrice");
        q.lastPrice = 3.3;
        f.board->doRecvTargetStkSubscribeQuot(&q);
        choose(f.board, "cbTargetStk", u("1510500"));
        QVERIFY(waitForFrame());
        QCOMPARE(f.label("lbStkCode"), u("标的证券:<font color='#808080'>510050(50ETF)</font>"));
        QCOMPARE(f.label("lbLastPrice"), before);
    }

    // Selecting a put names it and moves the middle column; a double-click
    // publishes what its table last selected.
    void selectionAndDoubleClick()
    {
        Fixture f;
        f.board->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.board));
        choose(f.board, "cbTargetStk", u("1510050"));
        choose(f.board, "cbAllExpireDate", 20261223);
        QSignalSpy chosen(f.board, SIGNAL(onSelectedStoContract(QString)));

        for (const char *name : {"tbvAllCall", "tbvAllPut"}) {
            QTableView *table = f.view(name);
            doubleClick(table->viewport(), table->visualRect(table->model()->index(0, 8)).center());
        }
        QCOMPARE(f.label("lbCall"), u("认购:期权10000001(10000001)"));
        QCOMPARE(f.label("lbPut"), u("认沽:期权10000003(10000003)"));
        QCOMPARE(f.view("tbvAllExercisePrice")->currentIndex().row(), 0);
        QCOMPARE(chosen, (QList<QVariantList> {{u("510000001")}, {u("510000003")}}));

        choose(f.board, "cbQuotPanelType", 1);
        emit f.view("tbvCall")->doubleClicked(QModelIndex());
        QCOMPARE(chosen.last().at(0).toString(), QString()); // nothing selected there yet
    }
};

QTEST_MAIN(TestBCStoQuot)
#include "tst_bcstoquot.moc"
