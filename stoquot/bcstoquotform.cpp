#include "bcstoquotform.h"

#include "captionvaluelabel.h"
#include "smilechart.h"
#include "termstructurechart.h"

#include <livetableview.h>

#include <vcombobox.h>
#include <vpanel.h>

#include <QGridLayout>
#include <QHBoxLayout>
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

template <typename Label = QLabel>
Label *labelOf(QWidget *parent, const char *name, const QString &text)
{
    auto *label = new Label(text, parent);
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

void BCStoQuotForm::setupUi(QWidget *board)
{
    board->setObjectName(QStringLiteral("BCStoQuot"));
    board->resize(900, 480);
    board->setWindowTitle(QStringLiteral("Form"));
    QGridLayout *grid = gridOf(board, "gridLayout_2");
    grid->addWidget(buildInputBar(board), 0, 0);

    swQuotPanel = new QStackedWidget(board);
    swQuotPanel->setObjectName(QStringLiteral("swQuotPanel"));
    swQuotPanel->addWidget(buildCombinedPage());
    pgCall = new QWidget;
    pgCall->setObjectName(QStringLiteral("pgCall"));
    gridOf(pgCall, "gridLayout_5")->addWidget(addTable(OptionTables::Call, pgCall, QStringLiteral("tbvCall")), 0, 0);
    swQuotPanel->addWidget(pgCall);
    pgPut = new QWidget;
    pgPut->setObjectName(QStringLiteral("pgPut"));
    gridOf(pgPut, "gridLayout_6")->addWidget(addTable(OptionTables::Put, pgPut, QStringLiteral("tbvPut")), 0, 0);
    swQuotPanel->addWidget(pgPut);
    swQuotPanel->setCurrentWidget(pgAll);
    grid->addWidget(swQuotPanel, 1, 0);

    auto *charts = new QHBoxLayout;
    charts->setObjectName(QStringLiteral("horizontalLayout_charts"));
    charts->setSpacing(0);
    chtSmile = new SmileChart(board);
    chtSmile->setObjectName(QStringLiteral("chtSmile"));
    chtSmile->hide();
    charts->addWidget(chtSmile);
    chtTerm = new TermStructureChart(board);
    chtTerm->setObjectName(QStringLiteral("chtTerm"));
    chtTerm->hide();
    charts->addWidget(chtTerm);
    grid->addLayout(charts, 2, 0);
}

QWidget *BCStoQuotForm::buildInputBar(QWidget *board)
{
    auto *bar = new VPanel(board);
    bar->setObjectName(QStringLiteral("pnlInput"));
    QGridLayout *grid = gridOf(bar, "gridLayout");
    grid->setHorizontalSpacing(3);

    cbQuotPanelType = comboOf(bar, "cbQuotPanelType", 90);
    grid->addWidget(cbQuotPanelType, 0, 0);
    QLabel *label = labelOf(bar, "label", QStringLiteral("标的证券"));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(label, 0, 1);
    cbTargetStk = comboOf(bar, "cbTargetStk", 150);
    grid->addWidget(cbTargetStk, 0, 2);

    auto *panel = new VPanel(bar);
    panel->setObjectName(QStringLiteral("panel"));
    QGridLayout *labels = gridOf(panel, "gridLayout_3");
    labels->setHorizontalSpacing(16);
    labels->setContentsMargins(0, 0, 16, 0);
    lbStkCode = labelOf<CaptionValueLabel>(panel, "lbStkCode", QStringLiteral("标的证券：--"));
    lbLastPrice = labelOf<CaptionValueLabel>(panel, "lbLastPrice", QStringLiteral("最新：--"));
    IncDecPrice = labelOf<CaptionValueLabel>(panel, "IncDecPrice", QStringLiteral("涨跌：--"));
    lbIncDecRatio = labelOf<CaptionValueLabel>(panel, "lbIncDecRatio", QStringLiteral("涨跌幅：--"));
    labels->addWidget(lbStkCode, 0, 0);
    labels->addWidget(lbLastPrice, 0, 1);
    labels->addWidget(IncDecPrice, 0, 2);
    labels->addWidget(lbIncDecRatio, 0, 3);
    grid->addWidget(panel, 0, 6);

    grid->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 0, 7);
    lbExpireDate = labelOf(bar, "lbExpireDate", QStringLiteral("到期月份"));
    grid->addWidget(lbExpireDate, 0, 8);
    cbExpireDate = comboOf(bar, "cbExpireDate", 90);
    grid->addWidget(cbExpireDate, 0, 9);
    lbRemainDays = labelOf(bar, "lbRemainDays", QString());
    lbRemainDays->setContentsMargins(6, 0, 0, 0);
    lbRemainDays->hide();
    grid->addWidget(lbRemainDays, 0, 10);
    return bar;
}

QWidget *BCStoQuotForm::buildCombinedPage()
{
    pgAll = new QWidget;
    pgAll->setObjectName(QStringLiteral("pgAll"));
    QGridLayout *grid = gridOf(pgAll, "gridLayout_4");

    auto *title = new VPanel(pgAll);
    title->setObjectName(QStringLiteral("pnlAllTableTittle"));
    QGridLayout *titleGrid = gridOf(title, "gridLayout_9");
    lbCall = labelOf(title, "lbCall", QStringLiteral("认购"));
    cbAllExpireDate = comboOf(title, "cbAllExpireDate", 85);
    lbPut = labelOf(title, "lbPut", QStringLiteral("认沽"));
    titleGrid->addWidget(lbCall, 0, 0);
    // The days to expiry sit right of the combo, in its cell.
    auto *expiry = new QHBoxLayout;
    expiry->setObjectName(QStringLiteral("horizontalLayout_expiry"));
    expiry->setSpacing(6);
    expiry->addWidget(cbAllExpireDate);
    lbAllRemainDays = labelOf(title, "lbAllRemainDays", QString());
    lbAllRemainDays->setContentsMargins(0, 0, 12, 0); // apart from lbPut's text
    lbAllRemainDays->hide();
    expiry->addWidget(lbAllRemainDays);
    titleGrid->addLayout(expiry, 0, 1);
    titleGrid->addWidget(lbPut, 0, 2);
    titleGrid->setColumnStretch(0, 1);
    titleGrid->setColumnStretch(2, 1);
    grid->addWidget(title, 0, 0, 1, 3);

    grid->addWidget(addTable(OptionTables::AllCall, pgAll, QStringLiteral("tbvAllCall")), 1, 0);
    grid->addWidget(addTable(OptionTables::AllExercisePrice, pgAll, QStringLiteral("tbvAllExercisePrice")), 1, 1);
    grid->addWidget(addTable(OptionTables::AllPut, pgAll, QStringLiteral("tbvAllPut")), 1, 2);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(0, 10);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 10);

    // The put table's scroll bar moves all three columns.
    for (const OptionTables::Table table : {OptionTables::AllCall, OptionTables::AllExercisePrice}) {
        tables[table]->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        tables[table]->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    LiveTableView *prices = tables[OptionTables::AllExercisePrice];
    prices->setMinimumWidth(85);
    prices->setFrameShape(QFrame::NoFrame);
    prices->setWordWrap(false);
    prices->setCornerButtonEnabled(false);
    prices->horizontalHeader()->setStretchLastSection(true);
    return pgAll;
}

LiveTableView *BCStoQuotForm::addTable(OptionTables::Table table, QWidget *parent, const QString &name)
{
    auto *view = new LiveTableView(parent);
    view->setObjectName(name);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->horizontalHeader()->setHighlightSections(false);
    tables[table] = view;
    return view;
}
