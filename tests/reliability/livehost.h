#pragma once

#include <modulehost.h>

#include <vquotdata.h>

#include <QStringList>

// A ModuleHost over the sample market whose components show live securities,
// as in the client: the quote panel and the watchlist 600519, the futures
// board the copper contracts, the option board the 50ETF chain of the
// nearest expiry.
class LiveHost : public ModuleHost
{
public:
    static const char *const ClassNames[4];

    explicit LiveHost(const QString &tempParent = QString());

    // A component of the class, shown in parent and showing its securities.
    IComponent *show(const char *className, QWidget *parent = nullptr);
    // One component of each class, in the order of ClassNames.
    QList<IComponent *> showAll();
    // A plain record of a security the component subscribes.
    static VQuotData shownRecord(IComponent *component);
    // Hands the record to every receiving slot of the component, as the
    // quote manager does, but past its checks.
    static void deliverDirectly(IComponent *component, const VQuotData &record);
    // Every text the widget shows: table cells, labels, the quote panel's
    // title, items and levels.
    static QStringList shownTexts(QWidget *widget);
};
