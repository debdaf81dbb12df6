#pragma once

class QHBoxLayout;
class QSpacerItem;
class QStackedWidget;
class QToolButton;
class QVBoxLayout;
class QWidget;
class VControlBar;
class VPanel;

// The watchlist's form: a panel with the group tabs' control bar and the
// add-group and add-security buttons, over the stack of group pages. Every
// widget and layout belongs to the component through Qt parents.
struct StkForm
{
    QVBoxLayout *verticalLayout;
    VPanel *panel;
    QHBoxLayout *horizontalLayout_2;
    VControlBar *controlBar;
    QToolButton *btnAddGrp;
    QToolButton *btnAddStk;
    QSpacerItem *horizontalSpacer;
    QStackedWidget *stackedWidget;
    void setupUi(QWidget *component);
};
