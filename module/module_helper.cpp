#include "module_helper.h"

#include <icomponent.h>
#include <ftquot/bcftquotpanel.h>
#include <optionalstk/bcoptionalstk.h>
#include <quotpanel/bcquotpanel.h>
#include <stoquot/bcstoquot.h>
#include <voutput.h>

#include <QLoggingCategory>

namespace {
VModule *g_module = nullptr;
} // namespace

VModule::VModule(QObject *)
    : IModule(nullptr)
{
}

VModule::~VModule()
{
    qDeleteAll(m_factories);
    m_factories.clear();
    try {
        // Each deletion reaches doComDestroyed, which edits m_components, so
        // walk the list as it stood before the first deletion.
        const QList<IComponent *> components = m_components;
        for (IComponent *component : components)
            delete component;
    } catch (...) {
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(), QStringLiteral("释放元件列表失败"));
    }
    m_components.clear();
}

IComponent *VModule::createComponent(QWidget *parent, const QString &className, const QString &identity,
                                     const QMap<QString, QVariant> *params)
{
    IComFactory *factory = m_factories.value(className);
    if (!factory)
        return nullptr;
    IComponent *component = factory->create(parent, className, identity, params);
    connect(component, SIGNAL(destroyed(QObject *)), this, SLOT(doComDestroyed(QObject *)));
    m_components.append(component);
    return component;
}

void VModule::freeComponent(IComponent *component)
{
    if (!component)
        return;
    try {
        component->close();
    } catch (...) {
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(), QStringLiteral("调用元件close()失败"));
    }
    try {
        const QString name = component->objectName();
        m_components.removeOne(component);
        delete component;
        VOutput(0, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("delete [%1] component.").arg(name, 0, QLatin1Char(' ')));
    } catch (...) {
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(), QStringLiteral("释放元件失败,该元件可能已被释放"));
    }
}

void VModule::AddComItem(const QString &className, IComFactory *factory)
{
    // The module owns its factories: one that is replaced is deleted.
    IComFactory *old = m_factories.value(className);
    m_factories.insert(className, factory);
    if (old != factory)
        delete old;
}

QList<IComponent *> VModule::components() const
{
    return m_components;
}

void VModule::doComDestroyed(QObject *obj)
{
    const QObject *gone = obj ? obj : sender();
    // Only the QObject part of the component is left, so it must not be cast
    // back to IComponent (the sanitizers rightly object): compare addresses.
    // QObject is the first base of every component, at the same address.
    for (int i = 0; i < m_components.size(); ++i) {
        if (static_cast<const void *>(m_components.at(i)) == static_cast<const void *>(gone)) {
            m_components.removeAt(i);
            return;
        }
    }
}

// The module's traces: its creation, through Qt's debug output.
Q_LOGGING_CATEGORY(lcModule, "tarn.module")

IModule *GetModule()
{
    if (g_module)
        return g_module;
    g_module = new VModule(nullptr);
    g_module->AddComItem(QStringLiteral("BCQuotPanel"), new VComFactory<BCQuotPanel>);
    g_module->AddComItem(QStringLiteral("BCFtQuotPanel"), new VComFactory<BCFtQuotPanel>);
    g_module->AddComItem(QStringLiteral("BCOptionalStk"), new VComFactory<BCOptionalStk>);
    g_module->AddComItem(QStringLiteral("BCStoQuot"), new VComFactory<BCStoQuot>);
    qCDebug(lcModule, "Module 'tarn' have created!");
    return g_module;
}

void DestroyModule()
{
    delete g_module;
    g_module = nullptr;
}
