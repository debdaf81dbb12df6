#include "livehost.h"

#include <quotrecord.h>
#include <testutil.h>

#include <icomponent.h>
#include <vquotdataitems.h>
#include <vquotpanel.h>
#include <vquotsubscriber.h>

#include <QComboBox>
#include <QLabel>
#include <QTableView>

const char *const LiveHost::ClassNames[4] = {"BCQuotPanel", "BCFtQuotPanel", "BCOptionalStk", "BCStoQuot"};

LiveHost::LiveHost(const QString &tempParent)
    : ModuleHost(20261205, QStringLiteral(TARN_DATA_DIR), tempParent)
{
    store(u("PG_Trd_FtQuotPanel"), u("Check_Market"), u("H"));
    store(u("PG_Trd_FtQuotPanel"), u("SHQH_Check_Products"), u("cu=铜"));
    store(u("OptionalStk"), u("自选股1"), u("1600519,"));
}

IComponent *LiveHost::show(const char *className, QWidget *parent)
{
    IComponent *component = create<IComponent>(className, QSize(1000, 600), {}, parent);
    if (!component) {
        QTest::qFail(className, __FILE__, __LINE__);
        return nullptr;
    }
    if (component->className() == QLatin1String("BCQuotPanel")) {
        QMetaObject::invokeMethod(component, "doSubscribeQuot", Q_ARG(char, '1'), Q_ARG(QString, u("600519")),
                                  Q_ARG(QString, u("贵州茅台")), Q_ARG(double, 0.01), Q_ARG(QString, u("A")));
    } else if (component->className() == QLatin1String("BCStoQuot")) {
        choose(component, "cbTargetStk", u("1510050"));
        component->findChild<QComboBox *>(u("cbAllExpireDate"))->setCurrentIndex(0);
    }
    return component;
}

QList<IComponent *> LiveHost::showAll()
{
    QList<IComponent *> components;
    for (const char *name : ClassNames)
        components << show(name);
    return components;
}

VQuotData LiveHost::shownRecord(IComponent *component)
{
    for (VQuotSubscriber *subscriber : component->findChildren<VQuotSubscriber *>()) {
        if (!subscriber->productList().isEmpty())
            return makeQuotRecord(subscriber->productList().constFirst());
    }
    return makeQuotRecord(0, QByteArray());
}

void LiveHost::deliverDirectly(IComponent *component, const VQuotData &record)
{
    for (VQuotSubscriber *subscriber : component->findChildren<VQuotSubscriber *>()) {
        if (!subscriber->receiver())
            continue;
        VQuotData lent = record;
        VQuotData *argument = &lent;
        void *args[] = {nullptr, &argument};
        QMetaObject::metacall(subscriber->receiver(), QMetaObject::InvokeMetaMethod, subscriber->receiverMethod(),
                              args);
    }
}

QStringList LiveHost::shownTexts(QWidget *widget)
{
    QStringList texts;
    for (QTableView *table : widget->findChildren<QTableView *>()) {
        const QAbstractItemModel *model = table->model();
        for (int row = 0; model && row < model->rowCount(); ++row) {
            for (int column = 0; column < model->columnCount(); ++column)
                texts << model->index(row, column).data().toString();
        }
    }
    for (QLabel *label : widget->findChildren<QLabel *>())
        texts << label->text();
    for (VQuotPanel *panel : widget->findChildren<VQuotPanel *>()) {
        texts << panel->titleText();
        for (int id = 0; id < VQuotDataItems::ItemCount; ++id)
            texts << panel->itemText(panel->quotItems()->item(VQuotDataItems::Id(id)));
        for (int stall = vd::QS_Stall1; stall <= vd::QS_Stall10; ++stall) {
            for (const VQuotPanel::Side side : {VQuotPanel::Ask, VQuotPanel::Bid})
                texts << panel->levelPriceText(vd::QuotStall(stall), side)
                      << panel->levelVolumeText(vd::QuotStall(stall), side);
        }
    }
    return texts;
}
