#pragma once

#include <QStringList>

// What tarn-host was asked to do on its command line.
struct HostOptions
{
    // The simulator's highest rate: beyond it the feed thread alone would
    // take a core of the client's machine.
    static constexpr int MaxRate = 200000;

    QString configPath; // empty: the user's configuration folder
    QString dataDir; // empty: the built-in sample market
    int sysDate = 0; // yyyymmdd; 0: today
    QStringList components; // empty: every component the module offers
    QString libraryPath; // empty: libtarn beside tarn-host
    int rate = 200; // simulated records per second
    quint32 seed = 1;
    QString screenshotDir; // set: headless run that saves screenshots and exits
    int durationSeconds = -1; // how long to run before the screenshots or before quitting; -1: until closed

    // The class names tarn-host creates when none are given, in window order.
    static QStringList defaultComponents();
    // Parses the arguments (the program name first). False with a message
    // for the user when an argument is wrong; help and version are handled
    // by the parser itself.
    bool parse(const QStringList &arguments, QString *error);
};
