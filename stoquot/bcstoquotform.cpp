// The option board's form: its widgets, their object names, layouts and
// initial texts.

#include "bcstoquot.h"

#include <vcombobox.h>
#include <vpanel.h>
#include <livetableview.h>

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSpacerItem>
#include <QStackedWidget>

namespace {

QGridLayout *gridOf(QWidget *widget, const char *name, int spacing = 0)
{
    auto *grid = new QGridLayout(widget);
    grid->setObjectName(QLatin1String(name));
    grid->setSpacing(spacing);
    grid->setContentsMargins(0, 0, 0, 0);
    return grid;
}

QLabel *labelOf(QWidget *parent, const char *name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

VComboBox *comboOf(QWidget *parent, const char *name, int minimumWidth)
{
    auto *combo = new VComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->setMinimumWidth(minimumWidth);
    return combo;
}

} // namespace

void BCStoQuot::buildUi()
{
    setObjectName(QStringLiteral("BCStoQuot"));
    resize(900, 480);
    setWindowTitle(QStringLiteral("Form"));
    QGridLayout *grid = gridOf(this, "gridLayout_2");
    grid->addWidget(buildInputBar(), 0, 0);

    m_swQuotPanel = new QStackedWidget(this);
    m_swQuotPanel->setObjectName(QStringLiteral("swQuotPanel"));
    m_swQuotPanel->addWidget(buildCombinedPage());
    m_pgCall = new QWidget;
    m_pgCall->setObjectName(QStringLiteral("pgCall"));
    gridOf(m_pgCall, "gridLayout_5")->addWidget(addTable(Call, m_pgCall, QStringLiteral("tbvCall")), 0, 0);
    m_swQuotPanel->addWidget(m_pgCall);
    m_pgPut = new QWidget;
    m_pgPut->setObjectName(QStringLiteral("pgPut"));
    gridOf(m_pgPut, "gridLayout_6")->addWidget(addTable(Put, m_pgPut, QStringLiteral("tbvPut")), 0, 0);
    m_swQuotPanel->addWidget(m_pgPut);
    m_swQuotPanel->setCurrentWidget(m_pgAll);
    grid->addWidget(m_swQuotPanel, 1, 0);
}

QWidget *BCStoQuot::buildInputBar()
{
    auto *bar = new VPanel(this);
    bar->setObjectName(QStringLiteral("pnlInput"));
    QGridLayout *grid = gridOf(bar, "gridLayout");
    grid->setHorizontalSpacing(3);

    m_cbQuotPanelType = comboOf(bar, "cbQuotPanelType", 90);
    grid->addWidget(m_cbQuotPanelType, 0, 0);
    QLabel *label = labelOf(bar, "label", QStringLiteral("标的证券"));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(label, 0, 1);
    m_cbTargetStk = comboOf(bar, "cbTargetStk", 150);
    grid->addWidget(m_cbTargetStk, 0, 2);

    auto *panel = new VPanel(bar);
    panel->setObjectName(QStringLiteral("panel"));
    QGridLayout *labels = gridOf(panel, "gridLayout_3");
    labels->setHorizontalSpacing(16);
    labels->setContentsMargins(0, 0, 16, 0);
    m_lbStkCode = labelOf(panel, "lbStkCode", QStringLiteral("标的证券：--"));
    m_lbLastPrice = labelOf(panel, "lbLastPrice", QStringLiteral("最新：--"));
    m_incDecPrice = labelOf(panel, "IncDecPrice", QStringLiteral("涨跌：--"));
    m_lbIncDecRatio = labelOf(panel, "lbIncDecRatio", QStringLiteral("涨跌幅：--"));
    labels->addWidget(m_lbStkCode, 0, 0);
    labels->addWidget(m_lbLastPrice, 0, 1);
    labels->addWidget(m_incDecPrice, 0, 2);
    labels->addWidget(m_lbIncDecRatio, 0, 3);
    grid->addWidget(panel, 0, 6);

    grid->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 0, 7);
    m_lbExpireDate = labelOf(bar, "lbExpireDate", QStringLiteral("到期月份"));
    grid->addWidget(m_lbExpireDate, 0, 8);
    m_cbExpireDate = comboOf(bar, "cbExpireDate", 90);
    grid->addWidget(m_cbExpireDate, 0, 9);
    return bar;
}

QWidget *BCStoQuot::buildCombinedPage()
{
    m_pgAll = new QWidget;
    m_pgAll->setObjectName(QStringLiteral("pgAll"));
    QGridLayout *grid = gridOf(m_pgAll, "gridLayout_4");

    auto *title = new VPanel(m_pgAll);
    title->setObjectName(QStringLiteral("pnlAllTableTittle"));
    QGridLayout *titleGrid = gridOf(title, "gridLayout_9");
    m_lbCall = labelOf(title, "lbCall", QStringLiteral("认购"));
    m_cbAllExpireDate = comboOf(title, "cbAllExpireDate", 85);
    m_lbPut = labelOf(title, "lbPut", QStringLiteral("认沽"));
    titleGrid->addWidget(m_lbCall, 0, 0);
    titleGrid->addWidget(m_cbAllExpireDate, 0, 1);
    titleGrid->addWidget(m_lbPut, 0, 2);
    titleGrid->setColumnStretch(0, 1);
    titleGrid->setColumnStretch(2, 1);
    grid->addWidget(title, 0, 0, 1, 3);

    grid->addWidget(addTable(AllCall, m_pgAll, QStringLiteral("tbvAllCall")), 1, 0);
    grid->addWidget(addTable(AllExercisePrice, m_pgAll, QStringLiteral("tbvAllExercisePrice")), 1, 1);
    grid->addWidget(addTable(AllPut, m_pgAll, QStringLiteral("tbvAllPut")), 1, 2);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(0, 10);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 10);

    // The put table's scroll bar moves all three columns.
    for (const Table table : {AllCall, AllExercisePrice}) {
        m_tables[table].view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_tables[table].view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    LiveTableView *prices = m_tables[AllExercisePrice].view;
    prices->setMinimumWidth(85);
    prices->setFrameShape(QFrame::NoFrame);
    prices->setWordWrap(false);
    prices->setCornerButtonEnabled(false);
    prices->horizontalHeader()->setStretchLastSection(true);
    return m_pgAll;
}

LiveTableView *BCStoQuot::addTable(Table table, QWidget *parent, const QString &name)
{
    auto *view = new LiveTableView(parent);
    view->setObjectName(name);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->horizontalHeader()->setHighlightSections(false);
    m_tables[table].view = view;
    return view;
}
