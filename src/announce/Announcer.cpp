#include "announce/Announcer.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>

namespace mc::announce {

namespace {

// The daemon's D-Bus interface.
const QString kService = QStringLiteral("org.freedesktop.Avahi");
const QString kServer = QStringLiteral("org.freedesktop.Avahi.Server");
const QString kGroup = QStringLiteral("org.freedesktop.Avahi.EntryGroup");
const QString kCollision = QStringLiteral("org.freedesktop.Avahi.CollisionError");
const QString kStateChanged = QStringLiteral("StateChanged");
const QStringList kNoDaemon = {QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"),
                               QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown")};

// Server states: the host's records are being probed, or are up.
constexpr int kServerRunning = 2;
constexpr int kServerFailure = 4;
// Entry group states.
constexpr int kGroupEstablished = 2;
constexpr int kGroupCollision = 3;
constexpr int kGroupFailure = 4;

constexpr int kUnspecified = -1;  // every interface, every protocol
constexpr int kCallTimeoutMs = 10000;
constexpr int kMaxRenames = 32;  // "#2" up to "#33" in one attempt

QVariant txtArgument(const QList<QByteArray>& txt) {
    QDBusArgument argument;
    argument.beginArray(QMetaType::fromType<QByteArray>());
    for (const QByteArray& item : txt)
        argument << item;
    argument.endArray();
    return QVariant::fromValue(argument);
}

}  // namespace

Announcer::Announcer(QObject* parent) : Announcer(QDBusConnection::systemBus(), parent) {}

Announcer::Announcer(const QDBusConnection& bus, QObject* parent) : QObject(parent), m_bus(bus) {
    if (!m_bus.isConnected()) {
        m_offReason = tr("没有系统总线（%1）").arg(m_bus.lastError().message());
        return;
    }
    m_watcher = new QDBusServiceWatcher(
        kService, m_bus,
        QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration,
        this);
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, &Announcer::probe);
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this,
            [this] { daemonGone(tr("守护进程已停止")); });
    m_bus.connect(kService, QStringLiteral("/"), kServer, kStateChanged, this,
                  SLOT(serverStateChanged(int, QString)));
    probe();
}

Announcer::~Announcer() {
    for (auto& [id, entry] : m_entries)
        freeGroup(entry);
}

void Announcer::announce(const QString& id, const ServiceRecord& record) {
    if (!reachable(record.address)) return withdraw(id);
    auto [it, added] = m_entries.try_emplace(id);
    if (!added && it->second.record == record) return;
    it->second.record = record;
    start(id, true);
    sayOff();
}

void Announcer::withdraw(const QString& id) {
    const auto it = m_entries.find(id);
    if (it == m_entries.end()) return;
    if (it->second.established) {
        emit logMessage(tr("DNS-SD：已撤回“%1”").arg(it->second.name));
    }
    freeGroup(it->second);
    m_entries.erase(it);
}

void Announcer::follow(const QString& id, bool announceKey, bool listening,
                       const ServiceRecord& record) {
    if (shouldAnnounce(announceKey, listening, record.address)) {
        announce(id, record);
    } else {
        withdraw(id);
    }
}

QString Announcer::nameInUse(const QString& id) const {
    const auto it = m_entries.find(id);
    return it != m_entries.end() && it->second.established ? it->second.name : QString();
}

void Announcer::call(const QString& path, const QString& interface, const QString& method,
                     const QVariantList& arguments, Reply reply) {
    QDBusMessage message = QDBusMessage::createMethodCall(kService, path, interface, method);
    message.setArguments(arguments);
    message.setAutoStartService(false);  // the daemon is used when it runs, never started
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, reply = std::move(reply)] {
        watcher->deleteLater();
        reply(watcher->reply());
    });
}

void Announcer::probe() {
    call(QStringLiteral("/"), kServer, QStringLiteral("GetState"), {},
         [this](const QDBusMessage& reply) {
             if (reply.type() == QDBusMessage::ErrorMessage) {
                 daemonGone(kNoDaemon.contains(reply.errorName()) ? tr("守护进程未运行")
                                                                  : reply.errorMessage());
             } else {
                 serverStateChanged(reply.arguments().value(0).toInt(), QString());
             }
         });
}

void Announcer::daemonGone(const QString& reason) {
    // The daemon's entry groups went with it.
    for (auto& [id, entry] : m_entries) {
        entry.group.clear();
        entry.established = false;
        ++entry.generation;
    }
    m_running = false;
    off(reason);
}

void Announcer::serverStateChanged(int state, const QString& error) {
    if (state != kServerRunning) {
        running(false);
        if (state == kServerFailure) off(error);
        return;
    }
    if (m_running) return;  // told twice: by the signal and by the probe
    call(QStringLiteral("/"), kServer, QStringLiteral("GetHostName"), {},
         [this](const QDBusMessage& reply) {
             if (reply.type() == QDBusMessage::ErrorMessage) return off(reply.errorMessage());
             m_hostName = reply.arguments().value(0).toString();
             running(true);
         });
}

// Announces everything again when the daemon runs (its host name may have
// changed), and takes the entry groups back while it does not.
void Announcer::running(bool on) {
    m_running = on;
    for (auto& [id, entry] : m_entries) {
        if (on) {
            start(id, true);
        } else {
            freeGroup(entry);
            ++entry.generation;
        }
    }
}

// A new attempt for `id`: the previous group freed, a new one made and
// filled while the daemon runs. `freshName` starts from the record's name.
void Announcer::start(const QString& id, bool freshName) {
    Entry& entry = m_entries.at(id);
    freeGroup(entry);
    const int generation = ++entry.generation;
    if (freshName) {
        entry.name = instanceName(entry.record.name, m_hostName);
        entry.renames = 0;
    }
    if (!m_running) return;
    call(QStringLiteral("/"), kServer, QStringLiteral("EntryGroupNew"), {},
         [this, id, generation](const QDBusMessage& reply) {
             const QString path = reply.arguments().value(0).value<QDBusObjectPath>().path();
             Entry* entry = current(id, generation);
             if (!entry) {
                 if (!path.isEmpty()) {
                     m_bus.send(QDBusMessage::createMethodCall(kService, path, kGroup,
                                                               QStringLiteral("Free")));
                 }
                 return;
             }
             if (reply.type() == QDBusMessage::ErrorMessage) {
                 return failed(id, reply.errorMessage());
             }
             entry->group = path;
             m_bus.connect(kService, path, kGroup, kStateChanged, this,
                           SLOT(groupStateChanged(int, QString, QDBusMessage)));
             addService(id, generation);
         });
}

void Announcer::addService(const QString& id, int generation) {
    const Entry& entry = m_entries.at(id);
    const QVariantList arguments = {kUnspecified,
                                    kUnspecified,
                                    0u,
                                    entry.name,
                                    entry.record.type,
                                    QString(),
                                    QString(),
                                    QVariant::fromValue<quint16>(entry.record.port),
                                    txtArgument(entry.record.txt)};
    call(entry.group, kGroup, QStringLiteral("AddService"), arguments,
         [this, id, generation](const QDBusMessage& reply) {
             Entry* entry = current(id, generation);
             if (!entry) return;
             if (reply.errorName() == kCollision) {
                 // Another service of this host holds the name.
                 return rename(id, generation,
                               [this, id, generation] { addService(id, generation); });
             }
             if (reply.type() == QDBusMessage::ErrorMessage) {
                 return failed(id, reply.errorMessage());
             }
             call(entry->group, kGroup, QStringLiteral("Commit"), {},
                  [this, id, generation](const QDBusMessage& reply) {
                      if (current(id, generation) && reply.type() == QDBusMessage::ErrorMessage) {
                          failed(id, reply.errorMessage());
                      }
                  });
         });
}

void Announcer::rename(const QString& id, int generation, std::function<void()> then) {
    Entry& entry = m_entries.at(id);
    if (++entry.renames > kMaxRenames) {
        return failed(id, tr("名称“%1”已被占用").arg(entry.name));
    }
    call(QStringLiteral("/"), kServer, QStringLiteral("GetAlternativeServiceName"), {entry.name},
         [this, id, generation, then = std::move(then)](const QDBusMessage& reply) {
             Entry* entry = current(id, generation);
             if (!entry) return;
             if (reply.type() == QDBusMessage::ErrorMessage) {
                 return failed(id, reply.errorMessage());
             }
             const QString name = reply.arguments().value(0).toString();
             emit logMessage(tr("DNS-SD：名称“%1”已被占用，改用“%2”").arg(entry->name, name));
             entry->name = name;
             then();
         });
}

void Announcer::groupStateChanged(int state, const QString& error, const QDBusMessage& message) {
    for (auto& [id, entry] : m_entries) {
        if (entry.group != message.path()) continue;
        if (state == kGroupEstablished && !entry.established) {
            entry.established = true;
            m_offReason.clear();
            m_offSaid = false;
            emit logMessage(tr("DNS-SD：已在网络上公布“%1”（%2，端口 %3）")
                                .arg(entry.name, entry.record.type)
                                .arg(entry.record.port));
            emit established(id, entry.name);
        } else if (state == kGroupCollision) {
            // Another host on the network holds the name.
            entry.established = false;
            const QString key = id;
            rename(id, entry.generation, [this, key] { start(key, false); });
        } else if (state == kGroupFailure) {
            failed(id, error);
        }
        return;
    }
}

void Announcer::freeGroup(Entry& entry) {
    if (entry.group.isEmpty()) return;
    m_bus.disconnect(kService, entry.group, kGroup, kStateChanged, this,
                     SLOT(groupStateChanged(int, QString, QDBusMessage)));
    m_bus.send(
        QDBusMessage::createMethodCall(kService, entry.group, kGroup, QStringLiteral("Free")));
    entry.group.clear();
    entry.established = false;
}

void Announcer::failed(const QString& id, const QString& reason) {
    Entry& entry = m_entries.at(id);
    freeGroup(entry);
    ++entry.generation;
    emit logMessage(tr("DNS-SD：Avahi 未能公布“%1”：%2").arg(entry.name, reason));
}

void Announcer::off(const QString& reason) {
    m_offReason = reason;
    sayOff();
}

void Announcer::sayOff() {
    if (m_offSaid || m_offReason.isEmpty() || m_entries.empty()) return;
    m_offSaid = true;
    emit logMessage(tr("DNS-SD：Avahi 不可用（%1），服务不在网络上公布").arg(m_offReason));
}

Announcer::Entry* Announcer::current(const QString& id, int generation) {
    const auto it = m_entries.find(id);
    return it != m_entries.end() && it->second.generation == generation ? &it->second : nullptr;
}

}  // namespace mc::announce
