#pragma once

#include "vframe_global.h"

#include <QFrame>
#include <QList>
#include <QMap>
#include <QVariant>

// A slot or signal that a component publishes to the host under a public name.
struct VComMethod
{
    enum Kind { Slot, Signal };
    Kind kind = Slot;
    QString name;
    // Qt's string form with the method code: "1doX(int)" for a slot, "2onX(int)" for a signal.
    QByteArray signature;
    QString description;
};

// The base of every component a module hands to the host.
class VFRAME_EXPORT IComponent : public QFrame
{
    Q_OBJECT
public:
    IComponent(QWidget *parent, const QString &className, const QString &identity);
    ~IComponent() override;

    virtual QString explain();
    virtual int authId();
    virtual QVariant execComAction(const QString &action, QMap<QString, QVariant> *params);
    // The host calls these to keep the component's layout choices between runs.
    virtual void saveScene();
    virtual void restoreScene();

    QString className() const;
    QString identity() const;
    // Set by the host before restoreScene; an empty group means nothing is persisted.
    void setComCfgGroup(const QString &group);
    QList<VComMethod> publishedMethods() const;
    const VComMethod *publishedMethod(VComMethod::Kind kind, const QString &name) const;

protected:
    void registSlot(const QString &name, const char *signature, const QString &description);
    void registSignal(const QString &name, const char *signature, const QString &description);
    QString comCfgGroup() const;

private:
    void publish(VComMethod::Kind kind, const QString &name, const char *signature, const QString &description);

    QString m_className;
    QString m_identity;
    QString m_cfgGroup;
    QList<VComMethod> m_methods;
};
