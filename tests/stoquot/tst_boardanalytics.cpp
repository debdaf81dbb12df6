// The option board's columns and analytics on the simulated sample market:
// switched from a header's menu and kept in the scene, columns that fit
// their values, charts that follow the page, and the volatility the board
// implies against the one the market priced each contract with.

#include <framewait.h>
#include <modulehost.h>
#include <stoquot/chainanalytics.h>
#include <stoquot/smilechart.h>
#include <stoquot/termstructure.h>
#include <stoquot/termstructurechart.h>
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
#include <QtCharts/QValueAxis>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QStyleOptionComboBox>
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
        auto *menu = board->findChild<QMenu *>(u("columnMenu"));
        QVERIFY(menu->isVisible());
        for (QAction *action : menu->actions()) {
            if (actions.contains(action->text()))
                action->trigger();
        }
        menu->hide();
    }

    // Quotes of the simulated market at the start of the day, shown.
    static bool deliver(HostContext &context, VSimQuotFeed *feed)
    {
        feed->advance(0);
        context.quotMgr()->deliverPosted();
        return waitForFrame() && waitForFrame();
    }

    ModuleHost &host;
    IComponent *board;
};

const QStringList AllAnalytics = {u("ShowImpliedVolatility"), u("ShowDelta"), u("ShowGamma"), u("ShowVega"),
                                  u("ShowTheta"), u("ShowIntrinsicValue"), u("ShowTimeValue"), u("ShowSmile")};

QHash<QString, QVariant> sceneOf(const QStringList &keys)
{
    QHash<QString, QVariant> scene;
    for (const QString &key : keys)
        scene.insert(key, true);
    return scene;
}

// Empty when every tick label of the axis differs from the others.
QString repeatedLabels(const QtCharts::QValueAxis *axis)
{
    QStringList labels;
    const QByteArray format = axis->labelFormat().toLatin1();
    for (int tick = 0; tick < axis->tickCount(); ++tick)
        labels << QString::asprintf(format.constData(),
                                    axis->min() + tick * (axis->max() - axis->min()) / (axis->tickCount() - 1));
    return labels.removeDuplicates() ? labels.join(QLatin1Char(' ')) : QString();
}

} // namespace

class TestBoardAnalytics : public QObject
{
    Q_OBJECT

    ModuleHost m_host {BusinessDate, QStringLiteral(TARN_DATA_DIR)};

private slots:
    void init() { m_host.context().config()->cfgLocalDb()->setCfgParam(u(Group), {}, true); }

    // Off by default; a quote column hidden from a header's menu is hidden
    // on every side table; analytic columns go to every side table, leading
    // on the calls of the combined page; the scene keeps both.
    void switchedFromTheHeaderAndKeptInTheScene()
    {
        const auto openInterestHidden = [](Board &f) {
            int hidden = 0;
            for (const char *table : {"tbvAllCall", "tbvAllPut", "tbvCall", "tbvPut"})
                hidden += f.view(table)->isColumnHidden(f.model(table)->colIndexByFieldName(u("holdqty")));
            return hidden;
        };
        {
            Board f(m_host);
            QAbstractItemModelTester calls(f.model("tbvAllCall"),
                                           QAbstractItemModelTester::FailureReportingMode::QtTest);
            QAbstractItemModelTester side(f.model("tbvPut"), QAbstractItemModelTester::FailureReportingMode::QtTest);
            choose(f.board, "cbTargetStk", u("1510050"));
            choose(f.board, "cbAllExpireDate", 20261223);
            QCOMPARE(f.model("tbvAllPut")->columnCount(), 10);
            QCOMPARE(openInterestHidden(f), 0);
            QVERIFY(!f.board->findChild<SmileChart *>()->isVisible());
            QVERIFY(!f.board->findChild<QLabel *>(u("lbAllRemainDays"))->isVisible());

            f.toggle("tbvAllPut", {u("隐含波动率"), u("Theta"), u("波动率微笑"), u("持仓量")});
            QCOMPARE(openInterestHidden(f), 4);
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
        QCOMPARE(openInterestHidden(f), 4);
        QVERIFY(f.board->findChild<SmileChart *>()->isVisible());
        f.toggle("tbvCall", {u("隐含波动率"), u("Theta"), u("波动率微笑"), u("持仓量")});
        QCOMPARE(f.model("tbvAllPut")->columnCount(), 10);
        QCOMPARE(openInterestHidden(f), 0);
        f.board->saveScene();
        QCOMPARE(m_host.stored(u(Group)), QString());
    }

    // Every analytic on: the combined page's columns keep their captions
    // and values whole and scroll, calls and puts mirrored, in line with
    // the exercise prices.
    void everyAnalyticFits()
    {
        HostContext &context = m_host.context();
        VSimQuotFeed *feed = context.installSimQuotFeed();
        context.config()->cfgLocalDb()->setCfgParam(u(Group), sceneOf(AllAnalytics), true);
        Board f(m_host);
        choose(f.board, "cbTargetStk", u("1510050"));
        choose(f.board, "cbAllExpireDate", 20261223);
        QVERIFY(Board::deliver(context, feed));
        // Empty when every column of the table is as wide as its caption and the values in view.
        const auto narrower = [&f](const char *table) {
            QTableView *view = f.view(table);
            const QAbstractItemModel *model = view->model();
            const int last = view->rowAt(view->viewport()->height() - 1);
            for (int column = 0; column < model->columnCount(); ++column) {
                QString widest = model->headerData(column, Qt::Horizontal).toString();
                int needed = view->horizontalHeader()->fontMetrics().horizontalAdvance(widest);
                for (int row = view->rowAt(0); row <= (last < 0 ? model->rowCount() - 1 : last); ++row) {
                    const QString text = model->index(row, column).data().toString();
                    if (view->fontMetrics().horizontalAdvance(text) > needed) {
                        widest = text;
                        needed = view->fontMetrics().horizontalAdvance(text);
                    }
                }
                if (view->columnWidth(column) < needed)
                    return u("%1: %2 < %3").arg(widest).arg(view->columnWidth(column)).arg(needed);
            }
            return QString();
        };
        for (const char *table : {"tbvAllCall", "tbvAllPut"}) {
            QTableView *view = f.view(table);
            QCOMPARE(view->model()->columnCount(), 17);
            QTRY_COMPARE(narrower(table), QString());
            // The exercise prices keep the scroll bar's room too (their table has no frame).
            const QWidget *prices = f.view("tbvAllExercisePrice")->viewport();
            QVERIFY(qAbs(view->viewport()->mapTo(f.board, view->viewport()->rect().bottomLeft()).y()
                         - prices->mapTo(f.board, prices->rect().bottomLeft()).y())
                    <= 1);
        }
        QScrollBar *calls = f.view("tbvAllCall")->horizontalScrollBar();
        QScrollBar *puts = f.view("tbvAllPut")->horizontalScrollBar();
        QVERIFY(puts->maximum() > 0 && calls->maximum() > 0);
        QCOMPARE(calls->value(), calls->maximum());
        puts->setValue(puts->maximum());
        QCOMPARE(calls->value(), 0);
        calls->setValue(calls->maximum());
        QCOMPARE(puts->value(), 0);
    }

    // The smile shows the expiry the page shows, with labels that tell its
    // ticks apart; a page without an expiry, an empty chart.
    void chartsFollowThePage()
    {
        HostContext &context = m_host.context();
        VSimQuotFeed *feed = context.installSimQuotFeed();
        context.config()->cfgLocalDb()->setCfgParam(u(Group), sceneOf({u("ShowSmile")}), true);
        Board f(m_host);
        const SmileChart *smile = f.board->findChild<SmileChart *>();
        choose(f.board, "cbTargetStk", u("1510050"));
        choose(f.board, "cbAllExpireDate", 20261223);
        QVERIFY(Board::deliver(context, feed));
        // New figures are drawn within a quarter of a second.
        QTRY_VERIFY(!smile->callPoints().isEmpty() && !smile->putPoints().isEmpty());
        QVERIFY(smile->markedPrice() > 0);
        QCOMPARE(repeatedLabels(smile->xAxis()), QString());
        QCOMPARE(repeatedLabels(smile->yAxis()), QString());

        choose(f.board, "cbQuotPanelType", 1);
        QVERIFY(waitForFrame());
        QVERIFY(smile->callPoints().isEmpty() && smile->putPoints().isEmpty());
        QVERIFY(qIsNaN(smile->markedPrice()));
        QCOMPARE(f.board->findChild<QLabel *>(u("lbRemainDays"))->text(), u("剩余天数:--"));
        choose(f.board, "cbExpireDate", 20261223);
        QVERIFY(Board::deliver(context, feed));
        QTRY_VERIFY(!smile->callPoints().isEmpty() && smile->putPoints().isEmpty());
        QCOMPARE(f.board->findChild<QLabel *>(u("lbRemainDays"))->text(), u("剩余天数:8"));

        // The page-type list shows each of its texts whole.
        auto *pages = f.board->findChild<QComboBox *>(u("cbQuotPanelType"));
        QStyleOptionComboBox option;
        option.initFrom(pages);
        const int room
            = pages->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, pages).width();
        for (int item = 0; item < pages->count(); ++item)
            QVERIFY2(pages->fontMetrics().horizontalAdvance(pages->itemText(item)) <= room, qPrintable(pages->itemText(item)));
    }

    // At-the-money volatility of every expiry against the volatility the
    // market priced those contracts with; subscribed while shown only.
    void termStructure()
    {
        HostContext &context = m_host.context();
        VSimQuotFeed *feed = context.installSimQuotFeed();
        Board f(m_host, {{u("RiskFreeRate"), context.riskFreeRate()}});
        choose(f.board, "cbTargetStk", u("1510050"));
        auto *expiries = f.board->findChild<QComboBox *>(u("cbAllExpireDate"));
        QVERIFY(expiries->count() >= 3);
        const TermStructure *term = f.board->findChild<TermStructure *>();
        f.toggle("tbvAllPut", {u("波动率期限结构")});
        QVERIFY(Board::deliver(context, feed));
        QCOMPARE(term->subscribed().size(), 2 * expiries->count());
        // The contracts' records, subscribed once the underlying's price came.
        QVERIFY(Board::deliver(context, feed));

        // What the market priced each expiry's contracts nearest its underlying's price with.
        const QDate today = QDate::fromString(QString::number(BusinessDate), u("yyyyMMdd"));
        QVector<QPointF> expected;
        for (int expiry = 0; expiry < expiries->count(); ++expiry) {
            expiries->setCurrentIndex(expiry);
            const VDataset *ds = f.model("tbvAllCall")->dataset();
            QVector<VSimOptionTerms> nearest;
            double distance = 1e9;
            for (const char *table : {"tbvAllCall", "tbvAllPut"}) {
                const VDataset *side = f.model(table)->dataset();
                for (int row = 0; row < side->recordCount(); ++row) {
                    VSimInstrument instrument;
                    QVERIFY(context.simInstrument(side->fieldValue(row, u("market")).toString().at(0).toLatin1(),
                                                  side->fieldValue(row, u("stkcode")).toString(), instrument));
                    const double away = qAbs(instrument.option.strike - instrument.underlying.preClose);
                    if (away < distance - 1e-9)
                        nearest.clear();
                    if (away < distance + 1e-9) {
                        distance = qMin(distance, away);
                        nearest.append(instrument.option);
                    }
                }
            }
            QVERIFY(ds->recordCount() > 0 && nearest.size() == 2);
            expected.append({double(today.daysTo(QDate::fromString(expiries->currentData().toString(), u("yyyyMMdd")))),
                             (nearest[0].volatility + nearest[1].volatility) / 2});
        }
        const QVector<QPointF> points = term->points();
        QCOMPARE(points.size(), expected.size());
        for (int i = 0; i < points.size(); ++i) {
            QCOMPARE(points[i].x(), expected[i].x());
            QVERIFY2(qAbs(points[i].y() - expected[i].y()) < 0.005,
                     qPrintable(u("%1 days: %2 against %3").arg(points[i].x()).arg(points[i].y()).arg(expected[i].y())));
        }
        const TermStructureChart *chart = f.board->findChild<TermStructureChart *>();
        QVERIFY(chart->isVisible());
        QTRY_COMPARE(chart->points().size(), points.size());
        QCOMPARE(repeatedLabels(chart->yAxis()), QString());

        f.toggle("tbvAllPut", {u("波动率期限结构")});
        QVERIFY(term->subscribed().isEmpty());
        QVERIFY(!chart->isVisible());
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
                    QTRY_COMPARE(smile->markedPrice(), spot);
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
            QTRY_COMPARE(smile->callPoints().size() + smile->putPoints().size(), smilePoints);
        }
        QVERIFY(contracts > 0);
        QVERIFY2(resolved >= contracts * 4 / 5, qPrintable(u("%1 of %2").arg(resolved).arg(contracts)));
    }
};

QTEST_MAIN(TestBoardAnalytics)
#include "tst_boardanalytics.moc"
