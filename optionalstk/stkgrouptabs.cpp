#include "stkgrouptabs.h"

#include "stkmodel.h"

#include <livetableview.h>

#include <vcontrolbar.h>
#include <vtabbutton.h>

#include <QButtonGroup>
#include <QGridLayout>
#include <QHeaderView>
#include <QIcon>
#include <QStackedWidget>

namespace {

const int TabWidth = 88;
const int TabHeight = 24;
// A tab and the control bar's spacing of 1.
const int TabPitch = TabWidth + 1;

} // namespace

StkGroupTabs::StkGroupTabs(QObject *parent)
    : QObject(parent)
    , m_group(new QButtonGroup(this))
{
}

void StkGroupTabs::setup(VControlBar *bar, QStackedWidget *stack)
{
    m_bar = bar;
    m_stack = stack;
    m_bar->setObjectName(QStringLiteral("downWidget"));
    m_bar->setScrollButtonsAlwaysShown(false);
    m_bar->setScrollButtonSize(16);
    m_bar->setSpacing(1);
    m_bar->layout()->setContentsMargins(0, 0, 0, 0);
    m_bar->setMinimumHeight(24);
    m_bar->setForwardIcon(QIcon(QStringLiteral(":/vexa/img/icon/scroll_left")));
    m_bar->setBackIcon(QIcon(QStringLiteral(":/vexa/img/icon/scroll_right")));
    m_tabCount = 0;
}

void StkGroupTabs::makeGroupTab(const QString &name, QObject *watchlist)
{
    auto *page = new QWidget;
    page->setObjectName(name);
    auto *grid = new QGridLayout(page);
    grid->setObjectName(QStringLiteral("gridLayout_2"));
    grid->setSpacing(0);
    grid->setContentsMargins(0, 0, 0, 0);
    auto *view = new LiveTableView(page);
    // The model announces a quote's whole row: of its cells, those whose
    // text, colour or button state changed are repainted (fonts and
    // alignment are fixed per column).
    view->setLookRoles({Qt::DisplayRole, Qt::ForegroundRole, Qt::UserRole});
    view->horizontalHeader()->setHighlightSections(false);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSortingEnabled(true);
    grid->addWidget(view, 0, 0, 1, 1);
    m_stack->addWidget(page);
    // A double-click on a row asks for an order ticket; one on the delete
    // button is a click on the button, not a request for an order.
    connect(view, &QTableView::doubleClicked, watchlist, [watchlist](const QModelIndex &index) {
        if (index.column() != StkModel::DeleteButton)
            QMetaObject::invokeMethod(watchlist, "RowDoubleClicked", Q_ARG(QModelIndex, index));
    });

    auto *tab = new VTabButton;
    tab->installEventFilter(watchlist);
    tab->setFixedSize(TabWidth, TabHeight);
    tab->setText(name);
    tab->setCheckable(true);
    tab->setAutoRaise(true);
    tab->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    tab->addInternalButton(QString::number(m_tabCount), vd::AP_Right, QPoint(6, 0),
                           QStringLiteral(":/vexa/img/icon/tab_close"), QStringLiteral(":/vexa/img/icon/tab_close_h"),
                           true, true);
    connect(tab, SIGNAL(onInternalButtonClicked(QString)), watchlist, SLOT(doInternalButtonClicked(QString)));
    connect(view->horizontalHeader(), SIGNAL(sortIndicatorChanged(int, Qt::SortOrder)), watchlist,
            SLOT(sortslot(int, Qt::SortOrder)));

    m_group->addButton(tab, m_tabCount);
    ++m_tabCount;
    m_bar->addWidget(tab);
    m_bar->setMaximumWidth(m_tabCount * TabPitch);

    m_pages.insert(name, page);
    m_views.insert(page, view);
    m_tabs.append(tab);
}

void StkGroupTabs::removeGroupTab(int position)
{
    VTabButton *tab = m_tabs.at(position);
    m_group->removeButton(tab);
    --m_tabCount;
    m_bar->setMaximumWidth(m_tabCount * TabPitch);
    if (QWidget *page = m_pages.take(tab->text())) {
        m_stack->removeWidget(page);
        m_views.remove(page);
        delete page;
    }
    m_bar->removeWidget(tab);
    // Deferred: the tab may be the sender of the signal that removes it.
    tab->deleteLater();
    m_tabs.removeAt(position);
}

void StkGroupTabs::showTab(int position)
{
    m_tabs.at(position)->setChecked(true);
    m_stack->setCurrentIndex(position);
}

void StkGroupTabs::renameCurrent(const QString &name)
{
    const int position = m_stack->currentIndex();
    QWidget *page = m_stack->currentWidget();
    if (!page || position >= m_tabs.size())
        return;
    m_pages.remove(page->objectName());
    m_pages.insert(name, page);
    page->setObjectName(name);
    m_tabs.at(position)->setText(name);
}

int StkGroupTabs::positionOf(const QObject *tab) const
{
    for (int position = 0; position < m_tabs.size(); ++position) {
        if (m_tabs.at(position) == tab)
            return position;
    }
    return -1;
}

QString StkGroupTabs::currentGroup() const
{
    const QWidget *page = m_stack->currentWidget();
    return page ? page->objectName() : QString();
}

QTableView *StkGroupTabs::currentView() const
{
    return m_views.value(m_stack->currentWidget());
}
