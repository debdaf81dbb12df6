#include <testutil.h>
#include <vcombobox.h>

#include <QHBoxLayout>
#include <QLineEdit>
#include <QtTest>

class TestVComboBox : public QObject
{
    Q_OBJECT

private slots:
    // Items sorted by their data or texts (stable), the current item kept.
    void sortByData_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<bool>("numeric");
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("numbers ascending") << int(Qt::UserRole) << true << int(Qt::AscendingOrder) << words("5月 9月a 9月b 12月");
        QTest::newRow("numbers descending") << int(Qt::UserRole) << true << int(Qt::DescendingOrder) << words("12月 9月a 9月b 5月");
        QTest::newRow("texts ascending") << int(Qt::DisplayRole) << false << int(Qt::AscendingOrder) << words("12月 5月 9月a 9月b");
    }
    void sortByData()
    {
        QFETCH(int, role);
        QFETCH(bool, numeric);
        QFETCH(int, order);
        VComboBox box;
        box.addItem(u("9月a"), 20260900);
        box.addItem(u("12月"), 20261200);
        box.addItem(u("5月"), 20260500);
        box.addItem(u("9月b"), 20260900);
        QVERIFY(box.setCurrentData(20261200));
        QVERIFY(!box.setCurrentData(1));
        QSignalSpy changed(&box, qOverload<int>(&QComboBox::currentIndexChanged));
        box.sortByColumn(0, role, Qt::SortOrder(order), numeric);
        QStringList sorted;
        for (int i = 0; i < box.count(); ++i)
            sorted << box.itemText(i);
        QTEST(sorted, "texts");
        QCOMPARE(box.currentText(), u("12月"));
        QCOMPARE(changed.size(), 0);
    }

    // However small a minimum width it was given and however tight its layout, the combo is as wide as its
    // widest item needs, also for an item added once it is shown.
    void fitsItsWidestItem()
    {
        QWidget window;
        auto *layout = new QHBoxLayout(&window);
        auto *box = new VComboBox(&window);
        box->setMinimumWidth(20);
        layout->addWidget(box);
        layout->addWidget(new QLineEdit(&window), 1);
        box->addItem(u("认购"), 1);
        box->addItem(u("认购&认沽"), 0);
        window.resize(40, 30);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (const QString &widest : {u("认购&认沽"), u("认购&认沽 全部期权")}) {
            if (box->findText(widest) < 0)
                box->addItem(widest, 2);
            QTRY_VERIFY(box->width() >= box->sizeHint().width());
            QVERIFY(box->sizeHint().width() > box->fontMetrics().horizontalAdvance(widest));
        }
    }
};

QTEST_MAIN(TestVComboBox)
#include "tst_vcombobox.moc"
