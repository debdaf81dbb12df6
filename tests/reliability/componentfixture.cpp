#include "componentfixture.h"

#include <tarn.h>
#include <testutil.h>

#include <icomponent.h>
#include <imodule.h>
#include <vdataset.h>
#include <vlocaldb.h>
#include <vquotsubscriber.h>
#include <vtablemodel.h>

#include <QComboBox>
#include <QTableView>
#include <QtTest>

const char *const ComponentFixture::ClassNames[4] = {"BCQuotPanel", "BCFtQuotPanel", "BCOptionalStk", "BCStoQuot"};

namespace {

QByteArray firstCode(IComponent *component, const char *table)
{
    auto *view = component->findChild<QTableView *>(QLatin1String(table));
    auto *model = view ? qobject_cast<VTableModel *>(view->model()) : nullptr;
    return model ? model->dataset()->fieldValue(0, QStringLiteral("stkcode")).toString().toLatin1() : QByteArray();
}

} // namespace

ComponentFixture::ComponentFixture(const QString &tempParent)
    : host(20261205, QStringLiteral(TARN_DATA_DIR), tempParent)
{
    VLocalDb *db = host.context().localDb();
    db->setCfgParam(u("PG_Trd_FtQuotPanel"), {{u("Check_Market"), u("H")}, {u("SHQH_Check_Products"), u("cu=铜")}},
                    true);
    db->setCfgParam(u("OptionalStk"), {{u("自选股1"), u("1600519,")}}, false);
    module = LoadBizModule(&host.context());
}

ComponentFixture::~ComponentFixture()
{
    UnloadBizModule();
}

IComponent *ComponentFixture::create(const char *className, QWidget *parent)
{
    IComponent *component = module->createComponent(parent, QLatin1String(className), u("fixture"), nullptr);
    if (!component) {
        QTest::qFail(className, __FILE__, __LINE__);
        return nullptr;
    }
    component->resize(1000, 600);
    component->show();
    if (component->className() == QLatin1String("BCQuotPanel")) {
        QMetaObject::invokeMethod(component, "doSubscribeQuot", Q_ARG(char, '1'), Q_ARG(QString, u("600519")),
                                  Q_ARG(QString, u("贵州茅台")), Q_ARG(double, 0.01), Q_ARG(QString, u("A")));
    } else if (component->className() == QLatin1String("BCStoQuot")) {
        auto *underlyings = component->findChild<QComboBox *>(u("cbTargetStk"));
        underlyings->setCurrentIndex(underlyings->findData(u("1510050")));
        component->findChild<QComboBox *>(u("cbAllExpireDate"))->setCurrentIndex(0);
    }
    return component;
}

QList<IComponent *> ComponentFixture::createAll()
{
    QList<IComponent *> components;
    for (const char *name : ClassNames)
        components << create(name);
    return components;
}

void ComponentFixture::free(IComponent *component)
{
    module->freeComponent(component);
}

QPair<char, QByteArray> ComponentFixture::shownSecurity(IComponent *component)
{
    const QString name = component->className();
    if (name == QLatin1String("BCFtQuotPanel"))
        return {'H', firstCode(component, "tbSHQH")};
    if (name == QLatin1String("BCStoQuot"))
        return {'5', firstCode(component, "tbvAllCall")};
    return {'1', QByteArray("600519")};
}

void ComponentFixture::deliverDirectly(IComponent *component, const VQuotData &record)
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

QStringList ComponentFixture::tableTexts(QWidget *widget)
{
    QStringList texts;
    for (QTableView *table : widget->findChildren<QTableView *>()) {
        const QAbstractItemModel *model = table->model();
        for (int row = 0; model && row < model->rowCount(); ++row) {
            for (int column = 0; column < model->columnCount(); ++column)
                texts << model->index(row, column).data().toString();
        }
    }
    return texts;
}
