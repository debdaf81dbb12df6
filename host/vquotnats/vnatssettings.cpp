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

QString VNatsSettings::shown(const QString &url)
{
    return QUrl(url).adjusted(QUrl::RemoveUserInfo).toString();
}

QString VNatsSettings::servers() const
{
    QStringList shownUrls;
    for (const QString &url : urls)
        shownUrls << shown(url);
    return shownUrls.join(QLatin1Char(','));
}

QList<QCommandLineOption> VNatsSettings::options()
{
    return {
        {Feed,
         QStringLiteral("The quote bus: its NATS servers, nats://HOST:PORT (tls://HOST:PORT for TLS), several "
                        "separated by commas."),
         QStringLiteral("URLS")},
        {User, QStringLiteral("User name on the quote bus."), QStringLiteral("NAME")},
        {Password, QStringLiteral("Password on the quote bus."), QStringLiteral("PASSWORD")},
        {Token, QStringLiteral("Token on the quote bus, instead of a user and a password."), QStringLiteral("TOKEN")},
        {Ca, QStringLiteral("Certificates of the authorities trusted for a TLS connection to the quote bus."),
         QStringLiteral("FILE")},
    };
}

bool VNatsSettings::read(const QCommandLineParser &parser, QString *error)
{
    urls.clear();
    for (const QString &url : parser.value(Feed).split(QLatin1Char(','), Qt::SkipEmptyParts))
        urls << url.trimmed();
    user = parser.value(User);
    password = parser.value(Password);
    token = parser.value(Token);
    caFile = parser.value(Ca);
    if (urls.isEmpty()) {
        if (parser.isSet(User) || parser.isSet(Password) || parser.isSet(Token) || parser.isSet(Ca)) {
            *error = QStringLiteral("--feed-user, --feed-password, --feed-token and --feed-ca need --feed");
            return false;
        }
        return true;
    }
    for (const QString &url : qAsConst(urls)) {
        const QUrl parsed(url, QUrl::StrictMode);
        const QString scheme = parsed.scheme();
        if (!parsed.isValid() || (scheme != QLatin1String("nats") && scheme != QLatin1String("tls"))
            || parsed.host().isEmpty() || parsed.port() <= 0 || !parsed.path().isEmpty()) {
            *error = QStringLiteral("--feed wants nats://HOST:PORT or tls://HOST:PORT, several separated by commas, "
                                    "not \"%1\"")
                         .arg(shown(url));
            return false;
        }
        if (scheme != QUrl(urls.constFirst()).scheme()) {
            *error = QStringLiteral("--feed: the servers of one bus are all nats:// or all tls://");
            return false;
        }
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
