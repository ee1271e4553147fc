// The configuration dialog's device page on a fake folder tree: what it
// lists, how it follows devices that come and go while the dialog is open,
// and the port map entry Apply writes for the picked device.

#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "config/IniFile.h"
#include "ui/ConfigFormTestUtil.h"
#include "ui/SerialDevicePicker.h"

namespace mc::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class ConfigFormDevices : public ConfigFormTest {
protected:
    ConfigFormDevices() {
        fs::create_directories(byId);
        std::ofstream(fs::path(deviceRoots.dev) / "ttyUSB0").put('\n');
        fs::create_symlink(adapter.slavePath(), link);
    }
    // Runs the event loop until the list holds `count` rows.
    bool rowsBecome(int count) {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (form->DevicePicker->DeviceList->count() != count) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }
    QString row(int r) const { return form->DevicePicker->DeviceList->item(r)->text(); }

    Pty adapter;
    const fs::path byId = deviceRoots.byId;
    const std::string link = (byId / "usb-Test_Maker_Serial_Box_0042-if00-port0").string();
};

TEST_F(ConfigFormDevices, ListsTheTreeAndApplyMapsThePortNumberToThePickedDevice) {
    writeMain("[Serial Commucation Set]\nPortNum=COM3\nComPortNum=3\n");
    start();
    open();
    EXPECT_EQ(form->ComDeviceLabel->text(),
              QStringLiteral("串口 3 打开的设备：/nonexistent/ttyCFG"));
    ASSERT_EQ(form->DevicePicker->DeviceList->count(), 2);
    EXPECT_TRUE(row(0).contains(QStringLiteral("Test Maker Serial Box (0042)")))
        << row(0).toStdString();
    EXPECT_TRUE(row(0).contains(QString::fromStdString(link)));
    EXPECT_TRUE(row(1).contains(QStringLiteral("ttyUSB0")));

    form->DevicePicker->DeviceList->setCurrentRow(0);
    EXPECT_TRUE(form->ComDeviceLabel->text().endsWith(QStringLiteral("；应用后：") +
                                                      QString::fromStdString(link)));
    form->UpDataButton->click();

    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_EQ(iniReadString(paths.mainConfigFile(), "Serial Port Map", "COM3", ""), link);
    EXPECT_EQ(iniReadString(paths.mainConfigFile(), "Serial Port Map", "COM1", ""),
              com1.slavePath())
        << "other entries stay";
    EXPECT_EQ(session->port().devicePath(), link);
    EXPECT_TRUE(session->portOpen());
    EXPECT_FALSE(form->DevicePicker->watching()) << "the watch ends with the dialog";

    // Opened again, the dialog shows the mapped device and no pick.
    open();
    EXPECT_EQ(form->ComDeviceLabel->text(),
              QStringLiteral("串口 3 打开的设备：") + QString::fromStdString(link));
    EXPECT_TRUE(row(0).endsWith(QStringLiteral("（当前）")));
    EXPECT_EQ(form->DevicePicker->pickedPath(), "");
}

TEST_F(ConfigFormDevices, FollowsDevicesThatComeAndGoWhileOpen) {
    start();
    open();
    ASSERT_EQ(form->DevicePicker->DeviceList->count(), 2);
    form->DevicePicker->DeviceList->setCurrentRow(1);  // ttyUSB0
    ASSERT_NE(form->DevicePicker->pickedPath(), "");

    std::ofstream(fs::path(deviceRoots.dev) / "ttyACM0").put('\n');
    ASSERT_TRUE(rowsBecome(3));
    EXPECT_TRUE(row(1).contains(QStringLiteral("ttyACM0")));
    const QList<QListWidgetItem*> picked = form->DevicePicker->DeviceList->selectedItems();
    ASSERT_EQ(picked.size(), 1) << "the pick stays";
    EXPECT_TRUE(picked.front()->text().contains(QStringLiteral("ttyUSB0")));

    fs::remove(fs::path(deviceRoots.dev) / "ttyUSB0");
    ASSERT_TRUE(rowsBecome(2));
    EXPECT_EQ(form->DevicePicker->pickedPath(), "") << "the pick went with its device";
    EXPECT_FALSE(form->ComDeviceLabel->text().contains(QStringLiteral("应用后")));
}

}  // namespace
}  // namespace mc::test
