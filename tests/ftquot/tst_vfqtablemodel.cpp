#include <ftquot/vfqtablemodel.h>
#include <testutil.h>
#include <vdataset.h>
#include <vlogsink.h>

#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

namespace {

// The futures board's quote fields that matter here; withClose adds the
// "ystdcloseprice" the board's dataset does not have.
struct Board
{
    VDataset ds;
    VFQTableModel model;
    QAbstractItemModelTester tester {&model, QAbstractItemModelTester::FailureReportingMode::QtTest};

    explicit Board(bool withClose = false)
    {
        ds.addField(QStringLiteral("stkcode"), u("合约代码"), vd::DT_String, 12, 8);
        ds.addField(QStringLiteral("market"), u("市场"), vd::DT_String, 1, 8)->setVisible(false);
        ds.addField(QStringLiteral("lastprice"), u("最新价"), vd::DT_Double, 12, 8);
        ds.addField(QStringLiteral("incdecprice"), u("涨跌↑↓"), vd::DT_Double, 12, 8);
        ds.addField(QStringLiteral("tdyposvol"), u("持仓量"), vd::DT_Integer, 12, 8);
        ds.addField(QStringLiteral("ystdsettleprice"), u("昨结算"), vd::DT_Double, 12, 8);
        if (withClose)
            ds.addField(QStringLiteral("ystdcloseprice"), u("昨收盘"), vd::DT_Double, 12, 8);
        ds.open();
        model.linkDatasetTable(&ds, nullptr, false, false);
    }
    // A row of a contract of market "H".
    int contract(const char *code)
    {
        const int row = ds.append();
        ds.setFieldValue(row, QStringLiteral("market"), QStringLiteral("H"));
        ds.setFieldValue(row, QStringLiteral("stkcode"), QString::fromLatin1(code));
        return row;
    }
    bool lit(int row, const char *field) const { return cell(row, field).data(Qt::BackgroundRole).isValid(); }
    QModelIndex cell(int row, const char *field) const
    {
        return model.index(row, model.colIndexByFieldName(QString::fromLatin1(field)));
    }
};

} // namespace

class TestVFQTableModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { VLog::setFileLogging(false); }

    void displayText_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("price below 1e-8") << "lastprice" << QVariant(0.000000001) << "--";
        QTest::newRow("price above 1e-8") << "lastprice" << QVariant(0.00000002) << "0";
        QTest::newRow("price") << "lastprice" << QVariant(4512.5) << "4512.5";
        QTest::newRow("never written") << "lastprice" << QVariant() << "--";
        QTest::newRow("integer 0") << "tdyposvol" << QVariant(0) << "--";
        QTest::newRow("integer") << "tdyposvol" << QVariant(120344) << "120344";
        QTest::newRow("empty text") << "stkcode" << QVariant(QString()) << "";
    }
    void displayText()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(QString, text);
        Board board;
        const int row = board.ds.append();
        board.ds.setFieldValue(row, field, value);
        QCOMPARE(board.model.index(row, board.model.colIndexByFieldName(field)).data().toString(), text);
    }

    // Changes against 0; prices against the previous close where the
    // dataset has one, else against the previous settlement.
    void foreground_data()
    {
        QTest::addColumn<bool>("withClose");
        QTest::addColumn<QString>("field");
        QTest::addColumn<double>("value");
        QTest::addColumn<QVariant>("colour");
        const QVariant up = QColor(220, 10, 10);
        const QVariant down = QColor(10, 128, 10);
        QTest::newRow("change up") << false << "incdecprice" << 0.5 << up;
        QTest::newRow("change down") << false << "incdecprice" << -0.5 << down;
        QTest::newRow("change 0") << false << "incdecprice" << 0.0 << QVariant();
        QTest::newRow("last above settlement") << false << "lastprice" << 101.0 << up;
        QTest::newRow("last below settlement") << false << "lastprice" << 99.0 << down;
        QTest::newRow("last at settlement") << false << "lastprice" << 100.0 << QVariant();
        QTest::newRow("last above close, below settlement") << true << "lastprice" << 99.5 << up;
        QTest::newRow("settlement not coloured") << false << "ystdsettleprice" << 100.0 << QVariant();
    }
    void foreground()
    {
        QFETCH(bool, withClose);
        QFETCH(QString, field);
        QFETCH(double, value);
        QFETCH(QVariant, colour);
        Board board(withClose);
        const int row = board.ds.append();
        board.ds.setFieldValue(row, QStringLiteral("ystdsettleprice"), 100.0);
        if (withClose)
            board.ds.setFieldValue(row, QStringLiteral("ystdcloseprice"), 99.0);
        board.ds.setFieldValue(row, field, value);
        QCOMPARE(board.model.index(row, board.model.colIndexByFieldName(field)).data(Qt::ForegroundRole), colour);
    }

    // A flashed cell shows the light blue until the timer finds it older
    // than the duration; outside a flash there is no background at all.
    void flashLifecycle()
    {
        Board board;
        const int row = board.contract("cu2701");
        const QModelIndex last = board.cell(row, "lastprice");
        QVERIFY(!last.data(Qt::BackgroundRole).isValid());
        QSignalSpy changed(&board.model, &QAbstractItemModel::dataChanged);
        board.model.setFlashDuration(0);
        board.model.setFlashEnabled(true);
        board.model.flashField(row, QStringLiteral("lastprice"));
        board.model.flashField(row + 1, QStringLiteral("lastprice"));
        board.model.flashField(row, QStringLiteral("nosuch"));
        QCOMPARE(last.data(Qt::BackgroundRole), QVariant(QColor(207, 227, 250)));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex(), last);
        QTRY_VERIFY(!last.data(Qt::BackgroundRole).isValid());
        QCOMPARE(changed.size(), 2);
        QCOMPARE(changed.at(1).at(0).toModelIndex(), last);
        QCOMPARE(changed.at(1).at(1).toModelIndex(), last);
    }

    // A flash lasts its duration from the cell's last change, give or take
    // the 200 ms expiry timer: a change during a flash starts it again.
    void flashLastsFromTheLastChange()
    {
        Board board;
        const int row = board.contract("cu2701");
        const QModelIndex last = board.cell(row, "lastprice");
        board.model.setFlashDuration(600);
        board.model.setFlashEnabled(true);
        board.model.flashField(row, QStringLiteral("lastprice"));
        QTest::qWait(300);
        QElapsedTimer sinceLastChange;
        sinceLastChange.start();
        board.model.flashField(row, QStringLiteral("lastprice"));
        QTRY_VERIFY_WITH_TIMEOUT(!last.data(Qt::BackgroundRole).isValid(), 2000);
        QVERIFY2(sinceLastChange.elapsed() >= 600, qPrintable(QString::number(sinceLastChange.elapsed())));
    }

    // A flash belongs to its contract: a sort takes it along, a removal
    // takes it away, and the row that comes in its place stays plain.
    void flashFollowsItsContract()
    {
        Board board;
        board.contract("al2701");
        board.contract("cu2701");
        board.model.setFlashDuration(5000);
        board.model.setFlashEnabled(true);
        board.model.flashField(1, QStringLiteral("lastprice"));
        board.ds.sort(QStringLiteral("stkcode 1"), Qt::CaseSensitive);
        QCOMPARE(board.ds.fieldValue(0, QStringLiteral("stkcode")).toString(), QStringLiteral("cu2701"));
        QVERIFY(board.lit(0, "lastprice"));
        QVERIFY(!board.lit(1, "lastprice"));
        board.ds.remove(0);
        QVERIFY(!board.lit(0, "lastprice"));
        board.contract("cu2701");
        QVERIFY(!board.lit(1, "lastprice"));
    }

    void backgroundSetDataRepaintsOnlyInRange()
    {
        Board board;
        board.ds.append();
        QSignalSpy changed(&board.model, &QAbstractItemModel::dataChanged);
        QVERIFY(board.model.setData(board.cell(0, "lastprice"), QColor(Qt::red), Qt::BackgroundRole));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex(), board.cell(0, "lastprice"));
        QVERIFY(!board.model.data(board.cell(0, "lastprice"), Qt::BackgroundRole).isValid());
        QVERIFY(!board.model.setData(board.model.index(-1, 1), QColor(Qt::red), Qt::BackgroundRole));
        QVERIFY(!board.model.setData(board.model.index(1, 1), QColor(Qt::red), Qt::BackgroundRole));
    }
};

QTEST_MAIN(TestVFQTableModel)
#include "tst_vfqtablemodel.moc"
