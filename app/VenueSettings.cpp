#include "VenueSettings.h"

#include <QSettings>

namespace {
const QString k_url = QStringLiteral("Venue/BrokerUrl");
const QString k_caFile = QStringLiteral("Venue/CaFile");
const QString k_user = QStringLiteral("Venue/User");
const QString k_replay = QStringLiteral("Venue/ReplayMinutes");
} // namespace

VenueSettings VenueSettings::load()
{
    QSettings settings;
    VenueSettings venue;
    venue.url = settings.value(k_url).toString();
    venue.caFile = settings.value(k_caFile).toString();
    venue.user = settings.value(k_user).toString();
    venue.replayMinutes = qBound(0, settings.value(k_replay, 120).toInt(), 24 * 60);
    return venue;
}

void VenueSettings::save() const
{
    QSettings settings;
    settings.setValue(k_url, url);
    settings.setValue(k_caFile, caFile);
    settings.setValue(k_user, user);
    settings.setValue(k_replay, replayMinutes);
}

QString VenueSettings::passwordKey() const
{
    return user + QLatin1Char('@') + url;
}

bool VenueSettings::toBroker(const QString &password, BrokerSettings *broker, QString *error) const
{
    BrokerSettings parsed;
    if (!BrokerSettings::parseUrl(url, &parsed, error))
        return false;
    parsed.caFile = caFile;
    parsed.user = user;
    parsed.password = user.isEmpty() ? QString() : password;
    *broker = parsed;
    return true;
}
