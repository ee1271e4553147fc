#include "service/ServiceHost.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHostAddress>
#include <QTimer>

#include "announce/Announcer.h"
#include "control/MatrixSession.h"

namespace mc::service {

namespace {

const std::string& keyOf(const ServiceSettingsPage& page, FieldKind kind) {
    static const std::string none;
    const SettingField* field = page.field(kind);
    return field ? field->key : none;
}

QString hostText(const QHostAddress& address) {
    return address.protocol() == QAbstractSocket::IPv6Protocol
               ? QStringLiteral("[%1]").arg(address.toString())
               : address.toString();
}

}  // namespace

std::optional<ServiceRefusal> NetworkService::refusal(const SettingsValues&) const {
    return std::nullopt;
}

bool NetworkService::movesListener(const SettingsValues& before, const SettingsValues& now) const {
    const ServiceSettingsPage& page = settingsPage();
    for (const FieldKind kind : {FieldKind::Switch, FieldKind::Address, FieldKind::Port}) {
        const std::string& key = keyOf(page, kind);
        if (settingText(before, key) != settingText(now, key)) return true;
    }
    return false;
}

struct ServiceHost::Entry {
    std::unique_ptr<NetworkService> service;
    std::optional<SettingsValues> applied;   // the settings last acted on
    std::optional<SettingsValues> reported;  // the setting whose failure was reported
    QString status;
    QString note;
    QString failure;

    const ServiceSettingsPage& page() const { return service->settingsPage(); }
    QString text(const char* source) const {
        return QCoreApplication::translate(page().context, source);
    }
    bool enabled() const {
        return applied && settingFlag(*applied, keyOf(page(), FieldKind::Switch));
    }
    // "127.0.0.1:9990": the address and port the settings ask for.
    QString endpoint() const {
        if (!applied) return {};
        return QStringLiteral("%1:%2").arg(
            QString::fromStdString(settingText(*applied, keyOf(page(), FieldKind::Address))),
            QString::fromStdString(settingText(*applied, keyOf(page(), FieldKind::Port))));
    }
};

ServiceHost::ServiceHost(MatrixSession& session, QObject* parent)
    : QObject(parent), m_session(session) {
    m_session.attach(*this);
    m_watcher = new QFileSystemWatcher(this);
    m_reread = new QTimer(this);
    m_reread->setSingleShot(true);
    m_reread->setInterval(200);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_reread, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_reread,
            qOverload<>(&QTimer::start));
    connect(m_reread, &QTimer::timeout, this, [this] {
        watchSettingsFile();  // a file replaced by a rename is watched anew
        if (!m_started) return;
        for (auto& entry : m_entries)
            apply(*entry);
    });
    watchSettingsFile();
}

void ServiceHost::watchSettingsFile() {
    const QString file = QString::fromStdString(m_session.paths().mainConfigFile());
    const QString folder = QString::fromStdString(m_session.paths().configDir());
    for (const QString& path : {folder, file}) {
        if (!m_watcher->files().contains(path) && !m_watcher->directories().contains(path) &&
            QFileInfo::exists(path))
            m_watcher->addPath(path);
    }
}

ServiceHost::~ServiceHost() {
    m_session.detach(*this);
    for (auto& entry : m_entries) {
        entry->service->disconnect(this);
        entry->service->close();
    }
}

void ServiceHost::add(std::unique_ptr<NetworkService> service) {
    auto entry = std::make_unique<Entry>();
    entry->service = std::move(service);
    Entry* raw = entry.get();
    connect(raw->service.get(), &NetworkService::logMessage, this, &ServiceHost::logMessage);
    connect(raw->service.get(), &NetworkService::clientCountChanged, this,
            [this, raw] { updateStatus(*raw); });
    m_entries.push_back(std::move(entry));
}

void ServiceHost::start(bool logOff) {
    m_started = true;
    for (auto& entry : m_entries) {
        apply(*entry);
        if (logOff && !entry->enabled()) {
            const QString name = entry->service->texts().logName;
            emit logMessage(
                QStringLiteral("%1 is off (\"%2\" in section \"%3\" of MatrixConfig.con)")
                    .arg(name.left(1).toLower() + name.mid(1),
                         QString::fromStdString(keyOf(entry->page(), FieldKind::Switch)),
                         QString::fromStdString(entry->page().section)));
        }
    }
}

void ServiceHost::sessionChanged(const SessionChange& change) {
    if (!change.rebuilt || !m_started) return;
    for (auto& entry : m_entries)
        apply(*entry);
}

void ServiceHost::apply(Entry& entry) {
    NetworkService& service = *entry.service;
    const SettingsValues wanted = readServiceSettings(m_session.paths(), entry.page());
    const bool changed = !entry.applied || service.movesListener(*entry.applied, wanted);
    entry.applied = wanted;
    const std::optional<ServiceRefusal> refusal = service.refusal(wanted);
    if (changed) entry.reported.reset();
    // Refused settings close the service whatever it served before.
    if (changed || refusal) service.close();
    service.configure(wanted);
    if (!entry.enabled() || service.isListening()) return updateStatus(entry);

    const bool reported = entry.reported && !service.movesListener(*entry.reported, wanted);
    const QString name = service.texts().logName;
    const QString endpoint = entry.endpoint();
    QHostAddress address;
    const std::int32_t port = settingNumber(wanted, keyOf(entry.page(), FieldKind::Port), -1);
    QString failure;
    if (refusal) {
        failure = refusal->note;
        if (!reported)
            emit logMessage(
                QStringLiteral("%1 does not listen on %2: %3").arg(name, endpoint, refusal->log));
    } else if (!address.setAddress(QString::fromStdString(
                   settingText(wanted, keyOf(entry.page(), FieldKind::Address))))) {
        failure = QStringLiteral("cannot listen on %1: not an IP address").arg(endpoint);
        emit logMessage(name + QLatin1Char(' ') + failure);
    } else if (port < 0 || port > kMaxNetworkPort) {
        failure = QStringLiteral("cannot listen on %1: not a port number").arg(endpoint);
        emit logMessage(name + QLatin1Char(' ') + failure);
    } else if (!service.listen(address, static_cast<quint16>(port))) {
        failure = service.errorString();  // the service logs it
    } else {
        entry.reported.reset();  // a later failure is told again
    }
    entry.failure = failure;
    if (!failure.isEmpty() && !reported) {
        entry.reported = wanted;
        entry.note = entry.text(service.texts().notStarted).arg(failure);
        emit noteChanged(QString::fromStdString(service.id()), entry.note);
    }
    updateStatus(entry);
}

void ServiceHost::announce(const Entry& entry) {
    const NetworkService& service = *entry.service;
    const QString id = QString::fromStdString(service.settingsPage().section);
    const std::optional<announce::ServiceRecord> record = service.announcement();
    const bool wanted = entry.applied && settingText(*entry.applied, "Announce") != "0";
    if (!m_announcer) {
        // The system bus is joined only once there is something to announce.
        if (!record || !announce::shouldAnnounce(wanted, service.isListening(), record->address))
            return;
        m_announcer = new announce::Announcer(this);
        connect(m_announcer, &announce::Announcer::logMessage, this, &ServiceHost::logMessage);
    }
    if (!record) return m_announcer->withdraw(id);
    m_announcer->follow(id, wanted, service.isListening(), *record);
}

void ServiceHost::updateStatus(Entry& entry) {
    announce(entry);
    const NetworkService& service = *entry.service;
    QString text;
    if (service.isListening()) {
        text = entry.text(service.texts().listening)
                   .arg(hostText(service.listenAddress()))
                   .arg(service.listenPort())
                   .arg(service.clientCount());
    } else if (entry.enabled()) {
        text = entry.text(service.texts().notListening).arg(entry.endpoint());
    }
    const QString id = QString::fromStdString(service.id());
    if ((service.isListening() || text.isEmpty()) && !entry.note.isEmpty()) {
        entry.note.clear();
        emit noteChanged(id, QString());
    }
    if (text == entry.status) return;
    entry.status = text;
    emit statusChanged(id, text);
}

std::vector<ServiceSettingsPage> ServiceHost::settingsPages() const {
    std::vector<ServiceSettingsPage> pages;
    for (const auto& entry : m_entries)
        pages.push_back(entry->page());
    return pages;
}

std::vector<NetworkService*> ServiceHost::services() const {
    std::vector<NetworkService*> list;
    for (const auto& entry : m_entries)
        list.push_back(entry->service.get());
    return list;
}

NetworkService* ServiceHost::service(const std::string& id) const {
    for (const auto& entry : m_entries) {
        if (entry->service->id() == id) return entry->service.get();
    }
    return nullptr;
}

ServiceStatus ServiceHost::status(const std::string& id) const {
    ServiceStatus status;
    for (const auto& entry : m_entries) {
        const NetworkService& service = *entry->service;
        if (service.id() != id) continue;
        status.enabled = entry->enabled();
        status.listening = service.isListening();
        if (status.listening) {
            status.address = service.listenAddress();
            status.port = service.listenPort();
        }
        status.clients = service.clientCount();
        status.endpoint = entry->endpoint();
        if (status.enabled && !status.listening) status.failure = entry->failure;
    }
    return status;
}

QString ServiceHost::statusText(const std::string& id) const {
    for (const auto& entry : m_entries) {
        if (entry->service->id() == id) return entry->status;
    }
    return {};
}

}  // namespace mc::service
