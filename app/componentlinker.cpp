#include "componentlinker.h"

#include <icomponent.h>
#include <orderdetail.h>
#include <vcacheitem.h>
#include <vcomregistry.h>
#include <voutput.h>

#include <QLoggingCategory>
#include <QMetaMethod>

Q_LOGGING_CATEGORY(lcLinker, "tarn.host.linker", QtInfoMsg)

const QStringList ComponentLinker::SelectionSignals {QStringLiteral("onSelectedFtContract"),
                                                     QStringLiteral("onSelectedStoContract")};
const QString ComponentLinker::ShowSlot = QStringLiteral("doSubscribeQuot");

namespace {

// The watchlist's order request: a plain signal, reached through the meta-object system.
const char *const IssueOrderSignal = "onIssueOrder(OrderDetail)";

} // namespace

ComponentLinker::ComponentLinker(VCacheItem *securities, QObject *parent)
    : QObject(parent)
    , m_securities(securities)
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
    QVariantMap record;
    if (!m_securities || !m_securities->isNormal()
        || !m_securities->lookup(record, QStringLiteral("stkid"), stkid,
                                 QStringLiteral("market;stkcode;stkname;priceunit;stktype"))) {
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("证券缓存中不存在证券[%1],无法显示其行情").arg(stkid));
        return false;
    }
    const QString market = record.value(QStringLiteral("market")).toString();
    const char marketCode = market.isEmpty() ? char(0) : market.at(0).toLatin1();
    const QString code = record.value(QStringLiteral("stkcode")).toString();
    const QString name = record.value(QStringLiteral("stkname")).toString();
    const double priceUnit = record.value(QStringLiteral("priceunit")).toDouble();
    const QString type = record.value(QStringLiteral("stktype")).toString();

    for (IComponent *target : components()) {
        const VComMethod *slot = target == source ? nullptr : target->publishedMethod(VComMethod::Slot, ShowSlot);
        if (!slot)
            continue;
        const QByteArray signature = QMetaObject::normalizedSignature(slot->signature.constData() + 1);
        const QMetaMethod method = target->metaObject()->method(target->metaObject()->indexOfMethod(signature));
        const bool shown = method.isValid()
            && method.invoke(target, Qt::DirectConnection, Q_ARG(char, marketCode), Q_ARG(QString, code),
                             Q_ARG(QString, name), Q_ARG(double, priceUnit), Q_ARG(QString, type));
        if (!shown) {
            VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                    QStringLiteral("元件[%1]发布的槽[%2]无法接收证券")
                        .arg(target->className(), QString::fromLatin1(slot->signature)));
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
