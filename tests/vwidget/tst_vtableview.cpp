#include <vtableview.h>

#include <QHeaderView>
#include <QStandardItemModel>
#include <QtTest>

// A column too narrow for its texts is widened to the widest of them; the
// stretched columns of a view share its width by their texts while they fit.
class TestVTableView : public QObject
{
    Q_OBJECT

private slots:
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
};

QTEST_MAIN(TestVTableView)
#include "tst_vtableview.moc"
