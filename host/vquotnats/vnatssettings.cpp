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
        {Feed, QStringLiteral("行情总线: 其 NATS 服务器, nats://HOST:PORT (TLS 连接用 tls://HOST:PORT), 多个以逗号分隔。"),
         QStringLiteral("URLS")},
        {User, QStringLiteral("行情总线的用户名。"), QStringLiteral("用户名")},
        {Password, QStringLiteral("行情总线的密码。"), QStringLiteral("密码")},
        {Token, QStringLiteral("行情总线的令牌, 代替用户名和密码。"), QStringLiteral("令牌")},
        {Ca, QStringLiteral("TLS 连接行情总线时信任的证书颁发机构的证书。"), QStringLiteral("文件")},
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
            *error = QStringLiteral("--feed-user、--feed-password、--feed-token 和 --feed-ca 需要与 --feed 同用");
            return false;
        }
        return true;
    }
    for (const QString &url : qAsConst(urls)) {
        const QUrl parsed(url, QUrl::StrictMode);
        const QString scheme = parsed.scheme();
        if (!parsed.isValid() || (scheme != QLatin1String("nats") && scheme != QLatin1String("tls"))
            || parsed.host().isEmpty() || parsed.port() <= 0 || !parsed.path().isEmpty()) {
            *error = QStringLiteral("--feed 需要 nats://HOST:PORT 或 tls://HOST:PORT, 多个以逗号分隔, 而不是\"%1\"")
                         .arg(shown(url));
            return false;
        }
        if (scheme != QUrl(urls.constFirst()).scheme()) {
            *error = QStringLiteral("--feed: 同一总线的服务器须全为 nats:// 或全为 tls://");
            return false;
        }
    }
    if (!password.isEmpty() && user.isEmpty()) {
        *error = QStringLiteral("--feed-password 需要与 --feed-user 同用");
        return false;
    }
    if (!token.isEmpty() && !user.isEmpty()) {
        *error = QStringLiteral("--feed-token 和 --feed-user 不能同用");
        return false;
    }
    if (!caFile.isEmpty() && !QFileInfo(caFile).isReadable()) {
        *error = QStringLiteral("--feed-ca: 文件[%1]无法读取").arg(caFile);
        return false;
    }
    return true;
}
