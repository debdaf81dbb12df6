#include "componentlinker.h"

#include <icomponent.h>
#include <orderdetail.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vcomregistry.h>
#include <vfutils.h>
#include <voutput.h>

#include <QLoggingCategory>
#include <QMetaMethod>

Q_LOGGING_CATEGORY(lcLinker, "tarn.host", QtInfoMsg)

const QStringList ComponentLinker::SelectionSignals {QStringLiteral("onSelectedFtContract"),
                                                     QStringLiteral("onSelectedStoContract")};
const QString ComponentLinker::ShowSlot = QStringLiteral("doSubscribeQuot");

namespace {

// The watchlist's order request: a plain signal, reached through the meta-object system.
const char *const IssueOrderSignal = "onIssueOrder(OrderDetail)";

// The slot that target publishes under name, if it takes (market, code, name, price unit, type).
QMetaMethod showSlotOf(const IComponent *target, const QString &name)
{
    const VComMethod *published = target->publishedMethod(VComMethod::Slot, name);
    if (!published)
        return QMetaMethod();
    const QMetaMethod method = vf::methodOf(target, published->signature);
    static const QList<QByteArray> parameters {"char", "QString", "QString", "double", "QString"};
    return method.parameterTypes() == parameters ? method : QMetaMethod();
}

} // namespace

ComponentLinker::ComponentLinker(VCacheMgr *caches, QObject *parent)
    : QObject(parent)
    , m_caches(caches)
{
}

void ComponentLinker::addComponent(IComponent *component)
{
    m_components.removeAll(QPointer<IComponent>());
    if (!component || m_components.contains(component))
        return;
    m_components.append(component);
    for (const QString &name : SelectionSignals) {
        if (component->publishedMethod(VComMethod::Signal, name))
            VComRegistry::connectSignal(component, name, this, "1doSecuritySelected(QString)");
    }
    if (component->metaObject()->indexOfSignal(IssueOrderSignal) >= 0)
        connect(component, SIGNAL(onIssueOrder(OrderDetail)), this, SLOT(doIssueOrder(OrderDetail)));
}

QList<IComponent *> ComponentLinker::components() const
{
    QList<IComponent *> live;
    for (const QPointer<IComponent> &component : m_components) {
        if (component)
            live.append(component);
    }
    return live;
}

bool ComponentLinker::showSecurity(const QString &stkid, IComponent *source)
{
    const VCacheItem *securities = m_caches ? m_caches->stockCache() : nullptr;
    if (!securities || !securities->isNormal()) {
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("证券缓存不可用,无法显示证券[%1]的行情").arg(stkid));
        return false;
    }
    QVariantMap record;
    if (!securities->lookup(record, QStringLiteral("stkid"), stkid,
                            QStringLiteral("market;stkcode;stkname;priceunit;stktype"))) {
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("证券缓存中不存在证券[%1],无法显示其行情").arg(stkid));
        return false;
    }
    const char marketCode = vf::strToChar(record.value(QStringLiteral("market")).toString());
    const QString code = record.value(QStringLiteral("stkcode")).toString();
    const QString name = record.value(QStringLiteral("stkname")).toString();
    const double priceUnit = record.value(QStringLiteral("priceunit")).toDouble();
    const QString type = record.value(QStringLiteral("stktype")).toString();

    for (IComponent *target : components()) {
        if (target == source || !target->publishedMethod(VComMethod::Slot, ShowSlot))
            continue;
        const QMetaMethod slot = showSlotOf(target, ShowSlot);
        const bool shown = slot.isValid()
            && slot.invoke(target, Qt::DirectConnection, Q_ARG(char, marketCode), Q_ARG(QString, code),
                           Q_ARG(QString, name), Q_ARG(double, priceUnit), Q_ARG(QString, type));
        if (!shown) {
            VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                    QStringLiteral("元件[%1]发布的槽[%2]不接收证券").arg(target->className(), ShowSlot));
        }
    }
    qCDebug(lcLinker) << "showing" << stkid;
    emit securityShown(stkid);
    return true;
}

void ComponentLinker::doSecuritySelected(const QString &stkid)
{
    showSecurity(stkid, qobject_cast<IComponent *>(sender()));
}

void ComponentLinker::doIssueOrder(const OrderDetail &order)
{
    showSecurity(order.stockId, qobject_cast<IComponent *>(sender()));
}
