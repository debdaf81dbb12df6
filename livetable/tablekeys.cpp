#include "tablekeys.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QTableView>

#include <algorithm>

TableKeys::TableKeys(QTableView *view)
    : QObject(view)
    , m_view(view)
{
}

TableKeys *TableKeys::install(QTableView *view)
{
    auto *keys = new TableKeys(view);
    view->installEventFilter(keys);
    return keys;
}

bool TableKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_view || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->matches(QKeySequence::Copy) && m_view->model()) {
        QGuiApplication::clipboard()->setText(selectedRowsText(m_view));
        return true;
    }
    // While a cell is edited its editor has the keys, not the view.
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && m_view->currentIndex().isValid()) {
        emit m_view->doubleClicked(m_view->currentIndex());
        return true;
    }
    return QObject::eventFilter(watched, event);
}

QString TableKeys::selectedRowsText(const QTableView *view)
{
    const QAbstractItemModel *model = view->model();
    if (!model || !view->selectionModel())
        return QString();
    QVector<int> rows;
    for (const QModelIndex &index : view->selectionModel()->selectedIndexes()) {
        if (!rows.contains(index.row()))
            rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    const QHeaderView *header = view->horizontalHeader();
    QVector<int> columns;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (view->isColumnHidden(column))
            continue;
        for (int row : qAsConst(rows)) {
            if (!model->index(row, column, view->rootIndex()).data().toString().isEmpty()) {
                columns.append(column);
                break;
            }
        }
    }
    QStringList lines;
    QStringList cells;
    for (int column : qAsConst(columns))
        cells << model->headerData(column, Qt::Horizontal).toString();
    lines << cells.join(QLatin1Char('\t'));
    for (int row : qAsConst(rows)) {
        cells.clear();
        for (int column : qAsConst(columns))
            cells << model->index(row, column, view->rootIndex()).data().toString();
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
