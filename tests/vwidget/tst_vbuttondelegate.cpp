#include <vbuttondelegate.h>

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QtTest>

class TestVButtonDelegate : public QObject
{
    Q_OBJECT

private slots:
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

QTEST_MAIN(TestVButtonDelegate)
#include "tst_vbuttondelegate.moc"
