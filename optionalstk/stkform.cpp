#include "stkform.h"

#include <vcontrolbar.h>
#include <vpanel.h>

#include <QHBoxLayout>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

void StkForm::setupUi(QWidget *component)
{
    component->setObjectName(QStringLiteral("BCOptionalStk"));
    verticalLayout = new QVBoxLayout(component);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setSpacing(0);
    verticalLayout->setContentsMargins(0, 0, 0, 0);

    panel = new VPanel(component);
    panel->setObjectName(QStringLiteral("panel"));
    horizontalLayout_2 = new QHBoxLayout(panel);
    horizontalLayout_2->setObjectName(QStringLiteral("horizontalLayout_2"));
    horizontalLayout_2->setSpacing(1);
    horizontalLayout_2->setContentsMargins(2, 2, 0, 0);
    controlBar = new VControlBar(panel);
    controlBar->setObjectName(QStringLiteral("controlBar"));
    horizontalLayout_2->addWidget(controlBar);
    btnAddGrp = new QToolButton(panel);
    btnAddGrp->setObjectName(QStringLiteral("btnAddGrp"));
    btnAddGrp->setMinimumSize(24, 24);
    btnAddGrp->setToolTip(QStringLiteral("<b>添加分组</b>"));
    horizontalLayout_2->addWidget(btnAddGrp);
    btnAddStk = new QToolButton(panel);
    btnAddStk->setObjectName(QStringLiteral("btnAddStk"));
    btnAddStk->setMinimumSize(24, 24);
    btnAddStk->setToolTip(QStringLiteral("<b>添加自选股</b>"));
    horizontalLayout_2->addWidget(btnAddStk);
    horizontalSpacer = new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
    horizontalLayout_2->addItem(horizontalSpacer);
    verticalLayout->addWidget(panel);

    stackedWidget = new QStackedWidget(component);
    stackedWidget->setObjectName(QStringLiteral("stackedWidget"));
    verticalLayout->addWidget(stackedWidget);
}
