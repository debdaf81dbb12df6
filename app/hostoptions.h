#pragma once

#include <marketoptions.h>
#include <vnatssettings.h>

#include <QStringList>

// What tarn-host was asked to do on its command line.
struct HostOptions : MarketOptions
{
    QString configPath; // empty: the user's configuration folder
    QStringList components; // empty: every component the module offers
    QString libraryPath; // empty: libtarn beside tarn-host
    VNatsSettings feed; // url set: quotes from the bus instead of the simulator
    QString recordPath; // set: every record the components receive is written there for replay
    QString screenshotDir; // set: headless run that saves screenshots and exits
    int durationSeconds = -1; // how long to run before the screenshots or before quitting; -1: until closed

    // The class names tarn-host creates when none are given, in window order.
    static QStringList defaultComponents();
    // Parses the arguments (the program name first). False with a message
    // for the user when an argument is wrong; help and version are handled
    // by the parser itself.
    bool parse(const QStringList &arguments, QString *error);
};
