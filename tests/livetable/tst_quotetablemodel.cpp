#include <quotetablemodel.h>
#include <vdataset.h>

#include <QAbstractItemModelTester>
#include <QRandomGenerator>

#include <QtTest>

namespace {

// Lights a written cell for its row's security, for good.
class Model : public QuoteTableModel
{
public:
    Model() : QuoteTableModel({}, CellHighlights::AfterLastChange, 0, nullptr) { }
    using QuoteTableModel::isHighlighted;

protected:
    void highlightCell(int row, int field) override
    {
        highlights()->light(securityOfRow(row), fieldCell(row, field).column());
    }
};

} // namespace

class TestQuoteTableModel : public QObject
{
    Q_OBJECT

private slots:
    // Random appends, removals, sorts, new codes, resets and written prices,
    // every row's security read after each: a row's security is the one its
    // fields name now, never one that stood there before, so a write lights
    // the cell of its own security, and a lit cell stays with its security.
    void rowSecuritiesFollowTheRows()
    {
        VDataset ds;
        for (const char *name : {"stkcode", "market", "lastprice"})
            ds.addField(QLatin1String(name), QString(), name[0] == 'l' ? vd::DT_Double : vd::DT_String, 12, 8);
        const int price = ds.fields()->indexOf(QStringLiteral("lastprice"));
        ds.open();
        Model model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.linkDatasetTable(&ds, nullptr, false, false);
        QRandomGenerator random(20250611);
        int codes = 0;
        QSet<QString> lit; // products
        const auto product = [&ds](int row) {
            return ds.fieldValue(row, QStringLiteral("market")).toString() + QLatin1Char('|')
                + ds.fieldValue(row, QStringLiteral("stkcode")).toString();
        };
        QStringList gone; // the codes of removed rows
        // A new market (what 1), code (2) or both (3) for the row: a code of no other row.
        const auto rename = [&](int row, int what) {
            if (what & 1)
                ds.setFieldValue(row, QStringLiteral("market"), QString::number(1 + random.bounded(2)));
            const QString code = gone.isEmpty() || random.bounded(3) ? QString::number(++codes) : gone.takeLast();
            if (what & 2)
                ds.setFieldValue(row, QStringLiteral("stkcode"), code);
        };
        for (int step = 0; step < 3000; ++step) {
            const int op = int(random.bounded(100));
            const int row = ds.recordCount() ? int(random.bounded(ds.recordCount())) : -1;
            if (op < 30) {
                rename(ds.append(), 3);
                ds.setFieldValue(ds.recordCount() - 1, price, random.bounded(100.0));
            } else if (row < 0) {
                continue;
            } else if (op < 45) {
                lit.remove(product(row));
                gone << ds.fieldValue(row, QStringLiteral("stkcode")).toString();
                ds.remove(row);
            } else if (op < 55) {
                const bool byCode = random.bounded(2);
                model.sort(model.colIndexByFieldName(QLatin1String(byCode ? "stkcode" : "lastprice")),
                           Qt::SortOrder(random.bounded(2)));
            } else if (op < 70) {
                rename(row, 1 + int(random.bounded(3))); // the old security stays lit
            } else if (op < 98) {
                model.setQuoteValue(row, price, random.bounded(100.0), true);
                lit.insert(product(row));
            } else {
                ds.close(true);
                ds.open();
                lit.clear();
            }
            for (int r = 0; r < ds.recordCount(); ++r) {
                const QString shown = product(r);
                QVERIFY2(model.securityOfRow(r).productKey() == shown, qPrintable(QString::number(step)));
                QVERIFY2(model.isHighlighted(model.fieldCell(r, price)) == lit.contains(shown), qPrintable(shown));
            }
        }
    }
};

QTEST_MAIN(TestQuoteTableModel)
#include "tst_quotetablemodel.moc"
