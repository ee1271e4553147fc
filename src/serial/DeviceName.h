#pragma once

// From a port name as the configuration stores it ("COM3") to the device
// path that is opened on Linux.

#include <map>
#include <string>

namespace mc {

// The name-to-path rules, in this order:
// - "COMn" (n a decimal number from 1 to 9999, "COM" in any letter case):
//   the value of the entry of portMap whose key equals the name ignoring
//   ASCII case (the "Serial Port Map" section of MatrixConfig.con), when
//   there is one and it is not empty; else "/dev/ttyS(n-1)" (COM1 is
//   /dev/ttyS0). A map value is itself read by the two rules below, so
//   "ttyUSB0" and "/dev/ttyUSB0" both name /dev/ttyUSB0.
// - A name beginning with "/" is a device path used as it stands.
// - Any other name is a device in /dev: "ttyUSB0" names /dev/ttyUSB0.
// Leading and trailing blanks of the name and of map values are ignored.
std::string commDevicePath(const std::string& commName,
                           const std::map<std::string, std::string>& portMap);

}  // namespace mc
