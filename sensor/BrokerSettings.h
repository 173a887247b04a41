#pragma once

#include <QString>

// Where an MQTT broker is and how to prove who we are to it.
struct BrokerSettings
{
    static constexpr quint16 k_plainPort = 1883;
    static constexpr quint16 k_tlsPort = 8883;

    QString host;
    quint16 port = k_plainPort;
    bool tls = false;
    // TLS: the certificate authorities that the broker's certificate must chain to (empty: the
    // system's), and the client's own certificate and key, when the broker asks for one.
    QString caFile;
    QString certFile;
    QString keyFile;
    QString user;
    QString password;

    // "mqtts://host:8883": what log lines name the broker by (never a password).
    QString url() const;

    // Reads "mqtt://HOST[:PORT]" or "mqtts://HOST[:PORT]" (an IPv6 address in brackets) into
    // the host, port and TLS of *settings. False, with *error, for anything else, a user name
    // or password in the address among it.
    static bool parseUrl(const QString &text, BrokerSettings *settings, QString *error);
};
