#pragma once

// The serial devices present on this machine, for the operator to choose
// from: USB adapters under their stable names, and built-in ports that have
// real hardware behind them.

#include <string>
#include <vector>

namespace mc {

// Where the lists are read from; tests point them at a fake folder tree.
struct DeviceRoots {
    std::string dev = "/dev";
    std::string byId = "/dev/serial/by-id";
    std::string sysTty = "/sys/class/tty";
};

// What a /dev/serial/by-id name says about the adapter:
// "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0" gives maker "FTDI", model
// "FT232R USB UART", serial "A50285BI". The name is the bus, then maker,
// model and serial joined by '_' (blanks inside them are '_' as well), then
// the interface. The last part counts as the serial number only when there
// are three or more parts and it holds a digit; the name carries no mark of
// it otherwise.
struct UsbIdName {
    std::string maker;
    std::string model;
    std::string serial;
};
UsbIdName parseUsbIdName(const std::string& name);

struct SerialDevice {
    std::string path;         // the path to store: the stable by-id link when there is one
    std::string kernelName;   // "ttyUSB0"
    std::string description;  // "FTDI FT232R USB UART (A50285BI)", "ttyS0 内置串口"
    std::string maker;        // USB adapters with a by-id name only
    std::string model;
    std::string serial;
    std::string accessProblem;  // empty, or why the current user may not open it
};

// Lists, in this order, each group sorted by name with numbers in numeric
// order:
// 1. every link in roots.byId (its kernel device is the link target's name);
// 2. roots.dev/ttyUSB* and roots.dev/ttyACM* that no by-id link points to;
// 3. roots.dev/ttyS* with real hardware behind it: roots.sysTty/ttySn/device
//    exists and roots.sysTty/ttySn/type holds a port type other than 0. The
//    8250 driver registers a fixed number of ports whether a UART answers or
//    not, and gives those without one type 0 (unknown); any serial-core
//    driver exposes the type attribute, so a port without it is not listed.
// Missing roots give empty groups. Any thread.
std::vector<SerialDevice> listSerialDevices(const DeviceRoots& roots = DeviceRoots{});

// a < b for device names, comparing runs of digits by value ("ttyS2" before
// "ttyS10").
bool deviceNameLess(const std::string& a, const std::string& b);

}  // namespace mc
