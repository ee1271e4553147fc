#include "remote/RouterService.h"

#include <QCoreApplication>

#include "config/StartupSettings.h"
#include "control/MatrixSession.h"
#include "remote/VideohubProtocol.h"
#include "remote/VideohubServer.h"

namespace mc::remote {

namespace {

constexpr const char* kContext = "mc::remote::RouterService";

}  // namespace

const ServiceSettingsPage& routerSettingsPage() {
    static const ServiceSettingsPage page = [] {
        ServiceSettingsPage p;
        p.id = "Network";
        p.section = "Network Control";
        p.context = kContext;
        p.title = QT_TRANSLATE_NOOP("mc::remote::RouterService", "网络控制");
        p.fields = {
            {"Enabled", FieldKind::Switch,
             QT_TRANSLATE_NOOP("mc::remote::RouterService", "启用网络控制"), "0"},
            {"Address", FieldKind::Address,
             QT_TRANSLATE_NOOP("mc::remote::RouterService", "监听地址 "), "127.0.0.1",
             QT_TRANSLATE_NOOP("mc::remote::RouterService",
                               "127.0.0.1：只有本机可以连接。0.0.0.0："
                               "所有网络接口，网络上的每台计算机都能切换"
                               "矩阵。"),
             false, 64},
            {"Port", FieldKind::Port, QT_TRANSLATE_NOOP("mc::remote::RouterService", "端口 "),
             "9990"},
            {"FriendlyName", FieldKind::Text,
             QT_TRANSLATE_NOOP("mc::remote::RouterService", "设备名称 "), "", nullptr, true},
            {"Announce", FieldKind::Switch,
             QT_TRANSLATE_NOOP("mc::remote::RouterService", "在网络上公布（DNS-SD）"), "1"},
        };
        return p;
    }();
    return page;
}

const service::ServiceTexts& RouterService::texts() const {
    static const service::ServiceTexts texts{
        QT_TRANSLATE_NOOP("mc::remote::RouterService", "网络控制：%1:%2，%3 个客户端"),
        QT_TRANSLATE_NOOP("mc::remote::RouterService", "网络控制：未能监听 %1"),
        QT_TRANSLATE_NOOP("mc::remote::RouterService", "网络控制未能启动：%1"),
        QStringLiteral("Network control")};
    return texts;
}

RouterService::RouterService(MatrixSession& session, QObject* parent)
    : StreamService(parent),
      m_session(session),
      m_server(std::make_unique<VideohubServer>(session)) {
    serve(m_server->stream());
}

RouterService::~RouterService() {
    m_server->stream().disconnect(this);
    m_server->close();
}

void RouterService::configure(const SettingsValues& values) {
    m_server->setFriendlyName(settingText(values, "FriendlyName"));
}

void RouterService::closed() {
    m_server->close();  // the changes gathered for the clients that are gone
}

std::optional<announce::ServiceRecord> RouterService::announcement() const {
    return announce::routerRecord(QString::fromStdString(m_session.settings().MatrixNowUse),
                                  QString::fromStdString(m_server->friendlyName()),
                                  QString::fromStdString(m_server->uniqueId()),
                                  QString::fromStdString(protocolVersion()), listenPort(),
                                  listenAddress());
}

}  // namespace mc::remote
