#include "ui/NetworkPage.h"

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

}  // namespace

NetworkPage::NetworkPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("NetworkTabSheet"));
    NetworkGroupBox = named(new QGroupBox(tr("网络控制"), this), QStringLiteral("NetworkGroupBox"));
    NetworkGroupBox->setGeometry(2, 4, 571, 205);
    QGroupBox* group = NetworkGroupBox;

    NetworkEnabledCheckBox =
        named(new QCheckBox(tr("启用网络控制"), group), QStringLiteral("NetworkEnabledCheckBox"));
    NetworkEnabledCheckBox->move(17, 30);
    NetworkEnabledCheckBox->adjustSize();

    NetworkAddressLabel =
        label(tr("监听地址 "), 17, 68, group, QStringLiteral("NetworkAddressLabel"));
    NetworkAddressEdit = named(new QLineEdit(group), QStringLiteral("NetworkAddressEdit"));
    NetworkAddressEdit->setGeometry(149, 64, 260, 21);
    NetworkAddressEdit->setMaxLength(64);
    NetworkAddressNote = named(new QLabel(tr("127.0.0.1：只有本机可以连接。0.0.0.0："
                                             "所有网络接口，网络上的每台计算机都能切换"
                                             "矩阵。"),
                                          group),
                               QStringLiteral("NetworkAddressNote"));
    NetworkAddressNote->setWordWrap(true);
    NetworkAddressNote->setGeometry(149, 88, 410, 32);

    NetworkPortLabel = label(tr("端口 "), 17, 132, group, QStringLiteral("NetworkPortLabel"));
    NetworkPortSpinBox = named(new QSpinBox(group), QStringLiteral("NetworkPortSpinBox"));
    NetworkPortSpinBox->setGeometry(149, 128, 80, 22);
    NetworkPortSpinBox->setRange(kMinNetworkPort, kMaxNetworkPort);
    NetworkPortSpinBox->setValue(NetworkSettings{}.Port);

    NetworkFriendlyNameLabel =
        label(tr("设备名称 "), 17, 172, group, QStringLiteral("NetworkFriendlyNameLabel"));
    NetworkFriendlyNameEdit =
        named(new QLineEdit(group), QStringLiteral("NetworkFriendlyNameEdit"));
    NetworkFriendlyNameEdit->setGeometry(149, 168, 260, 21);

    NetworkApplyButton = button(tr("应用"), 324, 392, this, QStringLiteral("NetworkApplyButton"));
    NetworkCancelButton = button(tr("取消"), 445, 392, this, QStringLiteral("NetworkCancelButton"));

    QWidget* const order[] = {NetworkEnabledCheckBox,  NetworkAddressEdit, NetworkPortSpinBox,
                              NetworkFriendlyNameEdit, NetworkApplyButton, NetworkCancelButton};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void NetworkPage::showSettings(const NetworkSettings& network) {
    NetworkEnabledCheckBox->setChecked(network.Enabled);
    NetworkAddressEdit->setText(QString::fromStdString(network.Address));
    NetworkPortSpinBox->setValue(std::clamp(network.Port, kMinNetworkPort, kMaxNetworkPort));
    NetworkFriendlyNameEdit->setText(QString::fromStdString(network.FriendlyName));
}

NetworkSettings NetworkPage::settings() const {
    NetworkSettings network;
    network.Enabled = NetworkEnabledCheckBox->isChecked();
    network.Address = NetworkAddressEdit->text().trimmed().toStdString();
    network.Port = NetworkPortSpinBox->value();
    network.FriendlyName = NetworkFriendlyNameEdit->text().trimmed().toStdString();
    return network;
}

std::optional<QString> NetworkPage::refusal() const {
    const QString address = NetworkAddressEdit->text().trimmed();
    if (isListenAddress(address.toStdString())) return std::nullopt;
    return tr("监听地址“%1”无效：请填写 IPv4 地址（如 127.0.0.1，0.0.0.0 "
              "表示所有网络接口）或 IPv6 地址（如 ::1）。")
        .arg(address);
}

void NetworkPage::setModelName(const QString& model) {
    NetworkFriendlyNameEdit->setPlaceholderText(model);
}

}  // namespace mc
