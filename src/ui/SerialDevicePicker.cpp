#include "ui/SerialDevicePicker.h"

#include <QBrush>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "serial/FolderWatch.h"

namespace mc {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// The same device: equal paths, or paths that lead to the same node.
bool sameDevice(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    return a == b || resolvedPath(a) == resolvedPath(b);
}

}  // namespace

SerialDevicePicker::SerialDevicePicker(DeviceRoots roots, QWidget* parent)
    : QWidget(parent), m_roots(std::move(roots)) {
    setObjectName(QStringLiteral("SerialDevicePicker"));
    auto* layout = new QVBoxLayout(this);
    DeviceHintLabel = new QLabel(tr("本机现有的串口设备。选中一个设备，按“应用”后，“矩阵设置”页上的"
                                    "串口号就打开这个设备（写入 Serial Port Map）。"),
                                 this);
    DeviceHintLabel->setObjectName(QStringLiteral("DeviceHintLabel"));
    DeviceHintLabel->setWordWrap(true);
    DeviceList = new QListWidget(this);
    DeviceList->setObjectName(QStringLiteral("SerialDeviceList"));
    DeviceList->setWordWrap(true);
    DeviceList->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(DeviceHintLabel);
    layout->addWidget(DeviceList, 1);
    // The dialog's Apply and Cancel, as on the other pages: the hint names
    // the first.
    // Placed as the other pages place theirs (85 × 25, 36 apart).
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(36);
    buttons->addStretch(1);
    DeviceApplyButton = new QPushButton(tr("应用"), this);
    DeviceApplyButton->setObjectName(QStringLiteral("DeviceApplyButton"));
    DeviceCancelButton = new QPushButton(tr("取消"), this);
    DeviceCancelButton->setObjectName(QStringLiteral("DeviceCancelButton"));
    for (QPushButton* button : {DeviceApplyButton, DeviceCancelButton}) {
        button->setFixedSize(85, 25);
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addSpacing(34);
    layout->addLayout(buttons);

    // The operator's pick only: fill() blocks the list's signals.
    connect(DeviceList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row < 0 || row >= static_cast<int>(m_devices.size())) return;
        m_pickedPath = m_devices[static_cast<std::size_t>(row)].path;
        emit pickChanged();
    });
}

SerialDevicePicker::~SerialDevicePicker() {
    stopWatching();
}

void SerialDevicePicker::startWatching(const std::string& currentPath) {
    m_currentPath = currentPath;
    const bool hadPick = !m_pickedPath.empty();
    m_pickedPath.clear();
    refresh();
    if (hadPick) emit pickChanged();
    if (m_watch) return;
    std::vector<std::string> folders = {m_roots.dev, m_roots.byId};
    auto posted = m_refreshPosted;
    try {
        m_watch = std::make_unique<FolderWatch>(std::move(folders),
                                                [this, posted](bool) -> FolderWatch::Wait {
                                                    if (!posted->exchange(true))
                                                        m_poster.post([this] { refresh(); });
                                                    return std::nullopt;
                                                });
    } catch (const std::exception&) {
        // Without inotify the list is still right when the dialog opens.
        m_watch.reset();
    }
}

void SerialDevicePicker::stopWatching() {
    m_watch.reset();
}

void SerialDevicePicker::refresh() {
    m_refreshPosted->store(false);
    m_devices = listSerialDevices(m_roots);
    const bool pickStays =
        std::any_of(m_devices.begin(), m_devices.end(),
                    [&](const SerialDevice& d) { return d.path == m_pickedPath; });
    fill();
    if (!m_pickedPath.empty() && !pickStays) {
        m_pickedPath.clear();
        emit pickChanged();
    }
}

std::string SerialDevicePicker::pickedPath() const {
    return m_pickedPath;
}

void SerialDevicePicker::fill() {
    const QSignalBlocker blocker(DeviceList);
    DeviceList->clear();
    const QBrush dim = palette().brush(QPalette::Disabled, QPalette::Text);
    for (const SerialDevice& device : m_devices) {
        QString text = qs(device.description) + QStringLiteral("\n    ") + qs(device.path);
        if (sameDevice(device.path, m_currentPath)) text = tr("%1（当前）").arg(text);
        if (!device.accessProblem.empty())
            text += QStringLiteral("\n    ") + tr("不能打开：%1").arg(qs(device.accessProblem));
        auto* item = new QListWidgetItem(text, DeviceList);
        item->setToolTip(qs(device.path));
        if (!device.accessProblem.empty()) item->setForeground(dim);
        if (device.path == m_pickedPath) DeviceList->setCurrentItem(item);
    }
    if (m_devices.empty()) {
        auto* item = new QListWidgetItem(tr("没有找到串口设备"), DeviceList);
        item->setFlags(Qt::NoItemFlags);
    }
}

}  // namespace mc
