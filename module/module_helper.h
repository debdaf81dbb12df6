#pragma once

#include <tarn_global.h>

#include <imodule.h>

#include <QHash>
#include <QList>
#include <QMap>
#include <QVariant>

class IComponent;
class QWidget;

// Builds one component class for the module's registry.
struct TARN_EXPORT IComFactory
{
    IComFactory() = default;
    IComFactory(const IComFactory &) = default;
    IComFactory &operator=(const IComFactory &) = default;
    virtual ~IComFactory() = default;
    virtual IComponent *create(QWidget *parent, QString className, const QString &identity,
                               const QMap<QString, QVariant> *params)
        = 0;
};

template<class Component> class VComFactory : public IComFactory
{
public:
    IComponent *create(QWidget *parent, QString className, const QString &identity,
                       const QMap<QString, QVariant> *params) override
    {
        return new Component(parent, className, identity, params);
    }
};

// The module object: a registry of component factories by class name and the
// list of components it made that are still alive. It owns the factories and
// deletes the remaining components when it is destroyed.
class TARN_EXPORT VModule : public IModule
{
    Q_OBJECT
public:
    // The module never has a parent; the argument is ignored.
    explicit VModule(QObject *parent = nullptr);
    ~VModule() override;

    IComponent *createComponent(QWidget *parent, const QString &className, const QString &identity,
                                const QMap<QString, QVariant> *params) override;
    void freeComponent(IComponent *component) override;
    void AddComItem(const QString &className, IComFactory *factory) override;

    QList<IComponent *> components() const;

private slots:
    void doComDestroyed(QObject *obj = nullptr);

private:
    QList<IComponent *> m_components;
    QHash<QString, IComFactory *> m_factories;
};

// The one module of the library, created with its factories on first use.
IModule *GetModule();
// Deletes the module, if any, and forgets it.
void DestroyModule();
