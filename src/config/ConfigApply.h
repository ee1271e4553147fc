#pragma once

// The file steps of the configuration dialog's Apply. The dialog runs them in
// Apply's order between its steps on the serial port and the control window:
//   writePortSettings   "PortNum", "ComPortNum", "PortBandRate"
//   writePortFallback   after an open error answered with "&Ignore"
//   writeModelInUse     "PortBandRate" again, "MatrixNowUse", both name
//                       switches false
//   erasePortNames      both name lists of MatrixEditList.con
//   removeAllModes      every mode of MatrixMode.xml
// Writers throw IniWriteError (IniFile.h). None of them changes the current
// directory. UI-thread use only.

#include <cstdint>
#include <optional>
#include <string>

#include "config/AppPaths.h"

namespace mc {

// The port name of port number n: "COM" + n in decimal.
std::string commName(std::int32_t comPort);

// Creates the configuration folder and writes to "Serial Commucation Set" of
// MatrixConfig.con: "PortNum" = commName(comPort), "ComPortNum" = comPort,
// "PortBandRate" = rate.
void writePortSettings(const AppPaths& paths, std::int32_t comPort, std::int32_t rate);

// The settings Apply falls back to when the chosen port cannot be opened:
// "PortNum" = "COM1", "ComPortNum" = 1, "PortBandRate" = 9600.
void writePortFallback(const AppPaths& paths);

// Writes "PortBandRate" = rate, "MatrixNowUse" = model, and
// "MatrixInputEditEnable" and "MatrixOutputEditEnable" = false.
void writeModelInUse(const AppPaths& paths, std::int32_t rate, const std::string& model);

// Erases the sections "MatrixInputStringList" and "MatrixOutputStringList" of
// MatrixEditList.con: every port name is gone.
void erasePortNames(const AppPaths& paths);

// Removes every mode of MatrixMode.xml (a missing file is created with an
// empty root). Returns the message to show when the file is malformed or
// cannot be written (the file is then left as it was), nullopt on success.
std::optional<std::string> removeAllModes(const AppPaths& paths);

}  // namespace mc
