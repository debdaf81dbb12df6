#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class IComponent;
class VCacheMgr;
struct OrderDetail;

// Links components as the client's registry does, by the public names they
// publish: a security chosen in one component (the futures board's
// "onSelectedFtContract", the option board's "onSelectedStoContract", the
// watchlist's onIssueOrder) is shown by every other component that publishes
// "doSubscribeQuot". The signals carry a security id; the linker looks it up
// in the securities cache for the market, code, name, price step and type
// that the slot takes.
class ComponentLinker : public QObject
{
    Q_OBJECT
public:
    // Public names of the signals that carry a chosen security's id.
    static const QStringList SelectionSignals;
    // Public name of the slot that shows a security.
    static const QString ShowSlot;

    // Choices are looked up in the securities cache of caches; without one
    // (or with an abnormal one) they are logged and dropped.
    explicit ComponentLinker(VCacheMgr *caches, QObject *parent = nullptr);

    // Connects what the component publishes; it leaves by itself when destroyed.
    void addComponent(IComponent *component);
    QList<IComponent *> components() const;

    // Shows the security in every linked component that publishes the show
    // slot, except source. False (and a log record) when the id is unknown.
    bool showSecurity(const QString &stkid, IComponent *source = nullptr);

signals:
    void securityShown(const QString &stkid);

private slots:
    void doSecuritySelected(const QString &stkid);
    void doIssueOrder(const OrderDetail &order);

private:
    VCacheMgr *m_caches;
    QList<QPointer<IComponent>> m_components;
};
