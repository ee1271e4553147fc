#include "swp08/Swp08Service.h"

#include <QCoreApplication>

#include <algorithm>

#include "config/StartupSettings.h"
#include "control/MatrixSession.h"
#include "swp08/Swp08Link.h"
#include "swp08/Swp08Router.h"

namespace mc::swp08 {

namespace {

constexpr const char* kContext = "mc::swp08::Swp08Service";
// Bytes handed to a link as one item of the server's reading budget.
constexpr std::size_t kBytesPerItem = 256;

}  // namespace

const ServiceSettingsPage& swp08SettingsPage() {
    static const ServiceSettingsPage page = [] {
        ServiceSettingsPage p;
        p.id = "Swp08";
        p.section = "SW-P-08 Control";
        p.context = kContext;
        p.title = QT_TRANSLATE_NOOP("mc::swp08::Swp08Service", "SW-P-08 控制");
        p.fields = {
            {"Enabled", FieldKind::Switch,
             QT_TRANSLATE_NOOP("mc::swp08::Swp08Service", "启用 SW-P-08 控制"), "0"},
            {"Address", FieldKind::Address,
             QT_TRANSLATE_NOOP("mc::swp08::Swp08Service", "监听地址 "), "127.0.0.1",
             QT_TRANSLATE_NOOP("mc::swp08::Swp08Service",
                               "127.0.0.1：只有本机可以连接。0.0.0.0：所有网络接口，"
                               "网络上的每台控制器都能切换矩阵（此协议没有密码）。"),
             false, 64},
            {"Port", FieldKind::Port, QT_TRANSLATE_NOOP("mc::swp08::Swp08Service", "端口 "),
             "8910"},
            // DNS-SD has no common service type for the protocol, so the
            // service is never announced; the key is kept as written.
            {"Announce", FieldKind::Kept, "", "1"},
        };
        return p;
    }();
    return page;
}

// One controller: its link on the router, fed the bytes its connection reads.
class Swp08Service::Controller final : public service::StreamReader, private IPeer {
public:
    Controller(Swp08Router& router, service::StreamClient& client)
        : m_client(client), m_link(router, client.owner(), *this) {}

    int read(std::string_view& input, int maxItems) override {
        int items = 0;
        while (items < maxItems && !input.empty() && !m_client.dropped()) {
            const std::size_t size = std::min(input.size(), kBytesPerItem);
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(input.data());
            m_link.receive({bytes, size});
            input.remove_prefix(size);
            ++items;
        }
        return items;
    }

private:
    void send(std::span<const std::uint8_t> bytes) override {
        m_client.send({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    }
    void disconnect() override { m_client.drop(QStringLiteral("the matrix was rebuilt")); }

    service::StreamClient& m_client;
    Swp08Link m_link;
};

const service::ServiceTexts& Swp08Service::texts() const {
    static const service::ServiceTexts texts{
        QT_TRANSLATE_NOOP("mc::swp08::Swp08Service", "SW-P-08 控制：%1:%2，%3 个控制器"),
        QT_TRANSLATE_NOOP("mc::swp08::Swp08Service", "SW-P-08 控制：未能监听 %1"),
        QT_TRANSLATE_NOOP("mc::swp08::Swp08Service", "SW-P-08 控制未能启动：%1"),
        QStringLiteral("SW-P-08 control")};
    return texts;
}

Swp08Service::Swp08Service(MatrixSession& session, QObject* parent)
    : StreamService(parent),
      m_router(std::make_unique<Swp08Router>(session)),
      m_server(std::make_unique<service::StreamServer>(static_cast<service::StreamProtocol&>(*this),
                                                       QStringLiteral("SW-P-08 control"),
                                                       QStringLiteral("SW-P-08 controller"))) {
    serve(*m_server);
}

Swp08Service::~Swp08Service() {
    m_server->disconnect(this);
    m_server->close();
}

std::unique_ptr<service::StreamReader> Swp08Service::connected(service::StreamClient& client) {
    return std::make_unique<Controller>(*m_router, client);
}

}  // namespace mc::swp08
