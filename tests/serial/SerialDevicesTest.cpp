// The device list on a fake folder tree, and the access reasons.

#include "PtyTestUtil.h"
#include "serial/DeviceAccess.h"
#include "serial/SerialDevices.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace mc {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

TEST(UsbIdName, GivesMakerModelAndSerial) {
    const UsbIdName ftdi = parseUsbIdName("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    EXPECT_EQ(ftdi.maker, "FTDI");
    EXPECT_EQ(ftdi.model, "FT232R USB UART");
    EXPECT_EQ(ftdi.serial, "A50285BI");
    const UsbIdName noSerial = parseUsbIdName("usb-1a86_USB_Serial-if00-port0");
    EXPECT_EQ(noSerial.maker, "1a86");
    EXPECT_EQ(noSerial.model, "USB Serial");
    EXPECT_EQ(noSerial.serial, "");
}

TEST(SerialDevices, ListsStableLinksPlainAdaptersAndRealUartsInOrder) {
    TempDir tree;
    const fs::path dev = tree.path() / "dev", sys = tree.path() / "sys";
    for (const char* name :
         {"ttyUSB0", "ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "ttyS1", "ttyS3", "tty0", "null"}) {
        writeFile(dev / name, "");
    }
    fs::create_directories(dev / "serial/by-id");
    fs::create_directory_symlink("../../ttyUSB0",
                                 dev / "serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    fs::create_directories(sys / "ttyS0/device");  // a UART answered: type 4 (16550A)
    writeFile(sys / "ttyS0/type", "4\n");
    fs::create_directories(sys / "ttyS1/device");  // registered, no UART behind it
    writeFile(sys / "ttyS1/type", "0\n");
    writeFile(sys / "ttyS3/type", "4\n");  // no device behind the port

    const DeviceRoots roots{dev, dev / "serial/by-id", sys};
    const std::vector<SerialDevice> devices = listSerialDevices(roots);
    std::vector<std::string> paths, kernel;
    for (const SerialDevice& device : devices) {
        paths.push_back(device.path);
        kernel.push_back(device.kernelName);
    }
    const std::string byId = dev / "serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    EXPECT_EQ(paths, (std::vector<std::string>{byId, dev / "ttyACM0", dev / "ttyUSB2",
                                               dev / "ttyUSB10", dev / "ttyS0"}));
    EXPECT_EQ(kernel,
              (std::vector<std::string>{"ttyUSB0", "ttyACM0", "ttyUSB2", "ttyUSB10", "ttyS0"}));
    ASSERT_FALSE(devices.empty());
    EXPECT_EQ(devices[0].maker, "FTDI");
    EXPECT_EQ(devices[0].description, "FTDI FT232R USB UART (A50285BI) - ttyUSB0");
    EXPECT_EQ(devices[0].accessProblem, "");

    EXPECT_TRUE(listSerialDevices({tree.path() / "none", tree.path() / "none", sys}).empty());
}

TEST(DeviceAccess, AUserOutsideTheDevicesGroupIsToldTheFix) {
    AccessFacts dialout;
    dialout.error = EACCES;
    dialout.groupMayUse = true;
    dialout.groupName = "dialout";
    dialout.userName = "alice";
    const std::string text = accessProblemText(dialout);
    EXPECT_NE(text.find("用户组 dialout"), std::string::npos) << text;
    EXPECT_NE(text.find("sudo usermod -aG dialout alice"), std::string::npos) << text;
    dialout.userInGroup = true;  // in the group, refused all the same: no usermod advice
    EXPECT_EQ(accessProblemText(dialout).find("usermod"), std::string::npos);
}

TEST(DeviceAccess, ARefusedDeviceIsListedWithAReason) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may open any device";
    TempDir tree;
    const fs::path locked = tree.path() / "ttyUSB0";
    writeFile(locked, "");
    ::chmod(locked.c_str(), 0);
    const std::vector<SerialDevice> devices = listSerialDevices({tree.path(), "", ""});
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_NE(devices[0].accessProblem, "");
}

}  // namespace
}  // namespace mc
