// The option board's analytics on the simulated sample market: switched
// from a header's menu and kept in the scene, and the volatility the board
// implies against the one the market priced each contract with.

#include <framewait.h>
#include <modulehost.h>
#include <stoquot/chainanalytics.h>
#include <stoquot/smilechart.h>
#include <stoquot/vsqtablemodel.h>
#include <testutil.h>

#include <icomponent.h>
#include <vconfig.h>
#include <vdataset.h>
#include <vlocaldb.h>
#include <vquotmgr.h>
#include <vsimmarket.h>
#include <vsimquotfeed.h>

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QtTest>

namespace {

constexpr int BusinessDate = 20261215;
const char *const Group = "TarnHost.BCStoQuot.1";

// The board's tables and its header menu, as the user reaches them.
struct Board
{
    Board(ModuleHost &host, const QMap<QString, QVariant> &params = {})
        : host(host)
        , board(host.create<IComponent>("BCStoQuot", QSize(1280, 900), params))
    {
        board->setComCfgGroup(u(Group));
        board->restoreScene();
    }
    ~Board() { host.free(board); }

    QTableView *view(const char *name) { return board->findChild<QTableView *>(QLatin1String(name)); }
    VSQTableModel *model(const char *name) { return qobject_cast<VSQTableModel *>(view(name)->model()); }
    QString header(const char *table, int column)
    {
        return model(table)->headerData(column, Qt::Horizontal).toString();
    }
    // Chooses from the menu of a table's header, as a right click there opens it.
    void toggle(const char *table, const QStringList &actions)
    {
        QWidget *header = view(table)->horizontalHeader()->viewport();
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), header->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(header, &click);
        auto *menu = board->findChild<QMenu *>(u("analyticsMenu"));
        QVERIFY(menu->isVisible());
        for (QAction *action : menu->actions()) {
            if (actions.contains(action->text()))
                action->trigger();
        }
        menu->hide();
    }

    ModuleHost &host;
    IComponent *board;
};

} // namespace

class TestBoardAnalytics : public QObject
{
    Q_OBJECT

    ModuleHost m_host {BusinessDate, QStringLiteral(TARN_DATA_DIR)};

private slots:
    void init() { m_host.context().config()->cfgLocalDb()->setCfgParam(u(Group), {}, true); }

    // Off by default; columns of a header's menu go to every side table,
    // leading on the calls of the combined page; the scene keeps them.
    void switchedFromTheHeaderAndKeptInTheScene()
    {
        {
            Board f(m_host);
            QAbstractItemModelTester calls(f.model("tbvAllCall"),
                                           QAbstractItemModelTester::FailureReportingMode::QtTest);
            QAbstractItemModelTester side(f.model("tbvPut"), QAbstractItemModelTester::FailureReportingMode::QtTest);
            choose(f.board, "cbTargetStk", u("1510050"));
            choose(f.board, "cbAllExpireDate", 20261223);
            QCOMPARE(f.model("tbvAllPut")->columnCount(), 10);
            QVERIFY(!f.board->findChild<SmileChart *>()->isVisible());
            QVERIFY(!f.board->findChild<QLabel *>(u("lbAllRemainDays"))->isVisible());

            f.toggle("tbvAllPut", {u("隐含波动率"), u("Theta"), u("波动率微笑")});
            QCOMPARE(f.header("tbvAllPut", 10), u("隐含波动率"));
            QCOMPARE(f.header("tbvAllPut", 11), u("Theta"));
            const QHeaderView *callHeader = f.view("tbvAllCall")->horizontalHeader();
            QCOMPARE(f.header("tbvAllCall", callHeader->logicalIndex(0)), u("Theta"));
            QCOMPARE(f.header("tbvAllCall", callHeader->logicalIndex(1)), u("隐含波动率"));
            QCOMPARE(f.header("tbvPut", 16), u("Theta"));
            QVERIFY(f.board->findChild<SmileChart *>()->isVisible());
            QCOMPARE(f.board->findChild<QLabel *>(u("lbAllRemainDays"))->text(), u("剩余天数:8"));
            f.board->saveScene();
        }
        Board f(m_host);
        QCOMPARE(f.model("tbvAllPut")->columnCount(), 12);
        QVERIFY(f.board->findChild<SmileChart *>()->isVisible());
        f.toggle("tbvCall", {u("隐含波动率"), u("Theta"), u("波动率微笑")});
        QCOMPARE(f.model("tbvAllPut")->columnCount(), 10);
        f.board->saveScene();
        QCOMPARE(m_host.stored(u(Group)), QString());
    }

    void riskFreeRate_data()
    {
        QTest::addColumn<QVariant>("given");
        QTest::addColumn<double>("rate");
        QTest::addColumn<bool>("logged");
        QTest::newRow("none") << QVariant() << 0.015 << false;
        QTest::newRow("given") << QVariant(0.03) << 0.03 << false;
        QTest::newRow("no number") << QVariant(u("abc")) << 0.015 << true;
        QTest::newRow("no rate") << QVariant(2.5) << 0.015 << true;
    }
    void riskFreeRate()
    {
        QFETCH(QVariant, given);
        QMap<QString, QVariant> params;
        if (given.isValid())
            params.insert(u("RiskFreeRate"), given);
        Board f(m_host, params);
        QTEST(f.board->findChild<ChainAnalytics *>()->riskFreeRate(), "rate");
        QTEST(m_host.log().contains(3, u("期权行情面板:无风险利率[%1]无效,按默认利率0.015计算.").arg(given.toString())),
              "logged");
    }

    // At the start of the day, where the market priced every option on its
    // underlying's previous close. A contract whose quote cannot tell half
    // a point of volatility (its bid and ask not within the prices half a
    // point either side) is left out; most can.
    void impliedVolatilityOfTheSimulatedMarket_data()
    {
        QTest::addColumn<QString>("underlying");
        QTest::newRow("50ETF") << u("1510050");
        QTest::newRow("创业板ETF") << u("0159915");
    }
    void impliedVolatilityOfTheSimulatedMarket()
    {
        QFETCH(QString, underlying);
        HostContext &context = m_host.context();
        VSimQuotFeed *feed = context.installSimQuotFeed();
        context.config()->cfgLocalDb()->setCfgParam(u(Group),
                                                    {{u("ShowImpliedVolatility"), true}, {u("ShowSmile"), true}}, true);
        Board f(m_host, {{u("RiskFreeRate"), context.riskFreeRate()}});
        choose(f.board, "cbTargetStk", underlying);
        auto *expiries = f.board->findChild<QComboBox *>(u("cbAllExpireDate"));
        const QDate today = QDate::fromString(QString::number(BusinessDate), u("yyyyMMdd"));
        int contracts = 0;
        int resolved = 0;
        for (int expiry = 0; expiry < expiries->count(); ++expiry) {
            expiries->setCurrentIndex(expiry);
            feed->advance(0);
            context.quotMgr()->deliverPosted();
            QVERIFY(waitForFrame());
            const QDate date = QDate::fromString(expiries->currentData().toString(), u("yyyyMMdd"));
            QCOMPARE(f.board->findChild<QLabel *>(u("lbAllRemainDays"))->text(),
                     u("剩余天数:%1").arg(today.daysTo(date)));
            const SmileChart *smile = f.board->findChild<SmileChart *>();
            int smilePoints = 0;
            for (const char *table : {"tbvAllCall", "tbvAllPut"}) {
                VSQTableModel *model = f.model(table);
                const VDataset *ds = model->dataset();
                for (int row = 0; row < ds->recordCount(); ++row) {
                    VSimInstrument instrument;
                    QVERIFY(context.simInstrument(ds->fieldValue(row, u("market")).toString().at(0).toLatin1(),
                                                  ds->fieldValue(row, u("stkcode")).toString(), instrument));
                    const VSimOptionTerms &terms = instrument.option;
                    const double spot = instrument.underlying.preClose;
                    QCOMPARE(smile->markedPrice(), spot);
                    const bool inTheMoney = terms.call ? spot > terms.strike : spot < terms.strike;
                    QCOMPARE(model->index(row, model->colIndexByFieldName(u("lastprice"))).data(Qt::BackgroundRole),
                             inTheMoney ? QVariant(VSQTableModel::inTheMoneyShade()) : QVariant());
                    const QString text = model->index(row, model->firstAnalyticColumn()).data().toString();
                    smilePoints += text != u("--");
                    ++contracts;
                    VSimOptionTerms lower = terms;
                    VSimOptionTerms upper = terms;
                    lower.volatility -= 0.005;
                    upper.volatility += 0.005;
                    if (ds->fieldValue(row, u("buy1price")).toDouble() < lower.value(spot)
                        || ds->fieldValue(row, u("sale1price")).toDouble() > upper.value(spot))
                        continue;
                    ++resolved;
                    QVERIFY2(qAbs(text.chopped(1).toDouble() - terms.volatility * 100) < 0.5,
                             qPrintable(ds->fieldValue(row, u("stkcode")).toString() + u(" ") + text));
                }
            }
            QCOMPARE(smile->callPoints().size() + smile->putPoints().size(), smilePoints);
        }
        QVERIFY(contracts > 0);
        QVERIFY2(resolved >= contracts * 4 / 5, qPrintable(u("%1 of %2").arg(resolved).arg(contracts)));
    }
};

QTEST_MAIN(TestBoardAnalytics)
#include "tst_boardanalytics.moc"
