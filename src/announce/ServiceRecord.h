#pragma once

// What one network service of this program tells the local network about
// itself through DNS-SD, and whether it is told at all.
//
// The instance name may hold "%h", the host name the system's Avahi daemon
// uses (it follows that daemon's renames); "%%" is a plain '%'. An instance
// name is at most 63 bytes of UTF-8 once the host name is in: what comes
// before the last space before "%h" (the model in "<model> (%h)") is
// shortened to fit.

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>

namespace mc::announce {

struct ServiceRecord {
    QString type;           // "_blackmagic._tcp", "_http._tcp"
    quint16 port = 0;       // the port the service listens on
    QString name;           // the instance name, "%h" for the host name
    QList<QByteArray> txt;  // "key=value" strings, each at most 255 bytes
    QHostAddress address;   // the address the service listens on

    bool operator==(const ServiceRecord&) const = default;
};

inline constexpr qsizetype kMaxInstanceNameBytes = 63;

// True when a service listening on `address` can be reached from the
// network: any address but a loopback one (127.0.0.0/8, ::1) and the null
// address; the wildcards 0.0.0.0 and :: count as reachable.
bool reachable(const QHostAddress& address);

// Whether a service is announced: its "Announce" key is on, it listens (its
// port was bound), and on a reachable address.
bool shouldAnnounce(bool announceKey, bool listening, const QHostAddress& address);

// The router protocol's record: "_blackmagic._tcp", instance name
// "<model> (<host name>)", and the TXT strings "class=Videohub",
// "name=<friendly name>", "unique id=<unique id>" and
// "protocol version=<version>", as the protocol's prelude gives them.
ServiceRecord routerRecord(const QString& model, const QString& friendlyName,
                           const QString& uniqueId, const QString& protocolVersion, quint16 port,
                           const QHostAddress& address);

// The web panel's record: "_http._tcp", instance name
// "<model> 网页控制 (<host name>)", TXT "path=/".
ServiceRecord webRecord(const QString& model, quint16 port, const QHostAddress& address);

// `name` with "%h" replaced by `hostName` and "%%" by '%', cut to
// kMaxInstanceNameBytes (see above).
QString instanceName(const QString& name, const QString& hostName);

}  // namespace mc::announce
