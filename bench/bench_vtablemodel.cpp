// The dataset-backed table under quote load.
// (1) setFieldValue throughput with a VTableModel attached: every write
//     that changes a value emits onAfterUpdate and the model's dataChanged.
// (2) A shown LiveTableView over a VTableModel of 2,000 rows × 20 double
//     columns (about 35 rows in view) getting random cell writes on the GUI
//     thread at 10,000 and 50,000 writes per second: GUI-thread CPU and
//     paints per second, beside a plain QTableView over a
//     QStandardItemModel getting the same writes, in interleaved rounds.
//
//   bench_vtablemodel [seconds per measurement] [rounds]

#include "benchutil.h"

#include <livetableview.h>
#include <vdataset.h>
#include <vlogsink.h>
#include <vtablemodel.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <vector>

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
    const int ms = argc > 1 ? qMax(1, int(QString::fromLocal8Bit(argv[1]).toDouble() * 1000)) : 2000;
    const int rounds = argc > 2 ? qMax(1, QString::fromLocal8Bit(argv[2]).toInt()) : 3;

    throughput(2000000);

    VDataset dataset;
    define(dataset);
    VTableModel model;
    LiveTableView view;
    model.linkDatasetTable(&dataset, &view, true, false);

    QStandardItemModel plainModel(Rows, Columns);
    for (int row = 0; row < Rows; ++row) {
        for (int column = 0; column < Columns; ++column)
            plainModel.setItem(row, column, new QStandardItem(QString::number(10.0 + row * 0.01, 'f', 2)));
    }
    QTableView plainView;
    plainView.setModel(&plainModel);

    std::printf("\nshown table, %d rows x %d columns, random cell writes on the GUI thread, %d ms each, medians of %d"
                " interleaved rounds\n",
                Rows, Columns, ms, rounds);
    bench::printMachine();
    std::printf("%12s %14s %14s %14s %14s %8s\n", "writes/s", "live CPU %", "plain CPU %", "live paints", "plain paints",
                "beside");
    for (int rate : {10000, 50000}) {
        std::vector<bench::GuiLoad> live;
        std::vector<bench::GuiLoad> plain;
        std::vector<double> beside;
        for (int round = 0; round < rounds; ++round) {
            const bench::LoadBeside load;
            live.push_back(feed(view, rate, ms, [&](int row, int column, double value) {
                dataset.setFieldValue(row, column, value);
            }));
            plain.push_back(feed(plainView, rate, ms, [&](int row, int column, double value) {
                plainModel.item(row, column)->setText(QString::number(value, 'f', 2));
            }));
            beside.push_back(load.cores());
        }
        const auto cpu = [](const bench::GuiLoad &load) { return load.cpuPercent; };
        const auto paints = [](const bench::GuiLoad &load) { return load.paintsPerSecond; };
        std::printf("%12d %14.1f %14.1f %14.0f %14.0f %8.2f\n", rate, bench::median(live, cpu),
                    bench::median(plain, cpu), bench::median(live, paints), bench::median(plain, paints),
                    bench::quantile(beside, 0.5));
        std::fflush(stdout);
    }
    return 0;
}
