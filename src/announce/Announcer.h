#pragma once

// Announcer: tells the local network about this program's services (DNS-SD)
// through the system's Avahi daemon, over its D-Bus interface. Each service
// is one entry group of the daemon, known here by an id the caller chooses
// ("Network Control", "Web Control"...).
//
// announce(id, record) publishes the record, or publishes it again when it
// differs from the one published under that id; a record on an address that
// cannot be reached from the network (loopback) withdraws the id instead.
// withdraw(id) takes it off the network. follow() is the one call for a
// service whose settings or listening changed.
//
// Names. Avahi refuses a name another entry group of the same host holds,
// and reports a name another host on the network holds; either way the
// service takes the next name Avahi proposes ("… #2") and tries again.
//
// Without a system bus or Avahi daemon the program runs on without the
// announcement: one log line names Avahi and why, when there is something to
// announce; said again only after announcing has worked once since. The
// daemon's appearing (its bus name) or coming back to running announces
// everything again, with the host name it then uses.
//
// Every call to the daemon is asynchronous: nothing here waits for it.
// Lifetime: the destructor withdraws every service. Threads: the thread
// that owns this object, with its event loop.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>

#include <functional>
#include <map>

#include "announce/ServiceRecord.h"

class QDBusServiceWatcher;

namespace mc::announce {

class Announcer final : public QObject {
    Q_OBJECT

public:
    // On the system bus.
    explicit Announcer(QObject* parent = nullptr);
    // On `bus`, which stands for the system bus.
    explicit Announcer(const QDBusConnection& bus, QObject* parent = nullptr);
    ~Announcer() override;
    Announcer(const Announcer&) = delete;
    Announcer& operator=(const Announcer&) = delete;

    void announce(const QString& id, const ServiceRecord& record);
    void withdraw(const QString& id);
    // announce() when shouldAnnounce(announceKey, listening, record.address),
    // else withdraw().
    void follow(const QString& id, bool announceKey, bool listening, const ServiceRecord& record);

    // The name the service is known by on the network; empty while it is not
    // (yet) announced.
    QString nameInUse(const QString& id) const;

signals:
    // The daemon confirmed the service under `name`.
    void established(const QString& id, const QString& name);
    // One line for the program's log.
    void logMessage(const QString& line);

private slots:
    void serverStateChanged(int state, const QString& error);
    void groupStateChanged(int state, const QString& error, const QDBusMessage& message);

private:
    struct Entry {
        ServiceRecord record;
        QString name;        // the name asked for now
        QString group;       // the entry group's object path; empty: none
        int generation = 0;  // replies to an older attempt are ignored
        int renames = 0;     // alternative names taken in this attempt
        bool established = false;
    };
    using Reply = std::function<void(const QDBusMessage&)>;

    void call(const QString& path, const QString& interface, const QString& method,
              const QVariantList& arguments, Reply reply);
    void probe();
    void daemonGone(const QString& reason);
    void running(bool on);
    void start(const QString& id, bool freshName);
    void addService(const QString& id, int generation);
    void rename(const QString& id, int generation, std::function<void()> then);
    void freeGroup(Entry& entry);
    void failed(const QString& id, const QString& reason);
    void off(const QString& reason);
    void sayOff();
    Entry* current(const QString& id, int generation);

    QDBusConnection m_bus;
    QDBusServiceWatcher* m_watcher = nullptr;
    std::map<QString, Entry> m_entries;
    QString m_hostName;      // as the daemon last said
    bool m_running = false;  // the daemon is present and running
    QString m_offReason;     // why nothing is announced; empty while it may be
    bool m_offSaid = false;  // the reason was logged, and nothing worked since
};

}  // namespace mc::announce
