#include "icomponent.h"

#include "vcomregistry.h"

IComponent::IComponent(QWidget *parent, const QString &className, const QString &identity)
    : QFrame(parent)
    , m_className(className)
    , m_identity(identity)
{
    VComRegistry::add(this);
}

IComponent::~IComponent()
{
    VComRegistry::remove(this);
}

QString IComponent::explain()
{
    return m_className;
}

int IComponent::authId()
{
    return 0;
}

QVariant IComponent::execComAction(const QString &, QMap<QString, QVariant> *)
{
    return QVariant();
}

void IComponent::saveScene()
{
}

void IComponent::restoreScene()
{
}

QString IComponent::className() const
{
    return m_className;
}

QString IComponent::identity() const
{
    return m_identity;
}

void IComponent::setComCfgGroup(const QString &group)
{
    m_cfgGroup = group;
}

QString IComponent::comCfgGroup() const
{
    return m_cfgGroup;
}

QList<VComMethod> IComponent::publishedMethods() const
{
    return m_methods;
}

const VComMethod *IComponent::publishedMethod(VComMethod::Kind kind, const QString &name) const
{
    for (const VComMethod &m : m_methods) {
        if (m.kind == kind && m.name == name)
            return &m;
    }
    return nullptr;
}

void IComponent::registSlot(const QString &name, const char *signature, const QString &description)
{
    publish(VComMethod::Slot, name, signature, description);
}

void IComponent::registSignal(const QString &name, const char *signature, const QString &description)
{
    publish(VComMethod::Signal, name, signature, description);
}

void IComponent::publish(VComMethod::Kind kind, const QString &name, const char *signature, const QString &description)
{
    VComMethod method;
    method.kind = kind;
    method.name = name;
    method.signature = signature;
    method.description = description;
    for (VComMethod &m : m_methods) {
        if (m.kind == kind && m.name == name) {
            m = method;
            return;
        }
    }
    m_methods.append(method);
}
