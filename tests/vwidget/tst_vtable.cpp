// The table model over a dataset, and the table view that shows it: its header sorts, its columns fit,
// the buttons its delegate draws in cells are clicked.

#include <testutil.h>
#include <vbuttondelegate.h>
#include <vdataset.h>
#include <vtablemodel.h>
#include <vtableview.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QtTest>

namespace {

// id (hidden), price (double, caller's decimals and format), volume
// (double, no decimals), qty (integer), name (text).
struct Fixture
{
    VDataset ds;
    VTableModel model;
    QAbstractItemModelTester tester {&model, QAbstractItemModelTester::FailureReportingMode::QtTest};

    explicit Fixture(int decimals = 2, const QString &format = QString())
    {
        ds.addField(QStringLiteral("id"), u("内码"), vd::DT_String, 12, 12)->setVisible(false);
        ds.addField(QStringLiteral("price"), u("价格"), vd::DT_Double, 12, 8)->setDecimals(decimals)->setDisplayFormat(format);
        ds.addField(QStringLiteral("volume"), u("成交量"), vd::DT_Double, 12, 8);
        ds.addField(QStringLiteral("qty"), u("数量"), vd::DT_Integer, 12, 8);
        ds.addField(QStringLiteral("name"), u("名称"), vd::DT_String, 12, 8);
        ds.open();
        model.linkDatasetTable(&ds, nullptr, false, false);
    }
    int add(const QString &id, double price)
    {
        const int row = ds.append();
        ds.setFieldValue(row, QStringLiteral("id"), id);
        ds.setFieldValue(row, QStringLiteral("price"), price);
        return row;
    }
    QStringList ids() const
    {
        QStringList list;
        for (int row = 0; row < ds.recordCount(); ++row)
            list << ds.fieldValue(row, QStringLiteral("id")).toString();
        return list;
    }
};

} // namespace

class TestVTable : public QObject
{
    Q_OBJECT

private slots:
    void displayText_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("decimals") << "price" << 2 << QString() << QVariant(3.14159) << "3.14";
        QTest::newRow("pct with decimals") << "price" << 4 << "pct" << QVariant(0.0123) << "1.2300%";
        QTest::newRow("pct without decimals") << "price" << -1 << "pct" << QVariant(-0.005) << "-0.50%";
        QTest::newRow("no decimals: a volume is whole") << "volume" << 2 << QString() << QVariant(12345.0) << "12345";
        QTest::newRow("no decimals: a price as written") << "volume" << 2 << QString() << QVariant(4512.5) << "4512.5";
        QTest::newRow("no decimals: noise is dropped") << "volume" << 2 << QString() << QVariant(0.1 + 0.2) << "0.3";
        QTest::newRow("no decimals: never -0") << "volume" << 2 << QString() << QVariant(-0.00001) << "0";
        QTest::newRow("integer") << "qty" << 2 << QString() << QVariant(QStringLiteral("42")) << "42";
        QTest::newRow("text") << "name" << 2 << QString() << QVariant(u("螺纹钢")) << u("螺纹钢");
        QTest::newRow("null") << "price" << 2 << QString() << QVariant() << "";
    }
    void displayText()
    {
        QFETCH(QString, field);
        QFETCH(int, decimals);
        QFETCH(QString, format);
        QFETCH(QVariant, value);
        Fixture f(decimals, format);
        const int row = f.ds.append();
        f.ds.setFieldValue(row, field, value);
        const QModelIndex cell = f.model.index(row, f.model.colIndexByFieldName(field));
        QTEST(cell.data().toString(), "text");
        const bool number = field != QLatin1String("name");
        QCOMPARE(cell.data(Qt::TextAlignmentRole).toInt(),
                 int((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }

    // Visible fields are the columns; each change reaches views as exactly
    // what changed: one cell, one inserted or removed row.
    void columnsAndChanges()
    {
        Fixture f;
        QCOMPARE(f.model.columnCount(), 4);
        QCOMPARE(f.model.colIndexByFieldName(QStringLiteral("id")), -1);
        QCOMPARE(f.model.colIndexByFieldName(QStringLiteral("qty")), 2);
        QCOMPARE(f.model.fieldIndex(f.model.index(0, 2)), -1); // no row yet
        QCOMPARE(f.model.headerData(3, Qt::Horizontal).toString(), u("名称"));

        QSignalSpy inserted(&f.model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&f.model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy changed(&f.model, &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&f.model, &QAbstractItemModel::modelReset);
        f.add(QStringLiteral("a"), 1.0);
        f.add(QStringLiteral("b"), 2.0);
        changed.clear();
        QCOMPARE(f.model.fieldIndex(f.model.index(1, 2)), 3);
        f.ds.setFieldValue(1, QStringLiteral("qty"), 7);
        f.ds.setFieldValue(1, QStringLiteral("qty"), 7);
        f.ds.setFieldValue(1, QStringLiteral("id"), QStringLiteral("c")); // hidden: no cell
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex(), f.model.index(1, 2));
        QCOMPARE(changed.at(0).at(1).toModelIndex(), f.model.index(1, 2));
        QVERIFY(f.model.setData(f.model.index(0, 3), u("甲")));
        QCOMPARE(f.ds.fieldValue(0, QStringLiteral("name")).toString(), u("甲"));
        f.ds.remove(0);
        QCOMPARE(inserted.size(), 2);
        QCOMPARE(removed.size(), 1);
        QCOMPARE(reset.size(), 0);
        f.ds.close(true);
        QCOMPARE(reset.size(), 1);
        QCOMPARE(f.model.rowCount(), 0);
    }

    // A header click reorders the dataset's records (stable; the first click
    // turns the indicator's largest-first order to smallest first); the
    // selected record stays selected. Linked with keepRowOrder the records
    // stay where they are.
    void headerClickSorts_data()
    {
        QTest::addColumn<bool>("keepRowOrder");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QStringList>("ids");
        QTest::newRow("ascending") << false << 1 << words("b d a c");
        QTest::newRow("descending") << false << 2 << words("a c b d");
        QTest::newRow("kept in order") << true << 1 << words("a b c d");
    }
    void headerClickSorts()
    {
        QFETCH(bool, keepRowOrder);
        QFETCH(int, clicks);
        QFETCH(QStringList, ids);
        Fixture f;
        f.add(QStringLiteral("a"), 2.0);
        f.add(QStringLiteral("b"), 1.0);
        f.add(QStringLiteral("c"), 2.0);
        f.add(QStringLiteral("d"), 1.0);
        VTableView view;
        f.model.linkDatasetTable(&f.ds, &view, true, keepRowOrder);
        // Sorts at once by the header's indicator: price, largest first.
        view.setSortingEnabled(true);
        view.setSelectionBehavior(QAbstractItemView::SelectRows);
        view.resize(400, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.selectRow(f.ids().indexOf(QStringLiteral("c")));
        QHeaderView *header = view.horizontalHeader();
        const QPoint price(header->sectionViewportPosition(0) + header->sectionSize(0) / 2, header->height() / 2);
        for (int i = 0; i < clicks; ++i)
            QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, price);
        QCOMPARE(f.ids(), ids);
        QCOMPARE(view.currentIndex().row(), ids.indexOf(QStringLiteral("c")));
        QCOMPARE(view.selectionModel()->selectedRows().value(0).row(), ids.indexOf(QStringLiteral("c")));
    }

    // A column too narrow for its texts is widened to the widest of them; the
    // stretched columns of a view share its width by their texts while they fit.
    void columnsFitTheirTexts_data()
    {
        QTest::addColumn<bool>("stretch");
        QTest::newRow("interactive") << false;
        QTest::newRow("stretched") << true;
    }
    void columnsFitTheirTexts()
    {
        QFETCH(bool, stretch);
        QStandardItemModel model(3, 4);
        model.setItem(1, 2, new QStandardItem(QStringLiteral("-0.0600% of a long text")));
        VTableView view;
        view.setModel(&model);
        view.horizontalHeader()->setDefaultSectionSize(40);
        if (stretch)
            view.horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        view.resize(600, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const int needed = view.fontMetrics().horizontalAdvance(QStringLiteral("-0.0600% of a long text"));
        QTRY_VERIFY(view.columnWidth(2) > needed);
        if (stretch) { // the others share what is left, and the columns fill the view
            QVERIFY(view.columnWidth(0) < view.columnWidth(2));
            int total = 0;
            for (int column = 0; column < 4; ++column)
                total += view.columnWidth(column);
            QCOMPARE(total, view.viewport()->width());
        } else {
            QCOMPARE(view.columnWidth(0), 40);
        }
    }

    // Press and release, each inside or outside the button of row 1 or row 2
    // of the button column (1): only both inside one button click it.
    void clickNeedsPressAndReleaseInsideOneButton_data()
    {
        QTest::addColumn<QPoint>("press"); // (row, 0: inside the button, 1: in the cell beside it)
        QTest::addColumn<QPoint>("release");
        QTest::addColumn<int>("clickedRow");
        QTest::newRow("inside") << QPoint(1, 0) << QPoint(1, 0) << 1;
        QTest::newRow("released beside the button") << QPoint(1, 0) << QPoint(1, 1) << -1;
        QTest::newRow("pressed beside the button") << QPoint(1, 1) << QPoint(1, 0) << -1;
        QTest::newRow("released on another row's button") << QPoint(1, 0) << QPoint(2, 0) << -1;
    }
    void clickNeedsPressAndReleaseInsideOneButton()
    {
        QFETCH(QPoint, press);
        QFETCH(QPoint, release);
        QFETCH(int, clickedRow);

        QStandardItemModel model(4, 3);
        QTableView view;
        view.setModel(&model);
        view.horizontalHeader()->setDefaultSectionSize(80);
        VButtonDelegate delegate;
        delegate.setButtonResId(QStringLiteral(":/missing/add"), QString());
        delegate.setDelegateColumn(1, false, false);
        view.setItemDelegateForColumn(1, &delegate);
        view.resize(400, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        auto at = [&](const QPoint &where) {
            const QRect button = delegate.buttonRect(view.visualRect(model.index(where.x(), 1)));
            return where.y() == 0 ? button.center() : button.topRight() + QPoint(10, 0);
        };
        QSignalSpy clicked(&delegate, &VButtonDelegate::onButtonClicked);
        QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, at(press));
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, at(release));
        QCOMPARE(clicked.size(), clickedRow < 0 ? 0 : 1);
        if (clickedRow >= 0)
            QCOMPARE(clicked.at(0).at(0).toModelIndex(), model.index(clickedRow, 1));
    }
};

QTEST_MAIN(TestVTable)
#include "tst_vtable.moc"
