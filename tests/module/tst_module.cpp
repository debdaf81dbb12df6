#include <framepacer.h>
#include <icomponent.h>
#include <latestquotes.h>
#include <module_helper.h>
#include <tarn.h>
#include <testhost.h>
#include <testutil.h>

#include <QtTest>

#include <stdexcept>
#include <thread>

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
const QString kThrowing = QStringLiteral("ThrowingCloseComponent");

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
    // Unloading again, or with no module, is harmless.
    void cleanup()
    {
        QVERIFY(UnloadBizModule());
        QVERIFY(UnloadBizModule());
        QCOMPARE(tarn::hostContext(), nullptr);
    }

    // A second load keeps the module and takes the new host context; class names the module does not
    // register make nothing; the factory hands its arguments on unchanged.
    void secondLoadReplacesTheHostContext()
    {
        TestHost one;
        TestHost two;
        QTest::ignoreMessage(QtDebugMsg, "Module 'tarn' have created!");
        VModule *module = load(&one.context());
        QCOMPARE(LoadBizModule(&two.context()), module);
        QCOMPARE(tarn::hostContext(), &two.context());
        for (const QString &unknown : {u("testcomponent"), QString(), u("BCNoSuchPanel")})
            QCOMPARE(module->createComponent(nullptr, unknown, QString(), nullptr), nullptr);

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

    // Freeing deletes and logs a component the module made, one it did not make and one whose close()
    // fails; each leaves the list.
    void freeComponent()
    {
        TestHost host;
        VModule *module = load(&host.context());
        module->AddComItem(kThrowing, new VComFactory<ThrowingCloseComponent>);
        // No QPointer: the exception skips Qt's own cleanup inside close(), which would leave a guard on
        // the component's weak reference count.
        const QList<IComponent *> components {
            module->createComponent(nullptr, kTest, QStringLiteral("BCQuotPanel#1"), nullptr),
            module->createComponent(nullptr, kThrowing, QStringLiteral("broken"), nullptr),
            new TestComponent(nullptr, kTest, QStringLiteral("stranger"), nullptr)};
        for (IComponent *component : components)
            module->freeComponent(component);
        QCOMPARE(g_destroyed, (QByteArrayList {"BCQuotPanel#1", "broken", "stranger"}));
        QVERIFY(module->components().isEmpty());
        QCOMPARE(host.log().failures(), QStringList {u("调用元件close()失败")});
        for (const QByteArray &name : qAsConst(g_destroyed))
            QVERIFY2(host.log().contains(0, u("delete [%1] component.").arg(QLatin1String(name))), name.constData());
    }

    // A component deleted by its parent leaves the list; unloading deletes the rest in creation order
    // (a second delete would be caught by the sanitizers), and their destructors still reach the host.
    void unloadDeletesComponentsInCreationOrder()
    {
        TestHost host;
        VModule *module = load(&host.context());
        auto *parent = new QWidget;
        module->createComponent(parent, kTest, QStringLiteral("child"), nullptr);
        for (const char *name : {"first", "second", "third"})
            module->createComponent(nullptr, kTest, QString::fromLatin1(name), nullptr);
        delete parent;
        QCOMPARE(module->components().size(), 3);
        IHostContext *seenAtDestruction = nullptr;
        connect(module->components().constLast(), &QObject::destroyed, this,
                [&] { seenAtDestruction = tarn::hostContext(); });
        QVERIFY(UnloadBizModule());
        QCOMPARE(g_destroyed, (QByteArrayList {"child", "first", "second", "third"}));
        QCOMPARE(seenAtDestruction, &host.context());
    }

    // The live tables' frame clock and latest records belong to the loaded
    // module: unloading with a frame due stops the clock, so nothing of it
    // runs after the module's code is gone, and the next load makes both
    // again. The clock is made on the GUI thread only.
    void unloadStopsTheFrameClock()
    {
        TestHost host;
        load(&host.context());
        QVERIFY(FramePacer::isClockRunning());
        QVERIFY(LatestQuotes::instance());
        FramePacer pacer(FramePacer::Write);
        int frames = 0;
        connect(&pacer, &FramePacer::frame, this, [&frames] { ++frames; });
        pacer.request();
        QVERIFY(UnloadBizModule());
        QVERIFY(!FramePacer::isClockRunning());
        QVERIFY(!LatestQuotes::instance());
        bool startedElsewhere = true;
        std::thread([&startedElsewhere] { startedElsewhere = FramePacer::startClock(); }).join();
        QVERIFY(!startedElsewhere);
        QTest::qWait(50);
        QCOMPARE(frames, 0);
        load(&host.context());
        QVERIFY(FramePacer::isClockRunning());
        pacer.request();
        QTRY_COMPARE(frames, 1);
    }
};

QTEST_MAIN(ModuleTest)
#include "tst_module.moc"
