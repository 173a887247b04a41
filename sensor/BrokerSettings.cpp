#include "BrokerSettings.h"

#include <QCoreApplication>
#include <QUrl>

QString BrokerSettings::url() const
{
    const QString shownHost
        = host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(host) : host;
    return QStringLiteral("%1://%2:%3")
        .arg(tls ? QStringLiteral("mqtts") : QStringLiteral("mqtt"), shownHost)
        .arg(port);
}

bool BrokerSettings::parseUrl(const QString &text, BrokerSettings *settings, QString *error)
{
    const auto fail = [&](const char *why) {
        *error = QCoreApplication::translate("BrokerSettings", why);
        return false;
    };
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid()
        || (url.scheme() != QLatin1String("mqtt") && url.scheme() != QLatin1String("mqtts")))
        return fail("the broker must be given as mqtt://HOST[:PORT] or mqtts://HOST[:PORT]");
    if (!url.userInfo().isEmpty())
        return fail("the broker's address may not hold a user or password (use --user and "
                    "--password-file)");
    if (url.host().isEmpty())
        return fail("the broker's address names no host");
    if ((!url.path().isEmpty() && url.path() != QLatin1String("/")) || url.hasQuery()
        || url.hasFragment())
        return fail("the broker's address may hold only a host and a port");
    settings->tls = url.scheme() == QLatin1String("mqtts");
    settings->host = url.host();
    const int port = url.port(settings->tls ? k_tlsPort : k_plainPort);
    if (port < 1 || port > 65535)
        return fail("the broker's port must be from 1 to 65535");
    settings->port = quint16(port);
    return true;
}
