#pragma once

#include <marketoptions.h>
#include <vnatssettings.h>

#include <QStringList>

// What tarn-feed was asked to do on its command line.
struct FeedOptions : MarketOptions
{
    static constexpr double MaxSpeed = 1000;

    VNatsSettings bus; // where to publish; the URL is required
    QString replayPath; // set: publish this recording instead of the simulated market
    double speed = 1; // replay pace: 2 plays a recording's minute in 30 seconds
    int durationSeconds = -1; // -1: until stopped (or until the recording ends)

    // Parses the arguments (the program name first). False with a message
    // for the user when an argument is wrong.
    bool parse(const QStringList &arguments, QString *error);
};
