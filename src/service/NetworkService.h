#pragma once

// NetworkService: what every network service of the program is to the
// ServiceHost. A service has an id and a settings section (its
// ServiceSettingsPage: keys, kinds, captions, defaults), takes the settings
// it is given, listens where they say, and reports its clients; the host
// decides when it listens, reports its failures once and words its status.
//
// A service's page has a first Switch field (whether it runs), one Address
// field and one Port field: the host listens on those. A service that is
// announced (announcement()) has a Switch field "Announce" too. Everything else in
// the section is the service's own business (configure()).
//
// Threads: the user-interface thread; the service runs on its event loop.

#include <QHostAddress>
#include <QObject>
#include <QString>

#include <optional>

#include "announce/ServiceRecord.h"
#include "config/ServiceSettings.h"

namespace mc::service {

// The texts the host words a service's state with, in the translation
// context of its settings page: source texts (Chinese) marked with
// QT_TRANSLATE_NOOP where they are written.
struct ServiceTexts {
    const char* listening = "";     // status bar: %1 host, %2 port, %3 clients
    const char* notListening = "";  // status bar: %1 the address and port asked for
    const char* notStarted = "";    // the window's note: %1 the failure
    QString logName;                // "Network control": the log's name of the service
};

// Why settings may not be listened on: `log` for the log (English, as every
// log line), `note` for the operator.
struct ServiceRefusal {
    QString log;
    QString note;
};

class NetworkService : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual const ServiceSettingsPage& settingsPage() const = 0;
    virtual const ServiceTexts& texts() const = 0;

    // The settings as read at a build, before the host decides whether to
    // listen: the service takes what needs no new listener (a name, a
    // password hash).
    virtual void configure(const SettingsValues& values) = 0;
    // Why `values` may not be listened on; such settings close the service
    // whatever it served before. nullopt when they may (the default).
    virtual std::optional<ServiceRefusal> refusal(const SettingsValues& values) const;
    // Whether going from `before` to `now` moves the listener (it is closed
    // and opened again): by default when the switch, the address or the
    // port changed.
    virtual bool movesListener(const SettingsValues& before, const SettingsValues& now) const;

    // Starts listening (port 0: any free port); on failure false, and
    // errorString() says why, with the address (the service logs it).
    virtual bool listen(const QHostAddress& address, quint16 port) = 0;
    virtual QString errorString() const = 0;
    // Stops listening and disconnects every client.
    virtual void close() = 0;
    virtual bool isListening() const = 0;
    virtual QHostAddress listenAddress() const = 0;
    virtual quint16 listenPort() const = 0;
    virtual int clientCount() const = 0;
    // What DNS-SD announces of the service while it listens (its port and
    // address as listening), when its "Announce" key is on; nullopt for a
    // service that is never announced (the default).
    virtual std::optional<announce::ServiceRecord> announcement() const { return std::nullopt; }

    const std::string& id() const { return settingsPage().id; }

signals:
    void clientCountChanged();
    // One line for a log: listening, stopping, each client's connect and
    // disconnect.
    void logMessage(const QString& line);
};

}  // namespace mc::service
