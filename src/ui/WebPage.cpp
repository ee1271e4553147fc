#include "ui/WebPage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>

#include "ui/PageControls.h"

namespace mc {

namespace {

using pagecontrols::button;
using pagecontrols::label;
using pagecontrols::named;

QLineEdit* passwordEdit(QWidget* parent, int top, const QString& name) {
    auto* edit = named(new QLineEdit(parent), name);
    edit->setEchoMode(QLineEdit::Password);
    edit->setGeometry(149, top, 200, 21);
    return edit;
}

}  // namespace

WebPage::WebPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("WebPage"));
    WebGroupBox = named(new QGroupBox(tr("网页控制"), this), QStringLiteral("WebGroupBox"));
    WebGroupBox->setGeometry(2, 4, 571, 340);
    QGroupBox* group = WebGroupBox;

    WebEnabledCheckBox =
        named(new QCheckBox(tr("启用网页控制"), group), QStringLiteral("WebEnabledCheckBox"));
    WebEnabledCheckBox->move(17, 30);
    WebEnabledCheckBox->adjustSize();

    WebAddressLabel = label(tr("监听地址 "), 17, 68, group, QStringLiteral("WebAddressLabel"));
    WebAddressEdit = named(new QLineEdit(group), QStringLiteral("WebAddressEdit"));
    WebAddressEdit->setGeometry(149, 64, 260, 21);
    WebAddressEdit->setMaxLength(64);
    WebAddressNote = named(new QLabel(tr("127.0.0.1：只有本机的浏览器可以打开。其他"
                                         "地址（如 0.0.0.0：所有网络接口）必须设置"
                                         "密码。"),
                                      group),
                           QStringLiteral("WebAddressNote"));
    WebAddressNote->setWordWrap(true);
    WebAddressNote->setGeometry(149, 88, 410, 32);

    WebPortLabel = label(tr("端口 "), 17, 132, group, QStringLiteral("WebPortLabel"));
    WebPortSpinBox = named(new QSpinBox(group), QStringLiteral("WebPortSpinBox"));
    WebPortSpinBox->setGeometry(149, 128, 80, 22);
    WebPortSpinBox->setRange(kMinNetworkPort, kMaxNetworkPort);
    WebPortSpinBox->setValue(WebSettings{}.Port);

    WebPasswordLabel = label(tr("密码 "), 17, 172, group, QStringLiteral("WebPasswordLabel"));
    WebPasswordEdit = passwordEdit(group, 168, QStringLiteral("WebPasswordEdit"));
    WebPasswordEdit->setPlaceholderText(tr("留空：保留已存的密码"));
    WebConfirmLabel = label(tr("确认密码 "), 17, 204, group, QStringLiteral("WebConfirmLabel"));
    WebConfirmEdit = passwordEdit(group, 200, QStringLiteral("WebConfirmEdit"));
    WebPasswordState = named(new QLabel(group), QStringLiteral("WebPasswordState"));
    WebPasswordState->setGeometry(149, 232, 200, 21);
    WebClearPasswordButton =
        button(tr("清除密码"), 360, 230, group, QStringLiteral("WebClearPasswordButton"));

    WebHostsLabel = label(tr("允许的主机名 "), 17, 272, group, QStringLiteral("WebHostsLabel"));
    WebHostsEdit = named(new QLineEdit(group), QStringLiteral("WebHostsEdit"));
    WebHostsEdit->setGeometry(149, 268, 410, 21);
    WebHostsEdit->setMaxLength(512);
    WebHostsEdit->setPlaceholderText(tr("本机的地址和名称之外，逗号分隔"));

    WebUrlLabel = named(new QLabel(group), QStringLiteral("WebUrlLabel"));
    WebUrlLabel->setGeometry(17, 306, 540, 21);
    WebUrlLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    WebApplyButton = button(tr("应用"), 324, 392, this, QStringLiteral("WebApplyButton"));
    WebCancelButton = button(tr("取消"), 445, 392, this, QStringLiteral("WebCancelButton"));

    connect(WebAddressEdit, &QLineEdit::textChanged, this, &WebPage::showUrl);
    connect(WebPortSpinBox, &QSpinBox::valueChanged, this, &WebPage::showUrl);
    connect(WebClearPasswordButton, &QPushButton::clicked, this, &WebPage::clearPassword);

    QWidget* const order[] = {WebEnabledCheckBox, WebAddressEdit, WebPortSpinBox,
                              WebPasswordEdit,    WebConfirmEdit, WebClearPasswordButton,
                              WebHostsEdit,       WebApplyButton, WebCancelButton};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    showPasswordState();
    showUrl();
}

void WebPage::showSettings(const WebSettings& web) {
    WebEnabledCheckBox->setChecked(web.Enabled);
    WebAddressEdit->setText(QString::fromStdString(web.Address));
    WebPortSpinBox->setValue(std::clamp(web.Port, kMinNetworkPort, kMaxNetworkPort));
    WebHostsEdit->setText(QString::fromStdString(web.AllowedHosts));
    WebPasswordEdit->clear();
    WebConfirmEdit->clear();
    m_storedHash = web.PasswordHash;
    m_cleared = false;
    showPasswordState();
    showUrl();
}

bool WebPage::hasPassword() const {
    return !WebPasswordEdit->text().isEmpty() || (!m_cleared && !m_storedHash.empty());
}

std::optional<QString> WebPage::refusal() const {
    if (WebPasswordEdit->text() != WebConfirmEdit->text())
        return tr("网页控制的两次密码输入不一致，请重新输入。");
    if (!WebPasswordEdit->text().isEmpty() && !m_hasher)
        return tr("此程序不能在这里设置网页控制的密码。");
    const QString address = WebAddressEdit->text().trimmed();
    if (!isListenAddress(address.toStdString()))
        return tr("网页控制的监听地址“%1”无效：请填写 IPv4 地址（如 127.0.0.1，0.0.0.0 "
                  "表示所有网络接口）或 IPv6 地址（如 ::1）。")
            .arg(address);
    if (WebEnabledCheckBox->isChecked() && !isLoopbackAddress(address.toStdString()) &&
        !hasPassword())
        return tr("网页控制在“%1”上监听需要密码：网络上的任何人都能打开这个地址并切换矩阵。"
                  "请设置密码，或把监听地址改为 127.0.0.1（只有本机可以打开）。")
            .arg(address);
    return std::nullopt;
}

WebSettings WebPage::settings() const {
    WebSettings web;
    web.Enabled = WebEnabledCheckBox->isChecked();
    web.Address = WebAddressEdit->text().trimmed().toStdString();
    web.Port = WebPortSpinBox->value();
    web.AllowedHosts = WebHostsEdit->text().trimmed().toStdString();
    const QString password = WebPasswordEdit->text();
    if (!password.isEmpty() && m_hasher)
        web.PasswordHash = m_hasher(password);
    else if (!m_cleared)
        web.PasswordHash = m_storedHash;
    return web;
}

void WebPage::clearPassword() {
    WebPasswordEdit->clear();
    WebConfirmEdit->clear();
    m_cleared = true;
    showPasswordState();
}

void WebPage::showPasswordState() {
    const bool stored = !m_cleared && !m_storedHash.empty();
    WebPasswordState->setText(stored ? tr("已设置密码") : tr("未设置密码"));
    WebClearPasswordButton->setEnabled(stored);
}

void WebPage::showUrl() {
    const QString address = WebAddressEdit->text().trimmed();
    const QString host =
        address.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(address) : address;
    WebUrlLabel->setText(tr("面板地址：http://%1:%2/").arg(host).arg(WebPortSpinBox->value()));
}

}  // namespace mc
