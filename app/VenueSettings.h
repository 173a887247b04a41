#pragma once

#include "sensor/BrokerSettings.h"

#include <QString>

// What the window remembers of the venue it connects to: the broker's address, the certificate
// authorities its certificate is checked against, the user, and how far back a sensor seen for
// the first time replays. The password is never kept here: it is in the desktop's key store
// (see PasswordStore).
struct VenueSettings
{
    QString url;
    QString caFile;
    QString user;
    int replayMinutes = 120;

    static VenueSettings load();
    void save() const;
    // The key the password is kept under in the key store: the user at the broker.
    QString passwordKey() const;
    // The broker's settings, with `password`; false with *error when the address is not one.
    bool toBroker(const QString &password, BrokerSettings *broker, QString *error) const;
};
