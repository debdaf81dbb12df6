#include <testutil.h>
#include <vcombobox.h>

#include <QSignalSpy>
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
        QTest::newRow("numbers ascending") << int(Qt::UserRole) << true << int(Qt::AscendingOrder) << u("5月 9月a 9月b 12月").split(QLatin1Char(' '));
        QTest::newRow("numbers descending") << int(Qt::UserRole) << true << int(Qt::DescendingOrder) << u("12月 9月a 9月b 5月").split(QLatin1Char(' '));
        QTest::newRow("texts ascending") << int(Qt::DisplayRole) << false << int(Qt::AscendingOrder) << u("12月 5月 9月a 9月b").split(QLatin1Char(' '));
    }
    void sortByData()
    {
        QFETCH(int, role);
        QFETCH(bool, numeric);
        QFETCH(int, order);
        QFETCH(QStringList, texts);
        VComboBox box;
        box.addItem(u("9月a"), 20260900);
        box.addItem(u("12月"), 20261200);
        box.addItem(u("5月"), 20260500);
        box.addItem(u("9月b"), 20260900);
        QVERIFY(box.setCurrentData(20261200));
        QVERIFY(!box.setCurrentData(1));
        QCOMPARE(box.currentText(), u("12月"));
        QSignalSpy changed(&box, qOverload<int>(&QComboBox::currentIndexChanged));
        box.sortByColumn(0, role, Qt::SortOrder(order), numeric);
        QStringList sorted;
        for (int i = 0; i < box.count(); ++i)
            sorted << box.itemText(i);
        QCOMPARE(sorted, texts);
        QCOMPARE(box.currentText(), u("12月"));
        QCOMPARE(changed.size(), 0);
    }
};

QTEST_MAIN(TestVComboBox)
#include "tst_vcombobox.moc"
