#pragma once

// ServiceHost: owns the program's network services (NetworkService) and
// does for each what every one needs: after every build of the session
// (start-up and the configuration dialog's Apply both end with one) it reads
// the service's section of MatrixConfig.con and applies it, it reports a
// failure to listen once per setting, and it words the service's status for
// the status bar and its state for the log.
//
// Applying: the service is closed and listens again only when its settings
// move the listener (NetworkService::movesListener), and tried again when it
// is switched on but not listening (the port was busy). Settings the service
// refuses close it whatever it served before. A failure (refused settings,
// an address or port that is none, a port that cannot be bound) is reported
// once per setting through noteChanged and logMessage; the program runs on
// without the service until the settings change or a later build finds the
// port free.
//
// Lifetime: the session must outlive the host. Add every service, connect
// the signals, then call start() once the session has started. Threads: the
// user-interface thread only.

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

#include "config/ServiceSettings.h"
#include "control/SessionObserver.h"
#include "service/NetworkService.h"

namespace mc {
class MatrixSession;
}
namespace mc::announce {
class Announcer;
}
class QFileSystemWatcher;
class QTimer;

namespace mc::service {

// A service's state as the host knows it.
struct ServiceStatus {
    bool enabled = false;    // its switch is on
    bool listening = false;  // at `address`, `port`
    QHostAddress address;
    quint16 port = 0;
    int clients = 0;
    QString endpoint;  // the address and port its settings ask for
    QString failure;   // why it does not listen although switched on; else empty
};

class ServiceHost final : public QObject, private ISessionObserver {
    Q_OBJECT

public:
    explicit ServiceHost(MatrixSession& session, QObject* parent = nullptr);
    ~ServiceHost() override;
    ServiceHost(const ServiceHost&) = delete;
    ServiceHost& operator=(const ServiceHost&) = delete;

    // Adds a service, in the order the window and the dialog show them.
    // REQUIRES: before start(); the id is not taken.
    void add(std::unique_ptr<NetworkService> service);
    // Applies every service's settings; every later build applies them again.
    // `logOff`: logs a line for each service that is switched off (the
    // program without a window).
    void start(bool logOff = false);

    // The settings pages of the services, in order (the configuration dialog's).
    std::vector<ServiceSettingsPage> settingsPages() const;
    std::vector<NetworkService*> services() const;
    NetworkService* service(const std::string& id) const;
    ServiceStatus status(const std::string& id) const;
    // The status bar's text of a service: "网络控制：127.0.0.1:9990，2 个客户端"
    // while listening, a short failure text while switched on but not
    // listening, empty while switched off.
    QString statusText(const std::string& id) const;

signals:
    // statusText(id) changed.
    void statusChanged(const QString& id, const QString& text);
    // The window's note of a service: its failure to start ("网络控制未能启动：
    // …"), once per setting; empty once it listens or is switched off.
    void noteChanged(const QString& id, const QString& note);
    // One line for a log, the services' own lines included.
    void logMessage(const QString& line);

private:
    struct Entry;
    void sessionChanged(const SessionChange& change) override;
    void apply(Entry& entry);
    void updateStatus(Entry& entry);
    // DNS-SD follows the service: announced while it listens where the
    // network reaches it and its "Announce" is on, else withdrawn.
    void announce(const Entry& entry);

    MatrixSession& m_session;
    std::vector<std::unique_ptr<Entry>> m_entries;
    announce::Announcer* m_announcer = nullptr;  // child, made when first needed
    // MatrixConfig.con changed on disk (--set-web-password, an editor, the
    // program itself): every service applies its section again, a moment
    // after the last change.
    void watchSettingsFile();
    QFileSystemWatcher* m_watcher = nullptr;  // child
    QTimer* m_reread = nullptr;               // child
    bool m_started = false;
};

}  // namespace mc::service
