#pragma once

#include "vquotnats_global.h"

#include <QList>
#include <QString>
#include <QStringList>

class QCommandLineOption;
class QCommandLineParser;

// Where and as whom a program connects to the bus, and the command-line
// options that say it (--feed nats://HOST:PORT with more servers of the
// cluster after commas, --feed-user and --feed-password or --feed-token,
// --feed-ca), shared by tarn-host and tarn-feed.
struct VQUOTNATS_EXPORT VNatsSettings
{
    QStringList urls; // nats://HOST:PORT, or tls://HOST:PORT, one per server; empty: no bus
    QString user;
    QString password;
    QString token;
    QString caFile; // certificates of the authorities trusted for TLS; set: the connection uses TLS
    QString name; // the connection's name in the server's monitoring

    // A URL as it may be shown and logged: without user or password.
    static QString shown(const QString &url);
    // Every server so, separated by commas.
    QString servers() const;

    static QList<QCommandLineOption> options();
    // Reads the options added from options(). False with a message for the
    // user when they are wrong: a URL that is not nats:// or tls:// with a
    // host and a port, servers of both kinds, credentials without --feed, a
    // password without a user, a user and a token, a CA file that cannot be
    // read.
    bool read(const QCommandLineParser &parser, QString *error);
};
