#include "vnatssettings.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QUrl>

namespace {

const QString Feed = QStringLiteral("feed");
const QString User = QStringLiteral("feed-user");
const QString Password = QStringLiteral("feed-password");
const QString Token = QStringLiteral("feed-token");
const QString Ca = QStringLiteral("feed-ca");

} // namespace

QString VNatsSettings::server() const
{
    return QUrl(url).adjusted(QUrl::RemoveUserInfo).toString();
}

QList<QCommandLineOption> VNatsSettings::options()
{
    return {
        {Feed, QStringLiteral("The quote bus: a NATS server, nats://HOST:PORT (tls://HOST:PORT for TLS)."),
         QStringLiteral("URL")},
        {User, QStringLiteral("User name on the quote bus."), QStringLiteral("NAME")},
        {Password, QStringLiteral("Password on the quote bus."), QStringLiteral("PASSWORD")},
        {Token, QStringLiteral("Token on the quote bus, instead of a user and a password."), QStringLiteral("TOKEN")},
        {Ca, QStringLiteral("Certificates of the authorities trusted for a TLS connection to the quote bus."),
         QStringLiteral("FILE")},
    };
}

bool VNatsSettings::read(const QCommandLineParser &parser, QString *error)
{
    url = parser.value(Feed);
    user = parser.value(User);
    password = parser.value(Password);
    token = parser.value(Token);
    caFile = parser.value(Ca);
    if (url.isEmpty()) {
        if (parser.isSet(User) || parser.isSet(Password) || parser.isSet(Token) || parser.isSet(Ca)) {
            *error = QStringLiteral("--feed-user, --feed-password, --feed-token and --feed-ca need --feed");
            return false;
        }
        return true;
    }
    const QUrl parsed(url, QUrl::StrictMode);
    const QString scheme = parsed.scheme();
    if (!parsed.isValid() || (scheme != QLatin1String("nats") && scheme != QLatin1String("tls"))
        || parsed.host().isEmpty() || parsed.port() <= 0 || !parsed.path().isEmpty()) {
        *error = QStringLiteral("--feed wants nats://HOST:PORT or tls://HOST:PORT, not \"%1\"").arg(server());
        return false;
    }
    if (!password.isEmpty() && user.isEmpty()) {
        *error = QStringLiteral("--feed-password needs --feed-user");
        return false;
    }
    if (!token.isEmpty() && !user.isEmpty()) {
        *error = QStringLiteral("--feed-token and --feed-user exclude each other");
        return false;
    }
    if (!caFile.isEmpty() && !QFileInfo(caFile).isReadable()) {
        *error = QStringLiteral("--feed-ca: the file [%1] cannot be read").arg(caFile);
        return false;
    }
    return true;
}
