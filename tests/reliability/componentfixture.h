#pragma once

#include <testhost.h>

#include <vquotdata.h>

#include <QByteArray>
#include <QPair>
#include <QStringList>

class IComponent;
class IModule;
class QWidget;

// The sample market in a test host, the module loaded, and components
// created as the client would: each shown and showing live securities (the
// quote panel and the watchlist 600519, the futures board the copper
// contracts, the option board the 50ETF chain of the nearest expiry).
class ComponentFixture
{
public:
    static const char *const ClassNames[4];

    // The configuration database in a temporary folder in tempParent (the system's when empty).
    explicit ComponentFixture(const QString &tempParent = QString());
    ~ComponentFixture();

    // Null (and a failed check) when the module offers no such component.
    IComponent *create(const char *className, QWidget *parent = nullptr);
    // One component of each class, in the order of ClassNames.
    QList<IComponent *> createAll();
    void free(IComponent *component);
    // A security the component shows, as market and code.
    static QPair<char, QByteArray> shownSecurity(IComponent *component);
    // Hands the record to every receiving slot of the component, as the
    // quote manager does, but past its checks.
    static void deliverDirectly(IComponent *component, const VQuotData &record);
    // The display text of every cell of the widget's tables.
    static QStringList tableTexts(QWidget *widget);

    TestHost host;
    IModule *module = nullptr;
};
