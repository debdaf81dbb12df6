#pragma once

#include "optiontables.h"

class CaptionValueLabel;
class LiveTableView;
class QLabel;
class QStackedWidget;
class QWidget;
class SmileChart;
class TermStructureChart;
class VComboBox;

// The option board's form: its widgets with their object names, layouts
// and initial texts, as a generated form class would hold them. The
// widgets belong to the board through Qt parents. The analytics' widgets
// (the days to expiry beside each expiry combo, the smile and the term
// structure side by side below the pages) start hidden.
struct BCStoQuotForm
{
    void setupUi(QWidget *board);

    VComboBox *cbQuotPanelType = nullptr;
    VComboBox *cbTargetStk = nullptr;
    VComboBox *cbExpireDate = nullptr;
    VComboBox *cbAllExpireDate = nullptr;
    QLabel *lbExpireDate = nullptr;
    CaptionValueLabel *lbStkCode = nullptr;
    CaptionValueLabel *lbLastPrice = nullptr;
    CaptionValueLabel *IncDecPrice = nullptr;
    CaptionValueLabel *lbIncDecRatio = nullptr;
    QLabel *lbCall = nullptr;
    QLabel *lbPut = nullptr;
    QLabel *lbRemainDays = nullptr;
    QLabel *lbAllRemainDays = nullptr;
    QStackedWidget *swQuotPanel = nullptr;
    QWidget *pgAll = nullptr;
    QWidget *pgCall = nullptr;
    QWidget *pgPut = nullptr;
    LiveTableView *tables[OptionTables::TableCount] = {};
    SmileChart *chtSmile = nullptr;
    TermStructureChart *chtTerm = nullptr;

private:
    QWidget *buildInputBar(QWidget *board);
    QWidget *buildCombinedPage();
    LiveTableView *addTable(OptionTables::Table table, QWidget *parent, const QString &name);
};
