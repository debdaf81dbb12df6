#include <icomponent.h>
#include <module_helper.h>
#include <tarn.h>
#include <testhost.h>

#include <QMetaMethod>
#include <QPointer>
#include <QtTest>

#include <stdexcept>

namespace {

// Records the order in which test components are destroyed.
QStringList g_destroyed;

class TestComponent : public IComponent
{
public:
    TestComponent(QWidget *parent, QString className, const QString &identity, const QMap<QString, QVariant> *params)
        : IComponent(parent, className, identity)
        , seenContext(tarn::hostContext())
        , params(params)
    {
        setObjectName(identity);
    }
    ~TestComponent() override { g_destroyed << objectName(); }

    IHostContext *seenContext;
    const QMap<QString, QVariant> *params;
};

// close() runs closeEvent, which fails here the way a broken component might.
class ThrowingCloseComponent : public TestComponent
{
public:
    using TestComponent::TestComponent;

protected:
    void closeEvent(QCloseEvent *) override { throw std::runtime_error("close failed"); }
};

const QString kTest = QStringLiteral("TestComponent");

} // namespace

class ModuleTest : public QObject
{
    Q_OBJECT

private:
    VModule *load(IHostContext *context)
    {
        auto *module = qobject_cast<VModule *>(LoadBizModule(context));
        module->AddComItem(kTest, new VComFactory<TestComponent>);
        return module;
    }

private slots:
    void init() { g_destroyed.clear(); }
    void cleanup()
    {
        UnloadBizModule();
        QCOMPARE(tarn::hostContext(), nullptr);
    }

    void loadCreatesOneModuleAndAnnouncesIt()
    {
        TestHost host;
        QTest::ignoreMessage(QtDebugMsg, "Module 'tarn' have created!");
        IModule *first = LoadBizModule(&host.context());
        QVERIFY(first);
        QCOMPARE(first->metaObject()->className(), "VModule");
        QCOMPARE(first->parent(), nullptr);
        QCOMPARE(LoadBizModule(&host.context()), first);
    }

    void secondLoadReplacesTheHostContext()
    {
        TestHost one;
        TestHost two;
        VModule *module = load(&one.context());
        QCOMPARE(LoadBizModule(&two.context()), module);
        QCOMPARE(tarn::hostContext(), &two.context());

        auto *component = static_cast<TestComponent *>(module->createComponent(nullptr, kTest, QString(), nullptr));
        QCOMPARE(component->seenContext, &two.context());
    }

    void unloadWithoutModule()
    {
        QVERIFY(UnloadBizModule());
        QVERIFY(UnloadBizModule());
        QCOMPARE(tarn::hostContext(), nullptr);
    }

    void moduleMetaObject()
    {
        TestHost host;
        const QMetaObject *mo = LoadBizModule(&host.context())->metaObject();
        QCOMPARE(mo->methodCount() - mo->methodOffset(), 2);
        const int withArg = mo->indexOfSlot("doComDestroyed(QObject*)");
        const int withoutArg = mo->indexOfSlot("doComDestroyed()");
        QVERIFY(withArg >= 0 && withoutArg >= 0);
        QCOMPARE(mo->method(withArg).access(), QMetaMethod::Private);
        QCOMPARE(mo->method(withArg).parameterNames(), QList<QByteArray> {"obj"});
    }

    void createForwardsItsArguments()
    {
        TestHost host;
        VModule *module = load(&host.context());
        QWidget parent;
        const QMap<QString, QVariant> params {{QStringLiteral("k"), 1}};
        auto *component
            = static_cast<TestComponent *>(module->createComponent(&parent, kTest, QStringLiteral("id-1"), &params));
        QVERIFY(component);
        QCOMPARE(component->parentWidget(), &parent);
        QCOMPARE(component->className(), kTest);
        QCOMPARE(component->identity(), QStringLiteral("id-1"));
        QCOMPARE(component->params, &params);
        QCOMPARE(module->components(), QList<IComponent *> {component});
    }

    void unknownClassNames_data()
    {
        QTest::addColumn<QString>("className");
        QTest::newRow("lower case") << QStringLiteral("testcomponent");
        QTest::newRow("empty") << QString();
        QTest::newRow("unregistered") << QStringLiteral("BCNoSuchPanel");
        QTest::newRow("trailing blank") << QStringLiteral("TestComponent ");
    }
    void unknownClassNames()
    {
        QFETCH(QString, className);
        TestHost host;
        VModule *module = load(&host.context());
        QCOMPARE(module->createComponent(nullptr, className, QString(), nullptr), nullptr);
        QVERIFY(module->components().isEmpty());
    }

    void replacingAFactory()
    {
        TestHost host;
        VModule *module = load(&host.context());
        module->AddComItem(kTest, new VComFactory<ThrowingCloseComponent>);
        IComponent *component = module->createComponent(nullptr, kTest, QString(), nullptr);
        QVERIFY(dynamic_cast<ThrowingCloseComponent *>(component));
    }

    void componentDeletedByItsParentLeavesTheList()
    {
        TestHost host;
        VModule *module = load(&host.context());
        auto *parent = new QWidget;
        QPointer<IComponent> child = module->createComponent(parent, kTest, QStringLiteral("child"), nullptr);
        IComponent *other = module->createComponent(nullptr, kTest, QStringLiteral("other"), nullptr);
        delete parent;
        QVERIFY(child.isNull());
        QCOMPARE(module->components(), QList<IComponent *> {other});
        // Unloading deletes only what is left; a second delete would be caught by the sanitizers.
        UnloadBizModule();
        QCOMPARE(g_destroyed, (QStringList {QStringLiteral("child"), QStringLiteral("other")}));
    }

    void freeComponentLogsTheObjectName_data()
    {
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QString>("message");
        QTest::newRow("named") << QStringLiteral("BCQuotPanel#1")
                               << QStringLiteral("delete [BCQuotPanel#1] component.");
        QTest::newRow("unnamed") << QString() << QStringLiteral("delete [] component.");
    }
    void freeComponentLogsTheObjectName()
    {
        QFETCH(QString, objectName);
        QFETCH(QString, message);
        TestHost host;
        VModule *module = load(&host.context());
        QPointer<IComponent> component = module->createComponent(nullptr, kTest, objectName, nullptr);
        module->freeComponent(component);
        QVERIFY(component.isNull());
        QVERIFY(module->components().isEmpty());
        const QList<VLogRecord> records = host.log().withMessage(message);
        QCOMPARE(records.size(), 1);
        QCOMPARE(records.first().level, 0);
        QVERIFY(records.first().file.endsWith(QLatin1String("module_helper.cpp")));
        QVERIFY(records.first().line > 0);
        QVERIFY(records.first().function.isEmpty());
    }

    void freeComponentOfNull()
    {
        TestHost host;
        VModule *module = load(&host.context());
        module->freeComponent(nullptr);
        QVERIFY(host.log().records.isEmpty());
    }

    void freeComponentNotMadeByTheModule()
    {
        TestHost host;
        VModule *module = load(&host.context());
        IComponent *mine = module->createComponent(nullptr, kTest, QStringLiteral("mine"), nullptr);
        QPointer<IComponent> stranger = new TestComponent(nullptr, kTest, QStringLiteral("stranger"), nullptr);
        module->freeComponent(stranger);
        QVERIFY(stranger.isNull());
        QCOMPARE(module->components(), QList<IComponent *> {mine});
    }

    void failingCloseStillDeletes()
    {
        TestHost host;
        VModule *module = load(&host.context());
        module->AddComItem(kTest, new VComFactory<ThrowingCloseComponent>);
        // No QPointer here: the exception skips Qt's own cleanup inside close(),
        // which would leave a guard on the component's weak reference count.
        IComponent *component = module->createComponent(nullptr, kTest, QStringLiteral("broken"), nullptr);
        module->freeComponent(component);
        QCOMPARE(g_destroyed, QStringList{QStringLiteral("broken")});
        QVERIFY(module->components().isEmpty());
        QVERIFY(host.log().contains(3, QStringLiteral("调用元件close()失败")));
        QVERIFY(host.log().contains(0, QStringLiteral("delete [broken] component.")));
    }

    void unloadDeletesComponentsInCreationOrder()
    {
        TestHost host;
        VModule *module = load(&host.context());
        for (const char *name : {"first", "second", "third"})
            module->createComponent(nullptr, kTest, QString::fromLatin1(name), nullptr);
        QVERIFY(UnloadBizModule());
        QCOMPARE(g_destroyed,
                 (QStringList {QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("third")}));
        QCOMPARE(tarn::hostContext(), nullptr);
    }

    void unloadRunsComponentDestructorsWithTheContextSet()
    {
        TestHost host;
        VModule *module = load(&host.context());
        IHostContext *seenAtDestruction = nullptr;
        IComponent *component = module->createComponent(nullptr, kTest, QString(), nullptr);
        connect(component, &QObject::destroyed, this, [&] { seenAtDestruction = tarn::hostContext(); });
        UnloadBizModule();
        QCOMPARE(seenAtDestruction, &host.context());
    }
};

QTEST_MAIN(ModuleTest)
#include "tst_module.moc"
