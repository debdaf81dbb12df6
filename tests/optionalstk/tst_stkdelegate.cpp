// Mouse events go through the window system as the user's would: a press
// first moves the pointer to its position, a drag delivers moves with the
// button held, and a release reaches the view's press logic.
#define QTEST_QPA_MOUSE_HANDLING

#include <optionalstk/stkdelegate.h>
#include <optionalstk/stkmodel.h>

#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

namespace {

const int kButton = StkModel::DeleteButton;

enum Action { Move, Press, Release, RightPress, RightRelease };
enum Where { OnButton, Beside };
struct Step
{
    Action action;
    int row;
    Where where;
};

StkModel::Row makeRow(const QString &id)
{
    StkModel::Row row {QStringLiteral("1"), id, id, id};
    for (int column = StkModel::Last; column <= StkModel::LimitDown; ++column)
        row << QStringLiteral("0.00");
    row << QStringLiteral("0") << QStringLiteral("A");
    return row;
}

} // namespace

Q_DECLARE_METATYPE(QList<Step>)

class StkDelegateTest : public QObject
{
    Q_OBJECT

private:
    QList<StkModel::Row> m_rows;
    StkModel *m_model = nullptr;
    StkDelegate *m_delegate = nullptr;
    QTableView *m_view = nullptr;

    QModelIndex button(int row) const { return m_model->index(row, kButton); }
    int state(int row) const { return m_rows.at(row).at(kButton).toInt(); }
    QPoint onButton(int row) const { return StkDelegate::buttonRect(m_view->visualRect(button(row))).center(); }
    // Inside the button's cell, beside the button.
    QPoint besideButton(int row) const { return m_view->visualRect(button(row)).topLeft() + QPoint(2, 2); }
    QPoint otherCell(int row) const { return m_view->visualRect(m_model->index(row, StkModel::Name)).center(); }
    QWidget *viewport() const { return m_view->viewport(); }

private slots:
    void init()
    {
        m_rows = {makeRow(QStringLiteral("1600519")), makeRow(QStringLiteral("2000001")),
                  makeRow(QStringLiteral("1600000"))};
        m_view = new QTableView;
        m_model = new StkModel(m_view);
        m_model->setHorizontalHeaderLabels(StkModel::headerLabels());
        m_model->setTextlessColumn(kButton);
        m_model->setRowSource(&m_rows);
        m_delegate = new StkDelegate(m_view);
        m_delegate->setButtonColumn(kButton);
        m_view->setItemDelegate(m_delegate);
        m_view->setMouseTracking(true);
        m_view->setModel(m_model);
        m_view->horizontalHeader()->setDefaultSectionSize(69);
        m_view->verticalHeader()->setDefaultSectionSize(30);
        m_view->resize(1500, 200);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view));
        // Away from every cell: a move to where the pointer already is would be dropped.
        QTest::mouseMove(m_view, QPoint(1, 1));
    }
    void cleanup()
    {
        delete m_view;
        m_rows.clear();
    }

    void buttonGeometry_data()
    {
        QTest::addColumn<QRect>("cell");
        QTest::addColumn<QRect>("button");
        QTest::newRow("even size") << QRect(0, 0, 70, 30) << QRect(26, 6, 16, 16);
        QTest::newRow("odd size, halved down") << QRect(100, 40, 69, 31) << QRect(126, 47, 16, 16);
    }
    void buttonGeometry()
    {
        QFETCH(QRect, cell);
        QFETCH(QRect, button);
        QCOMPARE(StkDelegate::buttonRect(cell), button);
    }

    // The pure case, as the delegate sees it: a release with nothing pressed or tracked before.
    void releaseOverAButtonNeverPressedClicksIt()
    {
        QSignalSpy clicked(m_delegate, &StkDelegate::btnclicked);
        QStyleOptionViewItem option;
        option.rect = m_view->visualRect(button(1));
        QMouseEvent release(QEvent::MouseButtonRelease, onButton(1), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        m_delegate->editorEvent(&release, m_model, option, button(1));
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(clicked.at(0).at(0).toModelIndex(), button(1));
        QCOMPARE(state(1), 1);
    }

    void mouseSequences_data()
    {
        QTest::addColumn<QList<Step>>("steps");
        QTest::addColumn<QList<int>>("clickedRows");
        QTest::addColumn<QList<int>>("states");
        QTest::newRow("click") << QList<Step> {{Press, 0, OnButton}, {Release, 0, OnButton}} << QList<int> {0}
                               << QList<int> {1, 0, 0};
        QTest::newRow("hover, then click")
            << QList<Step> {{Move, 1, OnButton}, {Press, 1, OnButton}, {Release, 1, OnButton}} << QList<int> {1}
            << QList<int> {0, 1, 0};
        QTest::newRow("released on a button pressed beside it")
            << QList<Step> {{Press, 1, Beside}, {Release, 1, OnButton}} << QList<int> {1} << QList<int> {0, 1, 0};
        QTest::newRow("pressed, then dragged off the button")
            << QList<Step> {{Press, 0, OnButton}, {Move, 0, Beside}, {Release, 0, Beside}} << QList<int>()
            << QList<int> {0, 0, 0};
        QTest::newRow("pressed, then dragged to another button")
            << QList<Step> {{Press, 0, OnButton}, {Move, 2, OnButton}, {Release, 2, OnButton}} << QList<int>()
            << QList<int> {0, 0, 1};
        QTest::newRow("pressed elsewhere, then on a button")
            << QList<Step> {{Press, 0, OnButton}, {Release, 0, OnButton}, {Press, 2, OnButton}} << QList<int> {0}
            << QList<int> {0, 0, 2};
        QTest::newRow("right button, over the button")
            << QList<Step> {{RightPress, 0, OnButton}, {RightRelease, 0, OnButton}} << QList<int>()
            << QList<int> {1, 0, 0};
    }
    void mouseSequences()
    {
        QFETCH(QList<Step>, steps);
        QFETCH(QList<int>, clickedRows);
        QFETCH(QList<int>, states);
        QSignalSpy clicked(m_delegate, &StkDelegate::btnclicked);
        for (const Step &step : steps) {
            const QPoint at = step.where == OnButton ? onButton(step.row) : besideButton(step.row);
            switch (step.action) {
            case Move: QTest::mouseMove(viewport(), at); break;
            case Press: QTest::mousePress(viewport(), Qt::LeftButton, {}, at); break;
            case Release: QTest::mouseRelease(viewport(), Qt::LeftButton, {}, at); break;
            case RightPress: QTest::mousePress(viewport(), Qt::RightButton, {}, at); break;
            case RightRelease: QTest::mouseRelease(viewport(), Qt::RightButton, {}, at); break;
            }
        }
        QList<int> rows;
        for (const QList<QVariant> &args : qAsConst(clicked))
            rows << args.at(0).toModelIndex().row();
        QCOMPARE(rows, clickedRows);
        QList<int> actual;
        for (int row = 0; row < m_rows.size(); ++row)
            actual << state(row);
        QCOMPARE(actual, states);
    }

    void hoverInAndOut()
    {
        QSignalSpy in(m_delegate, &StkDelegate::mousein);
        QSignalSpy out(m_delegate, &StkDelegate::mouseout);

        QTest::mouseMove(viewport(), onButton(0));
        QCOMPARE(state(0), 1);
        QCOMPARE(in.size(), 1);
        QCOMPARE(in.last().at(0).toModelIndex(), button(0));

        QTest::mouseMove(viewport(), besideButton(0));
        QCOMPARE(state(0), 0);
        QCOMPARE(out.size(), 1);
        QCOMPARE(out.last().at(0).toModelIndex(), button(0));

        QTest::mouseMove(viewport(), onButton(0));
        QTest::mouseMove(viewport(), onButton(1));
        QCOMPARE(state(0), 0);
        QCOMPARE(state(1), 1);
        QCOMPARE(out.last().at(0).toModelIndex(), button(0));
        QCOMPARE(in.last().at(0).toModelIndex(), button(1));

        const int outBefore = out.size();
        QTest::mouseMove(viewport(), otherCell(1));
        QCOMPARE(state(1), 0);
        QCOMPARE(out.size(), outBefore + 1);
        QCOMPARE(out.last().at(0).toModelIndex(), button(1));

        // Nothing is tracked any more: moving around other cells says nothing.
        const int inBefore = in.size();
        QTest::mouseMove(viewport(), otherCell(2));
        QCOMPARE(out.size(), outBefore + 1);
        QCOMPARE(in.size(), inBefore);
    }

    // The sprite holds the pressed, hover and normal frames from left to right.
    void paintsTheFrameOfTheState_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("filled");
        QTest::addColumn<bool>("dark");
        QTest::newRow("normal") << 0 << false << false;
        QTest::newRow("hover") << 1 << true << false;
        QTest::newRow("pressed") << 2 << true << true;
    }
    void paintsTheFrameOfTheState()
    {
        QFETCH(int, state);
        QFETCH(bool, filled);
        QFETCH(bool, dark);
        QVERIFY(m_model->setData(button(1), state, Qt::UserRole));
        const QImage image = viewport()->grab().toImage();
        // A point inside the button's disc, clear of the cross.
        const QColor colour = image.pixelColor(onButton(1) + QPoint(0, -5));
        QCOMPARE(colour.red() > 120 && colour.green() < 100, filled);
        QCOMPARE(filled && colour.red() < 200, dark);
    }
};

QTEST_MAIN(StkDelegateTest)
#include "tst_stkdelegate.moc"
