#include <framewait.h>
#include <ftquot/bcftquotpanel.h>
#include <modulehost.h>
#include <quotrecord.h>
#include <testquotfeed.h>
#include <testutil.h>

#include <vcachemgr.h>
#include <vlocaldb.h>

#include <QAction>
#include <QScrollBar>
#include <QTableView>
#include <QToolButton>

namespace {

const QString Group = QStringLiteral("PG_Trd_FtQuotPanel");

// Futures contracts on the business date 2026-12-05: two live silver
// contracts and an expired one, a gold one, a Dalian one and one of a
// market the board has no page for; copper: that many more contracts of a
// product "cu" (cu3001, cu3002, …).
class Fixture : public ModuleHost
{
public:
    explicit Fixture(const QVariantHash &stored = {}, int copper = 0)
    {
        QList<QByteArray> contracts {"Hag2612 H ag 20261215 ag2612 15", "Hag2701 H ag 20270115 ag2701 15",
                                     "Hag2611 H ag 20261115 ag2611 15", "Hau2612 H au 20261215 au2612 1000",
                                     "Dm2701 D m 20270115 m2701 10",    "Xzz2701 X zz 20270115 zz2701 1"};
        for (int i = 3001; i <= 3000 + copper; ++i)
            contracts << QStringLiteral("Hcu%1 H cu 20301231 cu%1 5").arg(i).toLatin1();
        addCache(u("851101"), "stkid market productid expiredate stkcode convertunit", contracts);
        addCache(VCacheMgr::StockCacheName, "stkid market stkcode stkname stktype priceunit",
                 {"Hag2612 H ag2612 白银2612 Q 1", "Hag2701 H ag2701 白银2701 Q 1", "Hau2612 H au2612 黄金2612 Q 0.02"});
        addNames("30070", "ag=白银 au=黄金");
        addNames("4", "H=上期所");
        context().localDb()->setCfgParam(Group, stored, true);
    }

    BCFtQuotPanel *create() { return ModuleHost::create<BCFtQuotPanel>("BCFtQuotPanel", QSize(900, 500)); }
    QString stored(const char *key)
    {
        QHash<QString, QVariant> params;
        context().localDb()->getCfgParam(Group, params);
        return params.value(QLatin1String(key)).toString();
    }
};

// The codes of a table's rows, in row order.
QString codes(BCFtQuotPanel *board, const char *table)
{
    QAbstractItemModel *model = board->findChild<QTableView *>(QLatin1String(table))->model();
    QStringList list;
    for (int row = 0; row < model->rowCount(); ++row)
        list << model->index(row, 2).data().toString(); // subscribe, product name, code
    return list.join(QLatin1Char(' '));
}

QAction *product(BCFtQuotPanel *board, const QString &id)
{
    for (QAction *action : board->findChild<QToolButton *>(u("btnSHQHMarket"))->actions()) {
        if (action->data().toString() == id)
            return action;
    }
    return nullptr;
}

} // namespace

class TestBCFtQuotPanel : public QObject
{
    Q_OBJECT

private slots:
    // What the stored group makes of the board, and what it stores again.
    void storedConfiguration_data()
    {
        QTest::addColumn<QVariantHash>("stored");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<QString>("silverRows");
        QTest::addColumn<QString>("storedAgain"); // SHQH_Check_Products afterwards
        QTest::newRow("empty group: the own list") << QVariantHash() << u("btnOften") << u("") << u("");
        QTest::newRow("unknown market: nothing shown")
            << QVariantHash {{u("Check_Market"), u("Q")}} << QString() << u("") << u("");
        QTest::newRow("malformed items skipped, expired contracts left out")
            << QVariantHash {{u("Check_Market"), u("H")}, {u("SHQH_Check_Products"), u("ag=白银;;bad;x=y=z")}}
            << u("btnSHQHMarket") << u("ag2701 ag2612") << u("ag=白银");
    }
    void storedConfiguration()
    {
        QFETCH(QVariantHash, stored);
        Fixture f(stored);
        BCFtQuotPanel *board = f.create();
        QString checked;
        for (QToolButton *button : board->findChildren<QToolButton *>())
            checked += button->isChecked() ? button->objectName() : QString();
        QTEST(checked, "checked");
        QTEST(codes(board, "tbSHQH"), "silverRows");
        QVERIFY(f.log().contains(3, u("期货行情面板:不存在的期货市场(X[X]).")));
        f.free(board);
        QTEST(f.stored("SHQH_Check_Products"), "storedAgain");
    }

    // Checking and unchecking products adds and removes their rows, and a
    // refused subscription is tried again with the next change; the own
    // list takes a contract once; a delete on no row says so; unchecking the
    // last product leaves nothing subscribed.
    void productsAndOwnList()
    {
        Fixture f({{u("Check_Market"), u("H")}});
        f.feed().refuse = true;
        BCFtQuotPanel *board = f.create();
        product(board, u("au"))->setChecked(true);
        QCOMPARE(f.wanted(), QString());
        f.feed().refuse = false;
        product(board, u("ag"))->setChecked(true);
        QCOMPARE(codes(board, "tbSHQH"), u("au2612 ag2701 ag2612"));
        QCOMPARE(f.wanted(), u("H|ag2612 H|ag2701 H|au2612"));
        product(board, u("au"))->setChecked(false);
        QCOMPARE(codes(board, "tbSHQH"), u("ag2701 ag2612"));
        QCOMPARE(f.wanted(), u("H|ag2612 H|ag2701"));

        QAbstractItemModel *rows = board->findChild<QTableView *>(u("tbSHQH"))->model();
        board->doSubscibeClicked(rows->index(1, 0));
        board->doSubscibeClicked(rows->index(1, 0));
        QCOMPARE(codes(board, "tbOften"), u("ag2612"));
        board->doCanelSubscibeClicked(rows->index(5, 0));
        QCOMPARE(f.messages().texts(), QStringList {u("删除自选合约行情失败")});
        product(board, u("ag"))->setChecked(false);
        QCOMPARE(f.wanted(), QString());
        f.free(board);
        QCOMPARE(f.stored("ZXQH_Check_Contracts"), u("Hag2612=白银2612"));
        QCOMPARE(f.stored("SHQH_Check_Products"), QString());
    }

    // The own list's last contract deleted leaves nothing subscribed.
    void lastOwnContractDeletedLeavesNothingSubscribed()
    {
        Fixture f({{u("Check_Market"), u("*")}, {u("ZXQH_Check_Contracts"), u("Hag2612=白银2612")}});
        BCFtQuotPanel *board = f.create();
        QCOMPARE(f.wanted(), u("H|ag2612"));
        board->doCanelSubscibeClicked(board->findChild<QTableView *>(u("tbOften"))->model()->index(0, 0));
        QCOMPARE(f.wanted(), QString());
    }

    // Quotes fill the shown page's rows at the next frame: the first without
    // a flash, a change with one, nothing for a record without data. Each
    // contract reads with its product's decimals; once it has traded, a
    // change of 0 reads 0.
    void quotes()
    {
        Fixture f({{u("Check_Market"), u("H")}, {u("SHQH_Check_Products"), u("ag=白银;au=黄金")}});
        BCFtQuotPanel *board = f.create();
        QTableView *table = board->findChild<QTableView *>(u("tbSHQH"));
        const QModelIndex last = table->model()->index(1, 4); // ag2612, 最新价
        VQuotData record = makeQuotRecord('H', "ag2612");
        // status, last price, then the cell's text and whether it flashes
        const std::tuple<int, double, const char *, bool> records[]
            = {{1, 8950, "8950", false}, {1, 8951, "8951", true}, {0, 1, "8951", true}};
        for (const auto &[status, price, text, flashes] : records) {
            record.status = status;
            record.lastPrice = price;
            f.feed().inject(record);
            QVERIFY(waitForFrame());
            QCOMPARE(last.data().toString(), u(text));
            QCOMPARE(last.data(Qt::BackgroundRole).isValid(), flashes);
        }
        auto changeTexts = [table](int row) {
            QStringList texts;
            for (int column = 4; column <= 6; ++column) // 最新价, 涨跌, 涨跌幅(%)
                texts << table->model()->index(row, column).data().toString();
            return texts.join(QLatin1Char(' '));
        };
        QCOMPARE(changeTexts(1), u("8951 -- --"));
        record.status = 1;
        record.lastPrice = record.preSettlementPrice = 8951;
        f.feed().inject(record);
        VQuotData gold = makeQuotRecord('H', "au2612");
        gold.lastPrice = 766.7;
        gold.preSettlementPrice = 766.6;
        gold.priceChange = 0.1;
        gold.priceChangeRatio = 0.1 / 766.6;
        f.feed().inject(gold);
        QVERIFY(waitForFrame());
        QCOMPARE(changeTexts(1), u("8951 0 0.00"));
        QCOMPARE(changeTexts(2), u("766.70 0.10 0.01"));
    }

    // Only the rows in view are subscribed: a scroll moves the window after
    // 300 ms of quiet, a sort refills it, a page switch hands it over and
    // back without reading the cache again.
    void rowsInView()
    {
        Fixture f({{u("Check_Market"), u("H")}, {u("SHQH_Check_Products"), u("cu=铜")}}, 40);
        BCFtQuotPanel *board = f.create();
        QTableView *table = board->findChild<QTableView *>(u("tbSHQH"));
        // Made before it was shown, the board took every row; shown, the rows in view.
        QTRY_VERIFY(f.wanted().split(QLatin1Char(' ')).size() < 40);
        const QStringList shown = f.wanted().split(QLatin1Char(' '));
        QVERIFY2(shown.size() > 3, qPrintable(f.wanted()));
        QVERIFY(shown.contains(u("H|cu3040"))); // the newest contract comes first
        QVERIFY(!shown.contains(u("H|cu3001")));

        table->verticalScrollBar()->setValue(1);
        QTRY_VERIFY(!f.wanted().contains(u("H|cu3040")));
        QCOMPARE(f.wanted().split(QLatin1Char(' ')).size(), shown.size());

        table->sortByColumn(2, Qt::AscendingOrder);
        QTRY_VERIFY(f.wanted().contains(u("H|cu3002")));
        QVERIFY(!f.wanted().contains(u("H|cu3040")));

        const QString window = f.wanted();
        board->findChild<QToolButton *>(u("btnOften"))->click();
        QCOMPARE(f.wanted(), QString());
        board->findChild<QToolButton *>(u("btnSHQHMarket"))->click();
        QCOMPARE(f.wanted(), window);
    }
};

QTEST_MAIN(TestBCFtQuotPanel)
#include "tst_bcftquotpanel.moc"
