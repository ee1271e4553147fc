// The configuration dialog's device page on a fake folder tree: what it lists,
// devices that come and go while it is open, and the port map entry Apply
// writes for the picked device.

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

TEST_F(ConfigFormTest, DevicePageListsFollowsAndMapsThePickedDeviceAtApply) {
    const fs::path dev = deviceRoots.dev;
    Pty adapter;
    const std::string link = deviceRoots.byId + "/usb-Test_Maker_Serial_Box_0042-if00-port0";
    fs::create_directories(deviceRoots.byId);
    fs::create_symlink(adapter.slavePath(), link);
    std::ofstream(dev / "ttyUSB0").put('\n');
    writeMain("[Serial Commucation Set]\nPortNum=COM3\nComPortNum=3\n");
    start();
    open();
    QListWidget* list = form->DevicePicker->DeviceList;
    const auto row = [&](int r) { return list->item(r)->text(); };
    const auto rowsBecome = [&](int count) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (list->count() != count && std::chrono::steady_clock::now() < end) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return list->count() == count;
    };
    EXPECT_EQ(form->ComDeviceLabel->text(),
              QStringLiteral("串口 3 打开的设备：/nonexistent/ttyCFG"));
    ASSERT_EQ(list->count(), 2);
    EXPECT_TRUE(row(0).contains(QStringLiteral("Test Maker Serial Box (0042)")))
        << row(0).toStdString();
    EXPECT_TRUE(row(1).contains(QStringLiteral("ttyUSB0")));

    // Plugged in and pulled while the dialog is open; a pick stays while its
    // device does.
    list->setCurrentRow(0);
    std::ofstream(dev / "ttyACM0").put('\n');
    ASSERT_TRUE(rowsBecome(3));
    EXPECT_TRUE(row(1).contains(QStringLiteral("ttyACM0")));
    fs::remove(dev / "ttyUSB0");
    ASSERT_TRUE(rowsBecome(2));
    EXPECT_EQ(form->DevicePicker->pickedPath(), link);
    EXPECT_TRUE(form->ComDeviceLabel->text().endsWith(QStringLiteral("；应用后：") +
                                                      QString::fromStdString(link)));

    // The page's own Apply, the button its hint names.
    SerialDevicePicker& page = *form->DevicePicker;
    EXPECT_TRUE(page.DeviceHintLabel->text().contains(
        QStringLiteral("“%1”").arg(page.DeviceApplyButton->text())));
    page.DeviceApplyButton->click();
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_EQ(iniReadString(paths.mainConfigFile(), "Serial Port Map", "COM3", ""), link);
    EXPECT_EQ(session->port().devicePath(), link);
    EXPECT_TRUE(session->portOpen());
    EXPECT_FALSE(form->DevicePicker->watching()) << "the watch ends with the dialog";

    open();
    EXPECT_EQ(form->ComDeviceLabel->text(),
              QStringLiteral("串口 3 打开的设备：") + QString::fromStdString(link));
    EXPECT_TRUE(row(0).endsWith(QStringLiteral("（当前）")));
    list->setCurrentRow(1);  // a pick whose device goes is dropped
    ASSERT_NE(form->DevicePicker->pickedPath(), "");
    fs::remove(dev / "ttyACM0");
    ASSERT_TRUE(rowsBecome(1));
    EXPECT_EQ(form->DevicePicker->pickedPath(), "");
}

}  // namespace
}  // namespace mc::test
