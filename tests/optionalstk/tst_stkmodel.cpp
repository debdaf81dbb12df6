// The watchlist's table: how the model presents and sorts the rows, and the
// delegate's delete button, which keeps its state in the rows.
//
// Mouse events go through the window system as the user's would: a press
// first moves the pointer to its position, a drag delivers moves with the
// button held, and a release reaches the view's press logic.
#define QTEST_QPA_MOUSE_HANDLING

#include <framewait.h>
#include <optionalstk/stkdelegate.h>
#include <optionalstk/stkmodel.h>
#include <optionalstk/stkrows.h>
#include <quotrecord.h>
#include <testutil.h>

#include <QAbstractItemModelTester>
#include <QColor>
#include <QFont>
#include <QTableView>
#include <QtTest>

namespace {

// A row of zeros with its id and one column's text.
StkModel::Row makeRow(const QString &id, int column, const QString &text)
{
    StkModel::Row row;
    for (int col = 0; col < StkModel::ColumnCount; ++col)
        row << (col == column ? text : col == StkModel::StkId ? id : u("0"));
    return row;
}

} // namespace

class StkTableTest : public QObject
{
    Q_OBJECT

private:
    StkRows *m_rows = nullptr;
    StkModel *m_model = nullptr;
    QScopedPointer<QTableView> m_view;
    QStringList m_log; // "in0", "out0", "click0": the delegate's signal and row

    // 'o' on the row's button, 'b' beside it in the same cell, 'n' on the row's name.
    QPoint point(int row, char where) const
    {
        if (where == 'n')
            return m_view->visualRect(m_model->index(row, StkModel::Name)).center();
        const QRect cell = m_view->visualRect(m_model->index(row, StkModel::DeleteButton));
        return where == 'o' ? StkDelegate::buttonRect(cell).center() : cell.topLeft() + QPoint(2, 2);
    }
    // The button states as painted from the rows: the sprite's pressed frame
    // is dark red, the hover frame light red, the normal one clear.
    QString buttonStates() const
    {
        const QImage image = m_view->viewport()->grab().toImage();
        QString result;
        for (int row = 0; row < m_model->rowCount(); ++row) {
            const QColor c = image.pixelColor(point(row, 'o') + QPoint(0, -5)); // inside the disc, clear of the cross
            const bool filled = c.red() > 120 && c.green() < 100;
            result += QString::number(filled ? (c.red() < 200 ? 2 : 1) : 0);
        }
        return result;
    }

private slots:
    void init()
    {
        m_log.clear();
        m_rows = new StkRows(this);
        m_model = new StkModel(this);
        m_model->setHorizontalHeaderLabels(StkModel::headerLabels());
        m_model->setTextlessColumn(StkModel::DeleteButton);
        m_model->setRows(m_rows);
        new QAbstractItemModelTester(m_model, QAbstractItemModelTester::FailureReportingMode::QtTest, m_model);
    }
    void cleanup()
    {
        m_view.reset();
        delete m_model;
        delete m_rows;
    }

    void display_data()
    {
        QTest::addColumn<int>("col"); // 2 code, 4 last, 5 ratio, 6 change, 7 volume, 10 amount, 17 button
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("ratio");
        QTest::addColumn<QVariant>("shown");
        QTest::addColumn<QVariant>("colour");
        const QVariant none;
        const QVariant red = QColor(Qt::red), green = QColor(Qt::darkGreen), blue = QColor(Qt::darkBlue);
        QTest::newRow("volume below 万") << 7 << u("9999") << u("1.00") << QVariant(u("9999")) << none;
        QTest::newRow("volume in 万") << 7 << u("12345") << u("1.00") << QVariant(u("1.23万")) << none;
        QTest::newRow("no volume yet") << 7 << u("--") << u("--") << QVariant(u("--")) << none;
        QTest::newRow("amount in 亿") << 10 << u("250000000") << u("0.00") << QVariant(u("2.50亿")) << none;
        QTest::newRow("ratio rising") << 5 << u("2.00") << u("2.00") << QVariant(u("+2.00")) << red;
        QTest::newRow("ratio unchanged") << 5 << u("0.00") << u("0.00") << QVariant(u("0.00")) << none;
        QTest::newRow("change follows the ratio") << 6 << u("0.35") << u("2.00") << QVariant(u("+0.35")) << red;
        QTest::newRow("last price falling") << 4 << u("17.50") << u("-1.50") << QVariant(u("17.50")) << green;
        QTest::newRow("code") << 2 << u("600519") << u("-1.50") << QVariant(u("600519")) << blue;
        QTest::newRow("button column") << 17 << u("2") << u("2.00") << none << none;
    }
    void display()
    {
        QFETCH(int, col);
        QFETCH(QString, text);
        QFETCH(QString, ratio);
        StkModel::Row row = makeRow(u("1600519"), StkModel::ChangeRatio, ratio);
        row[col] = text;
        m_rows->showRows({row});
        const QModelIndex index = m_model->index(0, col);
        QTEST(index.data(), "shown");
        QTEST(index.data(Qt::ForegroundRole), "colour");
        QCOMPARE(index.data(Qt::FontRole).value<QFont>().bold(), col >= StkModel::Last && col <= StkModel::Change);
    }

    // The orders are reversed: ascending puts the largest value on top.
    void sort_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<Qt::SortOrder>("order");
        QTest::addColumn<QStringList>("values"); // of rows a, b, c, ... in that order
        QTest::addColumn<QString>("sorted"); // ids after sorting
        const Qt::SortOrder asc = Qt::AscendingOrder, desc = Qt::DescendingOrder;
        const QStringList names {u("9"), u("10"), u("b"), u("100")};
        const QStringList codes {u("000010"), u("9"), u("100"), u("--")};
        const QStringList equal {u("1"), u("2"), u("1"), u("2"), u("1")};
        QTest::newRow("name as text, ascending") << 3 << asc << names << u("cadb");
        QTest::newRow("name as text, descending") << 3 << desc << names << u("bdac");
        QTest::newRow("code as number, ascending") << 2 << asc << codes << u("cabd");
        QTest::newRow("stable, ascending") << 5 << asc << equal << u("bdace");
        QTest::newRow("stable, descending") << 5 << desc << equal << u("acebd");
    }
    void sort()
    {
        QFETCH(int, col);
        QFETCH(Qt::SortOrder, order);
        QFETCH(QStringList, values);
        QList<StkModel::Row> rows;
        for (int i = 0; i < values.size(); ++i)
            rows << makeRow(QString(QLatin1Char(char('a' + i))), col, values.at(i));
        m_rows->showRows(rows);
        m_model->sortdata(col, order);
        QString ids;
        for (int row = 0; row < m_model->rowCount(); ++row)
            ids += m_model->index(row, StkModel::StkId).data(Qt::UserRole).toString();
        QTEST(ids, "sorted");
    }

    // The rows write a quote's texts only when a row is read: a sort reads
    // them first, so it compares the latest quotes.
    void sortComparesQuotesNotYetRead()
    {
        QList<StkModel::Row> rows;
        for (const char id : {'a', 'b'}) {
            rows << makeRow(QString(QLatin1Char(id)), StkModel::Code, QString(QLatin1Char(id)));
            rows.last()[StkModel::Market] = u("1");
        }
        m_rows->showRows(rows);
        VQuotData record = makeQuotRecord('1', "b");
        record.lastPrice = 2.0;
        m_rows->addQuote(record);
        QVERIFY(waitForFrame());
        m_model->sortdata(StkModel::Last, Qt::AscendingOrder);
        QCOMPARE(m_model->index(0, StkModel::StkId).data(Qt::UserRole).toString(), u("b"));
    }

    void mouse_data()
    {
        // Steps: m move, p press, r release, P and R with the right button; row; where (see point()).
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("log");
        QTest::addColumn<QString>("states");
        QTest::newRow("hover in and out")
            << u("m0o m0b m0o m1o m1n m2n") << u("in0 out0 in0 out0 in1 out1") << u("000");
        QTest::newRow("click") << u("p0o r0o") << u("in0 click0") << u("100");
        QTest::newRow("press") << u("m1o p1o") << u("in1") << u("020");
        QTest::newRow("pressed, dragged off") << u("p0o m0b r0b") << u("in0 out0") << u("000");
        QTest::newRow("pressed, dragged to another button") << u("p0o m2o r2o") << u("in0 out0 in2") << u("001");
        QTest::newRow("pressed elsewhere, then on a button")
            << u("p0o r0o p2o") << u("in0 click0 out0 in2") << u("002");
        QTest::newRow("right button") << u("P0o R0o") << u("in0") << u("100");
    }
    void mouse()
    {
        QFETCH(QString, steps);
        QList<StkModel::Row> rows;
        for (int row = 0; row < 3; ++row)
            rows << makeRow(QString::number(row), StkModel::DeleteButton, u("0"));
        m_rows->showRows(rows);
        m_view.reset(new QTableView);
        auto *delegate = new StkDelegate(m_view.data());
        delegate->setButtonColumn(StkModel::DeleteButton);
        m_view->setItemDelegate(delegate);
        m_view->setMouseTracking(true);
        m_view->setModel(m_model);
        m_view->resize(2100, 200);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.data()));
        QTest::mouseMove(m_view.data(), QPoint(1, 1)); // away from every cell
        const auto logTo = [this](const char *what) {
            return
                [this, what](const QModelIndex &index) { m_log << QLatin1String(what) + QString::number(index.row()); };
        };
        connect(delegate, &StkDelegate::mousein, this, logTo("in"));
        connect(delegate, &StkDelegate::mouseout, this, logTo("out"));
        connect(delegate, &StkDelegate::btnclicked, this, logTo("click"));
        QWidget *viewport = m_view->viewport();
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            const QPoint at = point(step.at(1).digitValue(), step.at(2).toLatin1());
            const Qt::MouseButton mouseButton = step.at(0).isUpper() ? Qt::RightButton : Qt::LeftButton;
            switch (step.at(0).toLower().toLatin1()) {
            case 'm': QTest::mouseMove(viewport, at); break;
            case 'p': QTest::mousePress(viewport, mouseButton, {}, at); break;
            default: QTest::mouseRelease(viewport, mouseButton, {}, at);
            }
        }
        QTEST(m_log.join(QLatin1Char(' ')), "log");
        QTEST(buttonStates(), "states");
    }
};

QTEST_MAIN(StkTableTest)
#include "tst_stkmodel.moc"
