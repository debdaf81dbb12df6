#include "modulehost.h"

#include "testutil.h"

#include <tarn.h>

#include <icomponent.h>
#include <imodule.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vdatadict.h>
#include <vquotmgr.h>

ModuleHost::ModuleHost(int sysDate, const QString &dataDir, const QString &tempParent)
    : TestHost(sysDate, dataDir, tempParent)
    , m_module(LoadBizModule(&context()))
{
}

ModuleHost::~ModuleHost()
{
    UnloadBizModule();
}

void ModuleHost::addCache(const QString &name, const char *fields, const QList<QByteArray> &rows)
{
    QVector<QVector<QVariant>> values;
    for (const QByteArray &row : rows) {
        values.append(QVector<QVariant>());
        for (const QString &word : words(row.constData()))
            values.last() << word;
    }
    auto *cache = new VCacheItem(name);
    QVERIFY(cache->load(words(fields), values));
    context().cacheMgr()->addCache(cache);
}

void ModuleHost::addNames(const char *kind, const char *names)
{
    for (const QString &name : words(names))
        context().dataDict()->setItem(QLatin1String(kind), name.section(QLatin1Char('='), 0, 0),
                                      name.section(QLatin1Char('='), 1));
}

IComponent *ModuleHost::createComponent(const char *className, const QSize &size, const QMap<QString, QVariant> &params,
                                        QWidget *parent)
{
    IComponent *component
        = m_module->createComponent(parent, QLatin1String(className), QStringLiteral("test"), &params);
    if (component && !size.isEmpty()) {
        component->resize(size);
        component->show();
        if (!QTest::qWaitForWindowExposed(component))
            qWarning("%s was not exposed", className);
    }
    return component;
}

void ModuleHost::free(IComponent *component)
{
    m_module->freeComponent(component);
}

void ModuleHost::restart()
{
    UnloadBizModule();
    TestHost::restart();
    m_module = LoadBizModule(&context());
}

QString ModuleHost::wanted()
{
    return context().quotMgr()->wantedProducts().join(QLatin1Char(' '));
}
