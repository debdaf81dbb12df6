#include <ftquot/vfqtablemodel.h>
#include <testutil.h>
#include <vdataset.h>

#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QSignalSpy>

namespace {

const QVariant Flash = QColor(207, 227, 250);

// The futures board's quote fields that matter here; withClose adds the
// "ystdcloseprice" the board's dataset does not have.
struct Board
{
    VDataset ds;
    VFQTableModel model;
    QAbstractItemModelTester tester {&model, QAbstractItemModelTester::FailureReportingMode::QtTest};

    explicit Board(bool withClose = false)
    {
        const std::pair<const char *, int> fields[]
            = {{"stkcode", vd::DT_String},       {"market", vd::DT_String},     {"lastprice", vd::DT_Double},
               {"incdecprice", vd::DT_Double},   {"tdyposvol", vd::DT_Integer}, {"ystdsettleprice", vd::DT_Double},
               {"ystdcloseprice", vd::DT_Double}};
        for (const auto &[name, type] : fields) {
            if (withClose || QLatin1String(name) != QLatin1String("ystdcloseprice"))
                ds.addField(QLatin1String(name), QString(), type, 12, 8);
        }
        ds.open();
        model.linkDatasetTable(&ds, nullptr, false, false);
    }
    // A row of a contract of market "H", its previous settlement 100.
    int contract(const char *code)
    {
        const int row = ds.append();
        ds.setFieldValue(row, QStringLiteral("market"), QStringLiteral("H"));
        ds.setFieldValue(row, QStringLiteral("stkcode"), QString::fromLatin1(code));
        ds.setFieldValue(row, QStringLiteral("ystdsettleprice"), 100.0);
        return row;
    }
    QModelIndex cell(int row, const QString &field) const { return model.index(row, model.colIndexByFieldName(field)); }
    bool lit(int row) const { return cell(row, QStringLiteral("lastprice")).data(Qt::BackgroundRole).isValid(); }
};

} // namespace

class TestVFQTableModel : public QObject
{
    Q_OBJECT

private slots:
    // Zero prices and quantities read "--", a change of 0 reads 0; numbers
    // of a contract the host does not know have two decimals, volumes are
    // shortened; changes are coloured against 0, prices against the previous
    // close where the dataset has one, else against the previous settlement
    // (100 here).
    void look_data()
    {
        QTest::addColumn<bool>("withClose"); // a previous close of 99
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("colour");
        const QVariant up = QColor(220, 10, 10), down = QColor(10, 128, 10), none;
        QTest::newRow("price below 1e-8") << false << "lastprice" << QVariant(0.000000001) << "--" << down;
        QTest::newRow("price above 1e-8") << false << "lastprice" << QVariant(0.00000002) << "0.00" << down;
        QTest::newRow("never written") << false << "incdecprice" << QVariant() << "--" << none;
        QTest::newRow("integer 0") << false << "tdyposvol" << QVariant(0) << "--" << none;
        QTest::newRow("integer") << false << "tdyposvol" << QVariant(120344) << "12.03万" << none;
        QTest::newRow("empty text") << false << "stkcode" << QVariant(QString()) << "" << none;
        QTest::newRow("change up") << false << "incdecprice" << QVariant(0.5) << "0.50" << up;
        QTest::newRow("change down") << false << "incdecprice" << QVariant(-0.5) << "-0.50" << down;
        QTest::newRow("change of 0") << false << "incdecprice" << QVariant(-0.0) << "0.00" << none;
        QTest::newRow("last above settlement") << false << "lastprice" << QVariant(4512.5) << "4512.50" << up;
        QTest::newRow("last at settlement") << false << "lastprice" << QVariant(100.0) << "100.00" << none;
        QTest::newRow("last above close, below settlement") << true << "lastprice" << QVariant(99.5) << "99.50" << up;
    }
    void look()
    {
        QFETCH(bool, withClose);
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        Board board(withClose);
        const int row = board.contract("cu2701");
        if (withClose)
            board.ds.setFieldValue(row, QStringLiteral("ystdcloseprice"), 99.0);
        board.ds.setFieldValue(row, field, value);
        QTEST(board.cell(row, field).data().toString(), "text");
        QTEST(board.cell(row, field).data(Qt::ForegroundRole), "colour");
    }

    // A flashed cell shows the light blue until its duration has passed
    // since its last change (give or take the 200 ms expiry timer); outside
    // a flash there is no background, and setting one only repaints.
    void flashLastsFromTheLastChange()
    {
        Board board;
        const int row = board.contract("cu2701");
        const QModelIndex last = board.cell(row, QStringLiteral("lastprice"));
        QSignalSpy changed(&board.model, &QAbstractItemModel::dataChanged);
        QVERIFY(board.model.setData(last, QColor(Qt::red), Qt::BackgroundRole));
        QVERIFY(!board.model.setData(board.model.index(1, 1), QColor(Qt::red), Qt::BackgroundRole));
        QVERIFY(!board.lit(row));
        board.model.setFlashDuration(600);
        board.model.setFlashEnabled(true);
        board.model.flashField(row, QStringLiteral("lastprice"));
        board.model.flashField(row + 1, QStringLiteral("lastprice"));
        board.model.flashField(row, QStringLiteral("nosuch"));
        QCOMPARE(last.data(Qt::BackgroundRole), Flash);
        QCOMPARE(changed.size(), 2);
        QTest::qWait(300);
        QElapsedTimer sinceLastChange;
        sinceLastChange.start();
        board.model.flashField(row, QStringLiteral("lastprice"));
        QTRY_VERIFY_WITH_TIMEOUT(!board.lit(row), 2000);
        QVERIFY2(sinceLastChange.elapsed() >= 600, qPrintable(QString::number(sinceLastChange.elapsed())));
        for (const QList<QVariant> &repaint : qAsConst(changed))
            QVERIFY(repaint.at(0).toModelIndex() == last && repaint.at(1).toModelIndex() == last);
    }

    // A frame's held changes are told once, each run of neighbouring cells of a row together.
    void heldChangesAreToldAsRuns()
    {
        Board board;
        const int row = board.contract("cu2701");
        board.model.setFlashEnabled(true);
        QSignalSpy changed(&board.model, &QAbstractItemModel::dataChanged);
        board.model.holdChanges();
        board.ds.setFieldValue(row, QStringLiteral("incdecprice"), 1.0);
        board.model.flashField(row, QStringLiteral("lastprice"));
        board.ds.setFieldValue(row, QStringLiteral("ystdsettleprice"), 99.0);
        QCOMPARE(changed.size(), 0);
        board.model.releaseChanges();
        QCOMPARE(changed.size(), 2);
        QCOMPARE(changed.at(0).at(0).toModelIndex(), board.cell(row, QStringLiteral("lastprice")));
        QCOMPARE(changed.at(0).at(1).toModelIndex(), board.cell(row, QStringLiteral("incdecprice")));
        QCOMPARE(changed.at(1).at(0).toModelIndex(), board.cell(row, QStringLiteral("ystdsettleprice")));
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
        QVERIFY(board.lit(0));
        QVERIFY(!board.lit(1));
        board.ds.remove(0);
        QVERIFY(!board.lit(0));
        board.contract("cu2701");
        QVERIFY(!board.lit(1));
    }
};

QTEST_MAIN(TestVFQTableModel)
#include "tst_vfqtablemodel.moc"
