#include "vcomregistry.h"

#include "icomponent.h"
#include "vfutils.h"

#include <voutput.h>

#include <QLoggingCategory>
#include <QMetaMethod>

namespace {

QList<IComponent *> &registry()
{
    static QList<IComponent *> components;
    return components;
}

void logFailure(int line, const QString &message)
{
    VOutput(3, QStringLiteral(__FILE__), line, QString(), message);
}

} // namespace

QList<IComponent *> VComRegistry::components()
{
    return registry();
}

void VComRegistry::add(IComponent *component)
{
    registry().append(component);
}

void VComRegistry::remove(IComponent *component)
{
    registry().removeOne(component);
}

bool VComRegistry::connectSignal(IComponent *sender, const QString &signalName, QObject *receiver, const char *slot)
{
    const VComMethod *signal = sender ? sender->publishedMethod(VComMethod::Signal, signalName) : nullptr;
    if (!signal) {
        logFailure(__LINE__, QStringLiteral("no published signal [%1]").arg(signalName));
        return false;
    }
    const QMetaMethod signalMethod = vf::methodOf(sender, signal->signature);
    const QMetaMethod slotMethod = receiver ? vf::methodOf(receiver, QByteArray(slot)) : QMetaMethod();
    if (!signalMethod.isValid() || !slotMethod.isValid() || !QMetaObject::checkConnectArgs(signalMethod, slotMethod)) {
        logFailure(__LINE__,
                   QStringLiteral("cannot connect [%1] to [%2]")
                       .arg(QString::fromLatin1(signal->signature), QString::fromLatin1(slot)));
        return false;
    }
    return QObject::connect(sender, signalMethod, receiver, slotMethod);
}

bool VComRegistry::connect(IComponent *sender, const QString &signalName, IComponent *receiver, const QString &slotName)
{
    const VComMethod *slot = receiver ? receiver->publishedMethod(VComMethod::Slot, slotName) : nullptr;
    if (!slot) {
        logFailure(__LINE__, QStringLiteral("no published slot [%1]").arg(slotName));
        return false;
    }
    return connectSignal(sender, signalName, receiver, slot->signature.constData());
}
