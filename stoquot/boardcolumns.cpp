#include "boardcolumns.h"

#include <livetableview.h>

#include <vdataset.h>
#include <vfield.h>

#include <QAction>
#include <QEvent>
#include <QHeaderView>
#include <QMenu>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

#include <algorithm>

namespace {

const QString HiddenKey = QStringLiteral("HiddenColumns");
const OptionTables::Table SideTables[]
    = {OptionTables::AllCall, OptionTables::AllPut, OptionTables::Call, OptionTables::Put};

bool isCombined(OptionTables::Table table)
{
    return table == OptionTables::AllCall || table == OptionTables::AllPut;
}

} // namespace

BoardColumns::BoardColumns(QWidget *board, OptionTables *tables)
    : QObject(board)
    , m_tables(tables)
    , m_menu(new QMenu(board))
    , m_look(new QTimer(this))
{
    m_menu->setObjectName(QStringLiteral("columnMenu"));
    m_menu->addSection(QStringLiteral("行情列"));
    // The single-side tables hold every quote column the board has.
    const VFieldList *fields = m_tables->dataset(OptionTables::Call).fields();
    for (int i = 0; i < fields->count(); ++i) {
        const VField *field = fields->at(i);
        if (!field->isVisible())
            continue;
        QAction *action = m_menu->addAction(field->caption());
        action->setCheckable(true);
        action->setChecked(true);
        connect(action, &QAction::toggled, this, [this] {
            applyHidden();
            columnsChanged();
        });
        m_columnActions.insert(field->name(), action);
    }

    for (int table = 0; table < OptionTables::TableCount; ++table) {
        QHeaderView *header = m_tables->view(OptionTables::Table(table))->horizontalHeader();
        header->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(header, &QWidget::customContextMenuRequested, this,
                [this, header](const QPoint &at) { m_menu->popup(header->mapToGlobal(at)); });
    }
    for (const OptionTables::Table table : SideTables) {
        LiveTableView *view = m_tables->view(table);
        view->viewport()->installEventFilter(this);
        if (isCombined(table)) {
            view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
            // By the pixel, so that the two sides mirror each other exactly.
            view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
            QScrollBar *bar = view->horizontalScrollBar();
            connect(bar, &QScrollBar::valueChanged, this, [this, table](int value) { followScroll(table, value); });
            // A new range: the calls stand where the puts do.
            connect(bar, &QScrollBar::rangeChanged, this, [this] {
                followScroll(OptionTables::AllPut, m_tables->view(OptionTables::AllPut)->horizontalScrollBar()->value());
            });
        }
    }
    // The values in view are looked at a few times a second, not every
    // frame: a value wider than any before is rare.
    m_look->setSingleShot(true);
    m_look->setInterval(LookMs);
    connect(m_look, &QTimer::timeout, this, &BoardColumns::valuesShown);
    connect(m_tables, &OptionTables::written, this, &BoardColumns::lookSoon);
}

void BoardColumns::lookSoon()
{
    if (!m_look->isActive())
        m_look->start();
}

void BoardColumns::applyHidden()
{
    for (const OptionTables::Table table : SideTables) {
        LiveTableView *view = m_tables->view(table);
        for (auto action = m_columnActions.cbegin(); action != m_columnActions.cend(); ++action) {
            const int column = m_tables->model(table).colIndexByFieldName(action.key());
            if (column >= 0)
                view->setColumnHidden(column, !action.value()->isChecked());
        }
    }
}

void BoardColumns::columnsChanged()
{
    for (const OptionTables::Table table : SideTables)
        fit(table);
}

void BoardColumns::valuesShown()
{
    for (const OptionTables::Table table : SideTables) {
        const LiveTableView *view = m_tables->view(table);
        if (!view->isVisible())
            continue;
        const int first = view->rowAt(0);
        if (first < 0)
            continue;
        int last = view->rowAt(view->viewport()->height() - 1);
        const QAbstractItemModel *model = view->model();
        if (last < 0)
            last = model->rowCount() - 1;
        QVector<int> &widest = m_widest[table];
        QVector<int> &longest = m_longest[table];
        const int columns = model->columnCount();
        widest.resize(columns);
        longest.resize(columns);
        bool wider = false;
        for (int column = 0; column < columns; ++column) {
            if (view->isColumnHidden(column))
                continue;
            for (int row = first; row <= last; ++row) {
                const QString text = model->index(row, column).data().toString();
                // A text shorter than the longest before is not wider
                // (digits are as wide as each other, signs narrower).
                if (text.size() < longest[column])
                    continue;
                longest[column] = text.size();
                const int width = view->fontMetrics().horizontalAdvance(text);
                if (width > widest[column]) {
                    widest[column] = width;
                    wider = true;
                }
            }
        }
        if (wider)
            fit(table);
    }
}

int BoardColumns::neededWidth(OptionTables::Table table, int column) const
{
    const LiveTableView *view = m_tables->view(table);
    // The cell's text margins, as the delegate lays text out, and the grid line.
    const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    const int value = m_widest[table].value(column) + 2 * margin + 1;
    return std::max(view->horizontalHeader()->sectionSizeHint(column), value);
}

void BoardColumns::fit(OptionTables::Table table)
{
    LiveTableView *view = m_tables->view(table);
    QHeaderView *header = view->horizontalHeader();
    const int columns = view->model() ? view->model()->columnCount() : 0;
    QVector<int> needed(columns, 0);
    int total = 0;
    for (int column = 0; column < columns; ++column) {
        if (!header->isSectionHidden(column)) {
            needed[column] = neededWidth(table, column);
            total += needed[column];
        }
    }
    if (total == 0)
        return;
    const QScopedValueRollback<bool> fitting(m_fitting, true);
    if (!isCombined(table)) {
        for (int column = 0; column < columns; ++column) {
            if (needed[column] > header->sectionSize(column))
                header->resizeSection(column, needed[column]);
        }
        return;
    }
    // The room left over goes to every column by its need; too little, and the table scrolls.
    const int room = view->viewport()->width();
    const int extra = std::max(0, room - total);
    int given = 0;
    int lastShown = -1;
    for (int column = 0; column < columns; ++column) {
        if (needed[column] == 0)
            continue;
        const int share = int(qint64(extra) * needed[column] / total);
        header->resizeSection(column, needed[column] + share);
        given += needed[column] + share;
        lastShown = column;
    }
    if (lastShown >= 0 && given < std::max(room, total))
        header->resizeSection(lastShown, header->sectionSize(lastShown) + std::max(room, total) - given);
    // Either side too wide: all three tables get a scroll bar's room, so
    // their rows stay in line.
    bool scrolls = false;
    for (const OptionTables::Table side : {OptionTables::AllCall, OptionTables::AllPut}) {
        const LiveTableView *sideView = m_tables->view(side);
        scrolls = scrolls || sideView->horizontalHeader()->length() > sideView->viewport()->width();
    }
    const Qt::ScrollBarPolicy policy = scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    for (const OptionTables::Table combined :
         {OptionTables::AllCall, OptionTables::AllExercisePrice, OptionTables::AllPut})
        m_tables->view(combined)->setHorizontalScrollBarPolicy(policy);
}

void BoardColumns::followScroll(OptionTables::Table from, int value)
{
    if (m_scrolling)
        return;
    const QScopedValueRollback<bool> scrolling(m_scrolling, true);
    QScrollBar *own = m_tables->view(from)->horizontalScrollBar();
    QScrollBar *other
        = m_tables->view(from == OptionTables::AllCall ? OptionTables::AllPut : OptionTables::AllCall)
              ->horizontalScrollBar();
    // The calls mirror the puts: their end beside the exercise prices is their right.
    other->setValue(other->maximum() - (value - own->minimum()) * other->maximum() / std::max(1, own->maximum()));
}

bool BoardColumns::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && !m_fitting) {
        for (const OptionTables::Table table : SideTables) {
            if (m_tables->view(table)->viewport() == watched)
                fit(table);
        }
    }
    return QObject::eventFilter(watched, event);
}

void BoardColumns::saveScene(QHash<QString, QVariant> &params) const
{
    QStringList hidden;
    for (auto action = m_columnActions.cbegin(); action != m_columnActions.cend(); ++action) {
        if (!action.value()->isChecked())
            hidden << action.key();
    }
    // None hidden is left out.
    if (!hidden.isEmpty()) {
        hidden.sort();
        params.insert(HiddenKey, hidden.join(QLatin1Char(';')));
    }
}

void BoardColumns::restoreScene(const QHash<QString, QVariant> &params)
{
    const QStringList hidden = params.value(HiddenKey).toString().split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (auto action = m_columnActions.cbegin(); action != m_columnActions.cend(); ++action) {
        const QSignalBlocker quiet(action.value());
        action.value()->setChecked(!hidden.contains(action.key()));
    }
    applyHidden();
    columnsChanged();
}
