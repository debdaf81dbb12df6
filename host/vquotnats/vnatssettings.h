#pragma once

#include "vquotnats_global.h"

#include <QList>
#include <QString>

class QCommandLineOption;
class QCommandLineParser;

// Where and as whom a program connects to the bus, and the command-line
// options that say it (--feed nats://HOST:PORT, --feed-user and
// --feed-password or --feed-token, --feed-ca), shared by tarn-host and
// tarn-feed.
struct VQUOTNATS_EXPORT VNatsSettings
{
    QString url; // nats://HOST:PORT, or tls://HOST:PORT; empty: no bus
    QString user;
    QString password;
    QString token;
    QString caFile; // certificates of the authorities trusted for TLS; set: the connection uses TLS
    QString name; // the connection's name in the server's monitoring

    // The URL as it may be shown and logged: without user or password.
    QString server() const;

    static QList<QCommandLineOption> options();
    // Reads the options added from options(). False with a message for the
    // user when they are wrong: a URL that is not nats:// or tls:// with a
    // host and a port, credentials without --feed, a password without a
    // user, a user and a token, a CA file that cannot be read.
    bool read(const QCommandLineParser &parser, QString *error);
};
