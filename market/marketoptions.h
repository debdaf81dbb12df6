#pragma once

#include <QList>
#include <QStringList>

class QCommandLineOption;
class QCommandLineParser;

// The command-line options that choose the sample market and drive its
// simulator, shared by tarn-host and tarn-feed: --data DIR, --date YYYYMMDD,
// --rate N, --seed N; and how both read their command lines.
struct MarketOptions
{
    // The simulator's highest rate: beyond it the simulating thread alone
    // would take a core.
    static constexpr int MaxRate = 200000;

    QString dataDir; // empty: the built-in sample market
    int sysDate = 0; // yyyymmdd; 0: today
    int rate = 0; // 0: the exchanges' pace; else a stress run of that many records per second
    quint32 seed = 1;

    // The options, their help naming the current values as defaults.
    QList<QCommandLineOption> marketOptions() const;
    // Reads them; false with a message for the user when one is wrong.
    bool readMarketOptions(const QCommandLineParser &parser, QString *error);
    // True when --rate or --seed is on the command line.
    static bool drivesSimulator(const QCommandLineParser &parser);
    // Parses the arguments (the program name first) with the options added
    // to parser: shows the help and exits when asked, refuses positional
    // arguments. False with a message for the user.
    static bool parseCommandLine(QCommandLineParser &parser, const QStringList &arguments, QString *error);
};
