#include "fakemodule.h"

QStringList Journal::entries;

FakeComponent::FakeComponent(QWidget *parent, const QString &className, const QString &identity)
    : IComponent(parent, className, identity)
{
    if (className == QLatin1String("BCQuotPanel") || className == QLatin1String("BCStoQuot"))
        registSlot(QStringLiteral("doSubscribeQuot"), "1doSubscribeQuot(char, QString, QString, double, QString)",
                   QStringLiteral("订阅行情"));
    if (className == QLatin1String("BCFtQuotPanel"))
        registSignal(QStringLiteral("onSelectedFtContract"), "2onChosen(QString)", QStringLiteral("选择期货合约"));
    if (className == QLatin1String("BCStoQuot"))
        registSignal(QStringLiteral("onSelectedStoContract"), "2onChosen(QString)", QStringLiteral("选择期权合约"));
    if (className == QLatin1String("BCBadPanel"))
        registSlot(QStringLiteral("doSubscribeQuot"), "1doOther(QString)", QStringLiteral("不接收证券"));
}

void FakeComponent::saveScene()
{
    Journal::entries << QStringLiteral("save %1 %2").arg(identity(), comCfgGroup());
}

void FakeComponent::restoreScene()
{
    Journal::entries << QStringLiteral("restore %1 %2").arg(identity(), comCfgGroup());
}

void FakeComponent::doSubscribeQuot(char market, QString code, QString name, double priceUnit, const QString &type)
{
    shown << QStringLiteral("%1 %2 %3 %4 %5").arg(QLatin1Char(market)).arg(code, name).arg(priceUnit).arg(type);
}

void FakeComponent::doOther(QString text)
{
    Journal::entries << text;
}

IComponent *FakeModule::createComponent(QWidget *parent, const QString &className, const QString &identity,
                                        const QMap<QString, QVariant> *)
{
    if (!m_offered.contains(className))
        return nullptr;
    Journal::entries << QStringLiteral("create %1").arg(identity);
    return new FakeComponent(parent, className, identity);
}

void FakeModule::freeComponent(IComponent *component)
{
    Journal::entries << QStringLiteral("free %1").arg(component->identity());
    delete component;
}
