#include "Nl80211.h"

#include "NativeWifi.h"
#include "WifiLog.h"

#include <QDeadlineTimer>

#include <linux/nl80211.h>
#include <netlink/genl/ctrl.h>
#include <netlink/genl/genl.h>
#include <netlink/msg.h>
#include <netlink/netlink.h>

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

namespace {

// Longest a reply of the kernel may take before a call gives up, so a scan task never hangs.
constexpr int k_replyTimeoutSeconds = 5;

void setReceiveTimeout(nl_sock *socket)
{
    timeval timeout{k_replyTimeoutSeconds, 0};
    setsockopt(nl_socket_get_fd(socket), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
}

// The attributes of a generic-netlink message of nl80211, or false when it is malformed or is
// not the command expected.
bool parseMessage(nl_msg *msg, quint8 command, nlattr **attrs)
{
    nlmsghdr *header = nlmsg_hdr(msg);
    if (!genlmsg_valid_hdr(header, 0))
        return false;
    auto *genl = static_cast<genlmsghdr *>(nlmsg_data(header));
    if (genl->cmd != command)
        return false;
    return nla_parse(attrs, NL80211_ATTR_MAX, genlmsg_attrdata(genl, 0), genlmsg_attrlen(genl, 0),
                     nullptr)
        == 0;
}

// Lengths the access point's attributes must have; a message that breaks them is dropped.
nla_policy *bssPolicy()
{
    static nla_policy policy[NL80211_BSS_MAX + 1] = {};
    static const bool filled = [] {
        policy[NL80211_BSS_BSSID].type = NLA_UNSPEC;
        policy[NL80211_BSS_BSSID].minlen = 6;
        policy[NL80211_BSS_BSSID].maxlen = 6;
        policy[NL80211_BSS_FREQUENCY].type = NLA_U32;
        policy[NL80211_BSS_SIGNAL_MBM].type = NLA_U32;
        return true;
    }();
    Q_UNUSED(filled)
    return policy;
}

int collectScanResult(nl_msg *msg, void *context)
{
    if (std::optional<WifiApInfo> ap = Nl80211::parseScanResult(msg))
        static_cast<WifiScan *>(context)->append(*ap);
    return NL_SKIP;
}

int collectStationInterface(nl_msg *msg, void *context)
{
    auto *interfaces = static_cast<QList<int> *>(context);
    if (std::optional<int> ifindex = Nl80211::parseStationInterface(msg)) {
        if (!interfaces->contains(*ifindex))
            interfaces->append(*ifindex);
    }
    return NL_SKIP;
}

struct ScanWait
{
    int ifindex;
    bool ended = false;
    bool completed = false;
};

// Watches the scan events for the end of the scan of one interface.
int watchScanEnd(nl_msg *msg, void *context)
{
    auto *wait = static_cast<ScanWait *>(context);
    nlmsghdr *header = nlmsg_hdr(msg);
    if (!genlmsg_valid_hdr(header, 0))
        return NL_SKIP;
    auto *genl = static_cast<genlmsghdr *>(nlmsg_data(header));
    if (genl->cmd != NL80211_CMD_NEW_SCAN_RESULTS && genl->cmd != NL80211_CMD_SCAN_ABORTED)
        return NL_SKIP;
    nlattr *attrs[NL80211_ATTR_MAX + 1];
    if (nla_parse(attrs, NL80211_ATTR_MAX, genlmsg_attrdata(genl, 0), genlmsg_attrlen(genl, 0),
                  nullptr)
            != 0
        || !attrs[NL80211_ATTR_IFINDEX] || nla_len(attrs[NL80211_ATTR_IFINDEX]) < 4
        || int(nla_get_u32(attrs[NL80211_ATTR_IFINDEX])) != wait->ifindex)
        return NL_SKIP;
    wait->ended = true;
    wait->completed = genl->cmd == NL80211_CMD_NEW_SCAN_RESULTS;
    return NL_STOP;
}

nl_msg *newRequest(int family, int flags, quint8 command, int ifindex)
{
    nl_msg *msg = nlmsg_alloc();
    if (!msg)
        return nullptr;
    if (!genlmsg_put(msg, NL_AUTO_PORT, NL_AUTO_SEQ, family, 0, flags, command, 0)
        || (ifindex > 0 && nla_put_u32(msg, NL80211_ATTR_IFINDEX, quint32(ifindex)) < 0)) {
        nlmsg_free(msg);
        return nullptr;
    }
    return msg;
}

} // namespace

Nl80211::Nl80211()
{
    m_socket = nl_socket_alloc();
    if (!m_socket)
        return;
    // Without generic netlink or nl80211 the object stays closed; the scan says so (once), so
    // that a program scanning simulated air never announces the missing hardware.
    if (genl_connect(m_socket) < 0)
        return;
    setReceiveTimeout(m_socket);
    // Scan results carry every information element of a beacon; read messages whatever their
    // size instead of truncating them to the default buffer.
    nl_socket_enable_msg_peek(m_socket);
    m_family = genl_ctrl_resolve(m_socket, "nl80211");
}

Nl80211::~Nl80211()
{
    if (m_socket)
        nl_socket_free(m_socket);
}

QList<int> Nl80211::stationInterfaces()
{
    QList<int> interfaces;
    if (isOpen())
        dump(newRequest(m_family, NLM_F_DUMP, NL80211_CMD_GET_INTERFACE, 0),
             collectStationInterface, &interfaces);
    return interfaces;
}

bool Nl80211::triggerScan(int ifindex)
{
    if (!isOpen())
        return false;
    const int group = genl_ctrl_resolve_grp(m_socket, "nl80211", "scan");
    if (group < 0)
        return false;
    // Listen before asking, so that the end of a short scan is not missed.
    nl_sock *events = nl_socket_alloc();
    if (!events)
        return false;
    ScanWait wait{ifindex};
    nl_cb *callbacks = nullptr;
    if (genl_connect(events) >= 0 && nl_socket_add_membership(events, group) >= 0) {
        setReceiveTimeout(events);
        nl_socket_disable_seq_check(events);
        nl_msg *request = newRequest(m_family, 0, NL80211_CMD_TRIGGER_SCAN, ifindex);
        // nl_send_sync frees the request and answers the kernel's acknowledgement or refusal.
        const int err = request ? nl_send_sync(m_socket, request) : -NLE_NOMEM;
        callbacks = err < 0 ? nullptr : nl_cb_alloc(NL_CB_DEFAULT);
        if (err < 0)
            qCDebug(lcWifi) << "Scan request refused:" << nl_geterror(err);
    }
    if (callbacks) {
        nl_cb_set(callbacks, NL_CB_VALID, NL_CB_CUSTOM, watchScanEnd, &wait);
        const QDeadlineTimer deadline(k_scanWaitMs);
        while (!wait.ended) {
            const qint64 remaining = deadline.remainingTime();
            if (remaining <= 0)
                break;
            pollfd fd{nl_socket_get_fd(events), POLLIN, 0};
            const int ready = poll(&fd, 1, int(remaining));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0 || nl_recvmsgs(events, callbacks) < 0)
                break;
        }
        nl_cb_put(callbacks);
    }
    nl_socket_free(events);
    return wait.completed;
}

WifiScan Nl80211::scanResults(int ifindex)
{
    WifiScan results;
    if (isOpen())
        dump(newRequest(m_family, NLM_F_DUMP, NL80211_CMD_GET_SCAN, ifindex), collectScanResult,
             &results);
    return results;
}

bool Nl80211::dump(nl_msg *request, int (*handler)(nl_msg *, void *), void *context)
{
    if (!request)
        return false;
    nl_cb *callbacks = nl_cb_alloc(NL_CB_DEFAULT);
    if (!callbacks) {
        nlmsg_free(request);
        return false;
    }
    nl_cb_set(callbacks, NL_CB_VALID, NL_CB_CUSTOM, handler, context);
    int err = nl_send_auto(m_socket, request);
    nlmsg_free(request);
    // One call reads every part of the dump, up to its closing message.
    if (err >= 0)
        err = nl_recvmsgs(m_socket, callbacks);
    nl_cb_put(callbacks);
    if (err < 0)
        qCDebug(lcWifi) << "nl80211 dump failed:" << nl_geterror(err);
    return err >= 0;
}

std::optional<WifiApInfo> Nl80211::parseScanResult(nl_msg *msg)
{
    nlattr *attrs[NL80211_ATTR_MAX + 1];
    if (!msg || !parseMessage(msg, NL80211_CMD_NEW_SCAN_RESULTS, attrs) || !attrs[NL80211_ATTR_BSS])
        return std::nullopt;
    nlattr *bss[NL80211_BSS_MAX + 1];
    if (nla_parse_nested(bss, NL80211_BSS_MAX, attrs[NL80211_ATTR_BSS], bssPolicy()) != 0)
        return std::nullopt;
    if (!bss[NL80211_BSS_BSSID] || !bss[NL80211_BSS_FREQUENCY] || !bss[NL80211_BSS_SIGNAL_MBM])
        return std::nullopt;

    const int channel = NativeWifi::frequencyChannel(int(nla_get_u32(bss[NL80211_BSS_FREQUENCY])));
    if (channel == 0)
        return std::nullopt;

    const auto *mac = static_cast<const quint8 *>(nla_data(bss[NL80211_BSS_BSSID]));
    QString bssid;
    for (int i = 0; i < 6; ++i) {
        if (i > 0)
            bssid += QLatin1Char(':');
        bssid += QStringLiteral("%1").arg(mac[i], 2, 16, QLatin1Char('0'));
    }

    // The information elements of the last frame heard; a driver that keeps only the beacon's
    // gives those.
    nlattr *ies = bss[NL80211_BSS_INFORMATION_ELEMENTS] ? bss[NL80211_BSS_INFORMATION_ELEMENTS]
                                                        : bss[NL80211_BSS_BEACON_IES];
    const QString ssid = ies
        ? ssidFromInformationElements(static_cast<const quint8 *>(nla_data(ies)), nla_len(ies))
        : QString();

    // mBm is hundredths of a dBm.
    const int rssi = qint32(nla_get_u32(bss[NL80211_BSS_SIGNAL_MBM])) / 100;
    return NativeWifi::makeAccessPoint(bssid, ssid, rssi, channel);
}

std::optional<int> Nl80211::parseStationInterface(nl_msg *msg)
{
    nlattr *attrs[NL80211_ATTR_MAX + 1];
    if (!msg || !parseMessage(msg, NL80211_CMD_NEW_INTERFACE, attrs))
        return std::nullopt;
    nlattr *ifindex = attrs[NL80211_ATTR_IFINDEX];
    nlattr *iftype = attrs[NL80211_ATTR_IFTYPE];
    if (!ifindex || !iftype || nla_len(ifindex) < 4 || nla_len(iftype) < 4)
        return std::nullopt;
    if (nla_get_u32(iftype) != NL80211_IFTYPE_STATION)
        return std::nullopt;
    return int(nla_get_u32(ifindex));
}

QString Nl80211::ssidFromInformationElements(const quint8 *ies, int length)
{
    int pos = 0;
    while (ies && pos + 2 <= length) {
        const int id = ies[pos];
        const int size = ies[pos + 1];
        if (pos + 2 + size > length)
            return QString(); // an element runs past the block: trust nothing in it
        if (id == 0) {
            const quint8 *bytes = ies + pos + 2;
            // A hidden network sends an empty SSID or one of zero bytes of the real length.
            if (std::all_of(bytes, bytes + size, [](quint8 byte) { return byte == 0; }))
                return QString();
            return QString::fromUtf8(reinterpret_cast<const char *>(bytes), size);
        }
        pos += 2 + size;
    }
    return QString();
}
