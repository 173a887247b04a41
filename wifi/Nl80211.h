#pragma once

#include "data/WifiApInfo.h"

#include <QList>

#include <optional>

struct nl_msg;
struct nl_sock;

// A generic-netlink connection to the kernel's nl80211 family: lists the station interfaces,
// asks one to scan and reads its cached scan results. Every call blocks for at most a few
// seconds and reports failure as an empty answer. Only this class and NativeWifi know netlink.
class Nl80211
{
public:
    Nl80211();
    ~Nl80211();
    Nl80211(const Nl80211 &) = delete;
    Nl80211 &operator=(const Nl80211 &) = delete;

    // False when the kernel has no nl80211 (no wireless driver loaded) or no socket was granted.
    bool isOpen() const { return m_family >= 0; }

    // Interface indexes of the station (client) interfaces, in the kernel's order.
    QList<int> stationInterfaces();

    // Asks the interface to scan and waits until the kernel reports the scan ended (at most
    // k_scanWaitMs). Unprivileged programs are refused; the caller then reads what the desktop's
    // network service scanned last. Returns whether a fresh scan completed.
    bool triggerScan(int ifindex);

    // The kernel's current scan results of the interface, 2.4 GHz access points only.
    WifiScan scanResults(int ifindex);

    // One message of a scan dump: the access point it describes, or nothing when it carries no
    // usable access point (not on a 2.4 GHz channel, no BSSID or no signal level).
    static std::optional<WifiApInfo> parseScanResult(nl_msg *msg);
    // One message of an interface dump: its interface index when it is a station interface.
    static std::optional<int> parseStationInterface(nl_msg *msg);
    // The SSID held in a block of information elements (element 0); empty when absent, hidden
    // (zero length or all zero bytes) or when the block is malformed before it.
    static QString ssidFromInformationElements(const quint8 *ies, int length);

    static constexpr int k_scanWaitMs = 8000;

private:
    bool dump(nl_msg *request, int (*handler)(nl_msg *, void *), void *context);

    nl_sock *m_socket = nullptr;
    int m_family = -1;
};
