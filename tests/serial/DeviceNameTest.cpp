#include "serial/DeviceName.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace mc {
namespace {

struct NameCase {
    const char* name;
    const char* expected;
};

const std::map<std::string, std::string> kPortMap = {
    {"COM3", "/dev/ttyUSB0"},
    {"com4", "ttyACM1"},
    {"COM5", "  /dev/serial/by-id/usb-adapter  "},
    {"COM6", ""},
};

TEST(CommDevicePath, MapsNamesToDevices) {
    const NameCase cases[] = {
        {"COM1", "/dev/ttyS0"},
        {"COM2", "/dev/ttyS1"},
        {"COM12", "/dev/ttyS11"},
        {"COM20", "/dev/ttyS19"},
        {"com9", "/dev/ttyS8"},
        {"COM3", "/dev/ttyUSB0"},                   // mapped
        {"Com3", "/dev/ttyUSB0"},                   // map key matched ignoring case
        {"COM4", "/dev/ttyACM1"},                   // lower-case key, value without /dev
        {"COM5", "/dev/serial/by-id/usb-adapter"},  // blanks around the value ignored
        {"COM6", "/dev/ttyS5"},                     // empty value: the default device
        {" COM2 ", "/dev/ttyS1"},
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},  // a path stands as it is
        {"/tmp/com3", "/tmp/com3"},
        {"ttyUSB1", "/dev/ttyUSB1"},  // other names are devices in /dev
        {"COM0", "/dev/COM0"},        // not a port number
        {"COM1A", "/dev/COM1A"},
        {"COM", "/dev/COM"},
        {"COM12345", "/dev/COM12345"},
    };
    for (const NameCase& c : cases) {
        EXPECT_EQ(commDevicePath(c.name, kPortMap), c.expected) << "name \"" << c.name << "\"";
    }
}

TEST(CommDevicePath, MapOnlyAppliesToComNames) {
    const std::map<std::string, std::string> map = {{"ttyUSB0", "/dev/ttyACM0"}};
    EXPECT_EQ(commDevicePath("ttyUSB0", map), "/dev/ttyUSB0");
    EXPECT_EQ(commDevicePath("COM1", {}), "/dev/ttyS0");
}

}  // namespace
}  // namespace mc
