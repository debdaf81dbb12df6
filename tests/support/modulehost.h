#pragma once

#include "testhost.h"

#include <QMap>
#include <QSize>
#include <QVariant>

class IComponent;
class IModule;
class QWidget;

// A TestHost with the module loaded, for the tests of one component: caches
// and names given as words, components made as the client makes them, and
// what the quote manager holds, as text.
class ModuleHost : public TestHost
{
public:
    // The configuration database in a temporary folder in tempParent (the system's when empty).
    explicit ModuleHost(int sysDate = 20261205, const QString &dataDir = QString(),
                        const QString &tempParent = QString());
    ~ModuleHost();

    // A cache of that name: its fields, then each row, as blank-separated words.
    void addCache(const QString &name, const char *fields, const QList<QByteArray> &rows);
    // Data-dictionary names of one kind, as "key=name" words.
    void addNames(const char *kind, const char *names);
    // A component of the class in parent, made with params; shown at size and exposed unless size is empty.
    template<class T>
    T *create(const char *className, const QSize &size = QSize(), const QMap<QString, QVariant> &params = {},
              QWidget *parent = nullptr)
    {
        return qobject_cast<T *>(createComponent(className, size, params, parent));
    }
    void free(IComponent *component);
    // Unloads the module (deleting its components), restarts the host on the
    // same configuration database and loads the module again.
    void restart();

    // The products the quote manager subscribes, blank-separated.
    QString wanted();

private:
    IComponent *createComponent(const char *className, const QSize &size, const QMap<QString, QVariant> &params,
                                QWidget *parent);

    IModule *m_module = nullptr;
};
