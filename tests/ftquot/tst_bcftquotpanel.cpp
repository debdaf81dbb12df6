#include <ftquot/bcftquotpanel.h>
#include <framewait.h>
#include <quotrecord.h>
#include <tarn.h>
#include <testhost.h>
#include <testquotfeed.h>
#include <testutil.h>

#include <imodule.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vdatadict.h>
#include <vlocaldb.h>
#include <vquotmgr.h>

#include <QAction>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

namespace {

// Futures contracts on the business date 2026-12-05: two live silver
// contracts and an expired one, a gold one, a Dalian one and one of a
// market the board has no page for.
class Fixture
{
public:
    // copper: that many more contracts of a product "cu" (cu3001, cu3002, …).
    explicit Fixture(const QHash<QString, QVariant> &stored = {}, int copper = 0)
    {
        auto *futures = new VCacheItem(u("851101"));
        QVector<QVector<QVariant>> contracts {{u("Hag2612"), u("H"), u("ag"), 20261215, u("ag2612"), 15},
                                              {u("Hag2701"), u("H"), u("ag"), 20270115, u("ag2701"), 15},
                                              {u("Hag2611"), u("H"), u("ag"), 20261115, u("ag2611"), 15},
                                              {u("Hau2612"), u("H"), u("au"), 20261215, u("au2612"), 1000},
                                              {u("Dm2701"), u("D"), u("m"), 20270115, u("m2701"), 10},
                                              {u("Xzz2701"), u("X"), u("zz"), 20270115, u("zz2701"), 1}};
        for (int i = 1; i <= copper; ++i) {
            const QString code = u("cu%1").arg(3000 + i);
            contracts.append({u("H") + code, u("H"), u("cu"), 20301231, code, 5});
        }
        futures->load({u("stkid"), u("market"), u("productid"), u("expiredate"), u("stkcode"), u("convertunit")},
                      contracts);
        auto *stocks = new VCacheItem(VCacheMgr::StockCacheName);
        stocks->load({u("stkid"), u("market"), u("stkcode"), u("stkname"), u("stktype")},
                     {{u("Hag2612"), u("H"), u("ag2612"), u("白银2612"), u("Q")},
                      {u("Hag2701"), u("H"), u("ag2701"), u("白银2701"), u("Q")}});
        host.context().cacheMgr()->addCache(futures);
        host.context().cacheMgr()->addCache(stocks);
        VDataDict *dict = host.context().dataDict();
        dict->setItem(u("30070"), u("ag"), u("白银"));
        dict->setItem(u("30070"), u("au"), u("黄金"));
        dict->setItem(u("4"), u("H"), u("上期所"));
        host.context().localDb()->setCfgParam(u("PG_Trd_FtQuotPanel"), stored, true);
        m_module = LoadBizModule(&host.context());
    }
    ~Fixture() { UnloadBizModule(); }

    BCFtQuotPanel *create()
    {
        auto *board = qobject_cast<BCFtQuotPanel *>(
            m_module->createComponent(nullptr, u("BCFtQuotPanel"), u("board"), nullptr));
        board->resize(900, 500);
        board->show();
        if (!QTest::qWaitForWindowExposed(board))
            qWarning("the board was not exposed");
        return board;
    }
    void free(BCFtQuotPanel *board) { m_module->freeComponent(board); }

    QHash<QString, QVariant> stored()
    {
        QHash<QString, QVariant> params;
        host.context().localDb()->getCfgParam(u("PG_Trd_FtQuotPanel"), params);
        return params;
    }
    QString wanted() { return host.context().quotMgr()->wantedProducts().join(QLatin1Char(' ')); }

    TestHost host;

private:
    IModule *m_module = nullptr;
};

QString checkedButton(BCFtQuotPanel *board)
{
    for (QToolButton *button : board->findChildren<QToolButton *>()) {
        if (button->isChecked())
            return button->objectName();
    }
    return QString();
}

// The codes of a table's rows, in row order.
QString codes(BCFtQuotPanel *board, const char *table)
{
    QAbstractItemModel *model = board->findChild<QTableView *>(QLatin1String(table))->model();
    const int column = 2; // subscribe, product name, code
    QStringList list;
    for (int row = 0; row < model->rowCount(); ++row)
        list << model->index(row, column).data().toString();
    return list.join(QLatin1Char(' '));
}

QAction *product(BCFtQuotPanel *board, const char *button, const QString &id)
{
    for (QAction *action : board->findChild<QToolButton *>(QLatin1String(button))->actions()) {
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
        QFETCH(QString, checked);
        QFETCH(QString, silverRows);
        QFETCH(QString, storedAgain);
        Fixture f(stored);
        BCFtQuotPanel *board = f.create();
        QCOMPARE(checkedButton(board), checked);
        QCOMPARE(codes(board, "tbSHQH"), silverRows);
        QVERIFY(f.host.log().contains(3, u("期货行情面板:不存在的期货市场(X[X]).")));
        f.free(board);
        QCOMPARE(f.stored().value(u("SHQH_Check_Products")).toString(), storedAgain);
    }

    // Checking and unchecking products adds and removes their rows; the own
    // list takes a contract once; a delete on no row says so.
    void productsAndOwnList()
    {
        Fixture f({{u("Check_Market"), u("H")}});
        BCFtQuotPanel *board = f.create();
        product(board, "btnSHQHMarket", u("au"))->setChecked(true);
        product(board, "btnSHQHMarket", u("ag"))->setChecked(true);
        QCOMPARE(codes(board, "tbSHQH"), u("au2612 ag2701 ag2612"));
        QCOMPARE(f.wanted(), u("H|ag2612 H|ag2701 H|au2612"));
        product(board, "btnSHQHMarket", u("au"))->setChecked(false);
        QCOMPARE(codes(board, "tbSHQH"), u("ag2701 ag2612"));
        QCOMPARE(f.wanted(), u("H|ag2612 H|ag2701"));

        QTableView *table = board->findChild<QTableView *>(u("tbSHQH"));
        board->doSubscibeClicked(table->model()->index(1, 0));
        board->doSubscibeClicked(table->model()->index(1, 0));
        QCOMPARE(codes(board, "tbOften"), u("ag2612"));
        board->doCanelSubscibeClicked(table->model()->index(5, 0));
        QCOMPARE(f.host.messages().texts(), QStringList {u("删除自选合约行情失败")});
        f.free(board);
        QCOMPARE(f.stored().value(u("ZXQH_Check_Contracts")).toString(), u("Hag2612=白银2612"));
        QCOMPARE(f.stored().value(u("SHQH_Check_Products")).toString(), u("ag=白银"));
    }

    // An emptied table keeps nothing subscribed, whichever way it was emptied.
    void emptiedTableKeepsNothingSubscribed_data()
    {
        QTest::addColumn<bool>("ownList");
        QTest::newRow("last own contract deleted") << true;
        QTest::newRow("last product unchecked") << false;
    }
    void emptiedTableKeepsNothingSubscribed()
    {
        QFETCH(bool, ownList);
        Fixture f(ownList ? QVariantHash {{u("Check_Market"), u("*")}, {u("ZXQH_Check_Contracts"), u("Hag2612=白银2612")}}
                          : QVariantHash {{u("Check_Market"), u("H")}, {u("SHQH_Check_Products"), u("au=黄金")}});
        BCFtQuotPanel *board = f.create();
        QCOMPARE(f.wanted(), ownList ? u("H|ag2612") : u("H|au2612"));
        if (ownList)
            board->doCanelSubscibeClicked(board->findChild<QTableView *>(u("tbOften"))->model()->index(0, 0));
        else
            product(board, "btnSHQHMarket", u("au"))->setChecked(false);
        QCOMPARE(f.wanted(), QString());
    }

    // Quotes fill the shown page's rows: the first without a flash, a change
    // with one, nothing for a record without data; a page switch hands the
    // subscription over; a double-click names the contract.
    void quotes()
    {
        Fixture f({{u("Check_Market"), u("H")}, {u("SHQH_Check_Products"), u("ag=白银")}});
        BCFtQuotPanel *board = f.create();
        QTableView *table = board->findChild<QTableView *>(u("tbSHQH"));
        const QModelIndex last = table->model()->index(1, 4); // ag2612, 最新价
        VQuotData record = makeQuotRecord('H', "ag2612");
        record.lastPrice = 8950;
        const auto deliver = [&f](const VQuotData &record) {
            f.host.feed().inject(record);
            QVERIFY(waitForFrame()); // the board writes at its next frame
        };
        deliver(record);
        QCOMPARE(last.data().toString(), u("8950"));
        QVERIFY(!last.data(Qt::BackgroundRole).isValid());
        record.lastPrice = 8951;
        deliver(record);
        QCOMPARE(last.data(Qt::BackgroundRole), QVariant(QColor(207, 227, 250)));
        record.status = 0;
        record.lastPrice = 1;
        deliver(record);
        QCOMPARE(last.data().toString(), u("8951"));

        QSignalSpy chosen(board, &BCFtQuotPanel::onSelectedFtContract);
        emit table->doubleClicked(last);
        QCOMPARE(chosen.value(0).value(0).toString(), u("Hag2612"));

        board->findChild<QToolButton *>(u("btnOften"))->click();
        QCOMPARE(f.wanted(), QString());
        board->findChild<QToolButton *>(u("btnSHQHMarket"))->click();
        QCOMPARE(f.wanted(), u("H|ag2612 H|ag2701"));
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

    // A subscription the quote service refuses is tried again with the next
    // change of the window.
    void refusedSubscriptionIsRetried()
    {
        Fixture f({{u("Check_Market"), u("H")}});
        f.host.feed().refuse = true;
        BCFtQuotPanel *board = f.create();
        product(board, "btnSHQHMarket", u("ag"))->setChecked(true);
        QCOMPARE(f.wanted(), QString());
        f.host.feed().refuse = false;
        product(board, "btnSHQHMarket", u("au"))->setChecked(true);
        QCOMPARE(f.wanted(), u("H|ag2612 H|ag2701 H|au2612"));
    }
};

QTEST_MAIN(TestBCFtQuotPanel)
#include "tst_bcftquotpanel.moc"
