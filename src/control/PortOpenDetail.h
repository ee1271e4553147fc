#pragma once

// The detail text of the error box shown when the serial port cannot be
// opened: the operating system's reason, the device path, and for a refused
// permission the group that owns the device when the user is not in it.

#include <string>

namespace mc {

// errorCode: the errno behind the failure (0: none known). devicePath: the
// device that was being opened (may be empty).
std::string portOpenDetail(int errorCode, const std::string& devicePath);

}  // namespace mc
