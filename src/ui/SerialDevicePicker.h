#pragma once

// SerialDevicePicker, the configuration dialog's page "串口设备": the serial
// devices present (listSerialDevices), each with what it is and its path, a
// device the current user may not open with the reason and the fix, and the
// device the operator picks for the port number of the dialog. The dialog
// writes the pick to the port map at Apply; the page itself writes nothing.
//
// While watching (startWatching .. stopWatching) a FolderWatch on the device
// folder and the by-id folder posts a refresh to the user-interface thread
// whenever an entry appears or goes, so a device plugged in or pulled while
// the dialog is open shows up at once; nothing wakes while nothing changes.
//
// UI thread only, except the watch thread's posting.

#include <QWidget>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "serial/SerialDevices.h"
#include "ui/QtUiPoster.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace mc {

class FolderWatch;

class SerialDevicePicker : public QWidget {
    Q_OBJECT

public:
    // roots: where the devices are listed from (tests give a fake tree).
    explicit SerialDevicePicker(DeviceRoots roots, QWidget* parent = nullptr);
    // Stops the watch (joins its thread) before anything else goes.
    ~SerialDevicePicker() override;

    // Clears the pick, lists the devices and starts the watch; the dialog
    // calls it each time it opens. currentPath: the device the dialog's port
    // number opens now, marked "（当前）" in the list.
    void startWatching(const std::string& currentPath);
    void stopWatching();
    bool watching() const { return static_cast<bool>(m_watch); }
    // Lists the devices again; the pick stays when its device is still there.
    void refresh();

    // The path of the picked device (its stable name when it has one); empty
    // when nothing is picked.
    std::string pickedPath() const;
    const std::vector<SerialDevice>& devices() const { return m_devices; }

    QLabel* DeviceHintLabel = nullptr;
    QListWidget* DeviceList = nullptr;
    // The dialog connects them to its Apply and Cancel.
    QPushButton* DeviceApplyButton = nullptr;
    QPushButton* DeviceCancelButton = nullptr;

signals:
    // The operator picked a device, or the pick went with its device.
    void pickChanged();

private:
    void fill();

    DeviceRoots m_roots;
    std::string m_currentPath;
    std::string m_pickedPath;
    std::vector<SerialDevice> m_devices;
    QtUiPoster m_poster;  // before m_watch: outlives the watch thread
    // Set by the watch thread when it posts a refresh, cleared by the refresh:
    // a burst of changes costs one listing.
    std::shared_ptr<std::atomic<bool>> m_refreshPosted = std::make_shared<std::atomic<bool>>(false);
    std::unique_ptr<FolderWatch> m_watch;
};

}  // namespace mc
