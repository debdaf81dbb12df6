#pragma once

#include <icomponent.h>
#include <imodule.h>

#include <QStringList>

// What the fake components and module did, in order.
struct Journal
{
    static QStringList entries;
};

// A stand-in for the module's components. Like the real ones, what it
// publishes depends on its class name: "BCQuotPanel" publishes the show slot
// "doSubscribeQuot", "BCFtQuotPanel" the signal "onSelectedFtContract",
// "BCStoQuot" both "onSelectedStoContract" and a show slot; "BCBadPanel"
// publishes "doSubscribeQuot" with a signature that does not take a security.
class FakeComponent : public IComponent
{
    Q_OBJECT
public:
    FakeComponent(QWidget *parent, const QString &className, const QString &identity);

    void saveScene() override;
    void restoreScene() override;

    // Each security shown, as "market code name priceUnit type".
    QStringList shown;

signals:
    void onChosen(const QString &stkid);

public slots:
    void doSubscribeQuot(char market, QString code, QString name, double priceUnit, const QString &type);
    void doOther(QString text);
};

// A module that offers components of the given class names.
class FakeModule : public IModule
{
    Q_OBJECT
public:
    explicit FakeModule(const QStringList &offered)
        : m_offered(offered)
    {
    }

    IComponent *createComponent(QWidget *parent, const QString &className, const QString &identity,
                                const QMap<QString, QVariant> *params) override;
    void freeComponent(IComponent *component) override;
    void AddComItem(const QString &, IComFactory *) override { }

private:
    QStringList m_offered;
};
