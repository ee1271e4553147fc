#pragma once

// Typed readers and writers of MatrixConfig.con, MatrixModelConfig.con and
// MatrixEditList.con for the control session: what is read when the matrix is
// built, the names and their switches saved at close, the layer, and the file
// steps of the configuration dialog's Apply. The section and key names are in
// SettingsKeys.h; the dialog's own readers are in ConfigDialogModel.h.
//
// Files are opened by path for each call and released at its end; nothing is
// cached. Writers throw IniWriteError ("Unable to write to <path>") and then
// leave the file as it was. None of them changes the current directory.

#include <cstdint>
#include <string>

#include "config/AppPaths.h"
#include "config/PortNameList.h"
#include "config/StartupSettings.h"

namespace mc {

// Creates the configuration folder, then reads MatrixConfig.con ("PortNum",
// "PortBandRate", "MatrixNowUse", "VideoOrAudio", "CircleTime",
// "MatrixInputEditEnable", "MatrixOutputEditEnable", "Network Control"), then
// the model's section of MatrixModelConfig.con ("MatrixAddress",
// "MatrixCustomAddress", "MatrixOutputNum", "MatrixInputNum", "MatrixPattern",
// "MatrixCustomLogo"), then the "Serial Port Map" of MatrixConfig.con.
// Missing files, sections and keys give the defaults of StartupSettings;
// reading creates no file. The port counts are returned raw; countsClamped
// tells whether either lies outside 1..256.
StartupSettings readStartupSettings(const AppPaths& paths);

// The names of MatrixEditList.con for the lists in use: `inputs` names when
// inputsInUse, `outputs` names when outputsInUse.
PortNameLists readPortNameFile(const AppPaths& paths, std::int32_t inputs, std::int32_t outputs,
                               bool inputsInUse, bool outputsInUse);

// What the close saves: creates the configuration folder, writes both switches
// ("MatrixInputEditEnable", "MatrixOutputEditEnable" = whether the list is
// present in `names`) to "Matrix Manage Message" of MatrixConfig.con, then
// every name of each list present (empty ones included) to MatrixEditList.con.
// Keys beyond the current counts stay. The switches are written or not as a
// whole, and so are the names.
void savePortNameFile(const AppPaths& paths, const PortNameLists& names);

// Erases both name lists of MatrixEditList.con: every port name is gone.
void erasePortNameFile(const AppPaths& paths);

// "VideoOrAudio" of "System config" (the folder is not created).
void writeLayerSetting(const AppPaths& paths, std::int32_t layer);

// The port name of port number n: "COM" + n in decimal.
std::string commName(std::int32_t comPort);

// Creates the configuration folder and writes to "Serial Commucation Set":
// "PortNum" = commName(comPort), "ComPortNum" = comPort, "PortBandRate" = rate.
void writePortSettings(const AppPaths& paths, std::int32_t comPort, std::int32_t rate);

// Creates the configuration folder and writes "COMn" = device (n = comPort)
// to the "Serial Port Map" section: port number n opens device from then on.
void writePortMapEntry(const AppPaths& paths, std::int32_t comPort, const std::string& device);

// The settings Apply falls back to when the chosen port cannot be opened:
// "PortNum" = "COM1", "ComPortNum" = 1, "PortBandRate" = 9600.
void writePortFallback(const AppPaths& paths);

// Writes "PortBandRate" = rate, "MatrixNowUse" = model, and
// "MatrixInputEditEnable" and "MatrixOutputEditEnable" = false.
void writeModelInUse(const AppPaths& paths, std::int32_t rate, const std::string& model);

// Writes the section "Network Control".
void writeNetworkSettings(const AppPaths& paths, const NetworkSettings& network);

}  // namespace mc
