// The dataset-backed table under quote load.
// (1) setFieldValue throughput with a VTableModel attached: every write
//     that changes a value emits onAfterUpdate and the model's dataChanged.
// (2) A shown VTableView over 2,000 rows × 20 double columns (about 35 rows
//     in view) getting random cell writes on the GUI thread at 10,000 and
//     50,000 writes per second: GUI-thread CPU and paints per second, beside
//     a plain QTableView over a QStandardItemModel getting the same writes.
//
//   bench_vtablemodel [seconds per measurement]

#include "benchutil.h"

#include <vdataset.h>
#include <vlogsink.h>
#include <vtablemodel.h>
#include <vtableview.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

const int Rows = 2000;
const int Columns = 20;

void define(VDataset &dataset)
{
    for (int column = 0; column < Columns; ++column)
        dataset.addField(QStringLiteral("f%1").arg(column), QStringLiteral("字段%1").arg(column), vd::DT_Double, 12, 8)
            ->setDecimals(2);
    dataset.open();
    for (int row = 0; row < Rows; ++row) {
        dataset.append();
        for (int column = 0; column < Columns; ++column)
            dataset.setFieldValue(row, column, 10.0 + row * 0.01);
    }
}

// Writes per second through setFieldValue, by field index and by name.
void throughput(int writes)
{
    VDataset dataset;
    define(dataset);
    VTableModel model;
    model.linkDatasetTable(&dataset, nullptr, false, false);
    const QString name = QStringLiteral("f7");
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < writes; ++i)
        dataset.setFieldValue(i % Rows, i % Columns, double(i));
    const double byIndex = writes / (timer.nsecsElapsed() / 1e9);
    timer.start();
    for (int i = 0; i < writes; ++i)
        dataset.setFieldValue(i % Rows, name, double(i));
    const double byName = writes / (timer.nsecsElapsed() / 1e9);
    std::printf("setFieldValue with a model attached: %.2f M writes/s by field index, %.2f M writes/s by name\n",
                byIndex / 1e6, byName / 1e6);
}

// Shows view, then writes rate random cells a second on the GUI thread (one
// batch a millisecond) for ms; returns the GUI thread's load.
bench::GuiLoad feed(QTableView &view, int rate, int ms, const std::function<void(int, int, double)> &write)
{
    view.resize(1280, 800);
    view.show();
    bench::runFor(200);
    QRandomGenerator random(7);
    quint64 written = 0;
    QElapsedTimer clock;
    clock.start();
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const quint64 due = quint64(double(rate) * clock.nsecsElapsed() / 1e9);
        for (; written < due; ++written)
            write(random.bounded(Rows), random.bounded(Columns), 10.0 + random.bounded(1000) * 0.01);
    });
    timer.start(1);
    const bench::GuiLoad load = bench::measureFor(view.viewport(), ms);
    timer.stop();
    view.hide();
    return load;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    VLog::setFileLogging(false);
    const int ms = argc > 1 ? qMax(1, QString::fromLocal8Bit(argv[1]).toInt()) * 1000 : 3000;

    throughput(2000000);

    VDataset dataset;
    define(dataset);
    VTableModel model;
    VTableView view;
    model.linkDatasetTable(&dataset, &view, true, false);

    QStandardItemModel plainModel(Rows, Columns);
    for (int row = 0; row < Rows; ++row) {
        for (int column = 0; column < Columns; ++column)
            plainModel.setItem(row, column, new QStandardItem(QString::number(10.0 + row * 0.01, 'f', 2)));
    }
    QTableView plainView;
    plainView.setModel(&plainModel);

    std::printf("\nshown table, %d rows x %d columns, random cell writes on the GUI thread, %.0f s each\n", Rows,
                Columns, ms / 1000.0);
    std::printf("%12s %14s %14s %14s %14s\n", "writes/s", "VTable CPU %", "plain CPU %", "VTable paints", "plain paints");
    for (int rate : {10000, 50000}) {
        const bench::GuiLoad tarn = feed(view, rate, ms, [&](int row, int column, double value) {
            dataset.setFieldValue(row, column, value);
        });
        const bench::GuiLoad plain = feed(plainView, rate, ms, [&](int row, int column, double value) {
            plainModel.item(row, column)->setText(QString::number(value, 'f', 2));
        });
        std::printf("%12d %14.1f %14.1f %14.0f %14.0f\n", rate, tarn.cpuPercent, plain.cpuPercent,
                    tarn.paintsPerSecond, plain.paintsPerSecond);
    }
    return 0;
}
