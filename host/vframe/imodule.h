#pragma once

#include "vframe_global.h"

#include <QMap>
#include <QObject>
#include <QVariant>

class IComponent;
struct IComFactory;
class QWidget;

// A business module loaded by the host: it makes components by class name and
// frees them again.
class VFRAME_EXPORT IModule : public QObject
{
    Q_OBJECT
public:
    explicit IModule(QObject *parent = nullptr);
    ~IModule() override;

    // Returns null when no component class of that name is registered.
    virtual IComponent *createComponent(QWidget *parent, const QString &className, const QString &identity,
                                        const QMap<QString, QVariant> *params)
        = 0;
    virtual void freeComponent(IComponent *component) = 0;
    virtual void AddComItem(const QString &className, IComFactory *factory) = 0;
};
