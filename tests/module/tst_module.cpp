#include <icomponent.h>
#include <module_helper.h>
#include <tarn.h>
#include <testhost.h>

#include <QPointer>
#include <QtTest>

#include <stdexcept>

namespace {

// Records the order in which test components are destroyed.
QByteArrayList g_destroyed;

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
    ~TestComponent() override { g_destroyed << objectName().toUtf8(); }

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

    void secondLoadReplacesTheHostContext()
    {
        TestHost one;
        TestHost two;
        QTest::ignoreMessage(QtDebugMsg, "Module 'tarn' have created!");
        VModule *module = load(&one.context());
        QCOMPARE(LoadBizModule(&two.context()), module);
        QCOMPARE(tarn::hostContext(), &two.context());

        // The factory hands its arguments on unchanged.
        QWidget parent;
        const QMap<QString, QVariant> params {{QStringLiteral("k"), 1}};
        auto *component
            = static_cast<TestComponent *>(module->createComponent(&parent, kTest, QStringLiteral("id-1"), &params));
        QCOMPARE(component->seenContext, &two.context());
        QCOMPARE(component->parentWidget(), &parent);
        QCOMPARE(component->identity(), QStringLiteral("id-1"));
        QCOMPARE(component->params, &params);
        QCOMPARE(module->components(), QList<IComponent *> {component});
    }

    void unloadWithoutModule()
    {
        QVERIFY(UnloadBizModule());
        QVERIFY(UnloadBizModule());
        QCOMPARE(tarn::hostContext(), nullptr);
    }

    void unknownClassNames_data()
    {
        QTest::addColumn<QString>("className");
        QTest::newRow("lower case") << QStringLiteral("testcomponent");
        QTest::newRow("empty") << QString();
        QTest::newRow("unregistered") << QStringLiteral("BCNoSuchPanel");
    }
    void unknownClassNames()
    {
        QFETCH(QString, className);
        TestHost host;
        VModule *module = load(&host.context());
        QCOMPARE(module->createComponent(nullptr, className, QString(), nullptr), nullptr);
        QVERIFY(module->components().isEmpty());
    }

    void componentDeletedByItsParentLeavesTheList()
    {
        TestHost host;
        VModule *module = load(&host.context());
        auto *parent = new QWidget;
        module->createComponent(parent, kTest, QStringLiteral("child"), nullptr);
        IComponent *other = module->createComponent(nullptr, kTest, QStringLiteral("other"), nullptr);
        delete parent;
        QCOMPARE(module->components(), QList<IComponent *> {other});
        // Unloading deletes only what is left; a second delete would be caught by the sanitizers.
        UnloadBizModule();
        QCOMPARE(g_destroyed, (QByteArrayList {"child", "other"}));
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
        // A component the module did not make is freed all the same.
        QPointer<IComponent> stranger = new TestComponent(nullptr, kTest, QStringLiteral("stranger"), nullptr);
        module->freeComponent(component);
        module->freeComponent(stranger);
        QVERIFY(component.isNull() && stranger.isNull());
        QVERIFY(module->components().isEmpty());
        QCOMPARE(host.log().withMessage(message).size(), 1);
        QCOMPARE(host.log().withMessage(message).constFirst().level, 0);
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
        QCOMPARE(g_destroyed, QByteArrayList {"broken"});
        QVERIFY(module->components().isEmpty());
        QVERIFY(host.log().contains(3, QStringLiteral("调用元件close()失败")));
        QVERIFY(host.log().contains(0, QStringLiteral("delete [broken] component.")));
    }

    void unloadDeletesComponentsInCreationOrder()
    {
        TestHost host;
        VModule *module = load(&host.context());
        IHostContext *seenAtDestruction = nullptr;
        for (const char *name : {"first", "second", "third"})
            module->createComponent(nullptr, kTest, QString::fromLatin1(name), nullptr);
        connect(module->components().constLast(), &QObject::destroyed, this,
                [&] { seenAtDestruction = tarn::hostContext(); });
        QVERIFY(UnloadBizModule());
        QCOMPARE(g_destroyed, (QByteArrayList {"first", "second", "third"}));
        // Component destructors still reach the host.
        QCOMPARE(seenAtDestruction, &host.context());
    }
};

QTEST_MAIN(ModuleTest)
#include "tst_module.moc"
