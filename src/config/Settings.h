#pragma once

// Typed readers and writers of MatrixConfig.con, MatrixModelConfig.con and
// MatrixEditList.con for the control session: what is read when the matrix is
// built, the names and their switches saved at close, the layer, and the file
// steps of the configuration dialog's Apply, and what the configuration dialog
// reads and stores. The section and key names are in SettingsKeys.h, the
// defaults of both readers side by side in SettingsDefaults.h.
//
// Files are opened by path for each call and released at its end; nothing is
// cached. Writers throw IniWriteError ("Unable to write to <path>") and then
// leave the file as it was. None of them changes the current directory.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/AppPaths.h"
#include "config/PortNameList.h"
#include "config/StartupSettings.h"

namespace mc {

// Creates the configuration folder, then reads MatrixConfig.con ("PortNum",
// "PortBandRate", "MatrixNowUse", "VideoOrAudio", "CircleTime",
// "MatrixInputEditEnable", "MatrixOutputEditEnable"), then
// the model's section of MatrixModelConfig.con ("MatrixAddress",
// "MatrixCustomAddress", "MatrixOutputNum", "MatrixInputNum", "MatrixPattern",
// "MatrixCustomLogo"), then the "Serial Port Map" of MatrixConfig.con.
// Missing files, sections and keys give the defaults of StartupSettings;
// reading creates no file. The port counts are returned raw; countsClamped
// tells whether either lies outside 1..256.
StartupSettings readStartupSettings(const AppPaths& paths);
// The model keys of `model` in the model table (defaults for keys or a
// section that are missing) into `settings`, as readStartupSettings reads
// those of the model in use.
void readModelSettings(const AppPaths& paths, const std::string& model, StartupSettings& settings);

// One model of the model table as the configuration dialog shows it.
struct ModelFields {
    std::int32_t MatrixAddress = dialogDefaults::MatrixAddress;
    std::int32_t MatrixInputNum = dialogDefaults::MatrixInputNum;
    std::int32_t MatrixOutputNum = dialogDefaults::MatrixOutputNum;
    bool MatrixPattern = dialogDefaults::MatrixPattern;
    std::int32_t MatrixCustomAddress = dialogDefaults::MatrixCustomAddress;
    std::string MatrixCustomLogo;
};

// The section `model` of MatrixModelConfig.con with the dialog's defaults, the
// logo defaulting to `logoDefault` (dialogDefaults::LogoOnOpening or
// LogoOnNameChange). Reading creates nothing.
ModelFields readModelFields(const AppPaths& paths, const std::string& model,
                            std::string_view logoDefault);

// The model names of the model table, in file order.
std::vector<std::string> modelNames(const AppPaths& paths);

// Everything the configuration dialog shows when it opens.
struct DialogValues {
    std::string MatrixNowUse{dialogDefaults::MatrixNowUse};  // the model name shown
    std::int32_t ComPortNum = dialogDefaults::ComPortNum;    // put into 1..20
    std::int32_t PortBandRate = dialogDefaults::PortBandRate;
    std::int32_t CircleTime = dialogDefaults::CircleTime;  // as stored; the field clamps it
    std::vector<std::string> models;                       // the list of the model box
    ModelFields fields;  // of MatrixNowUse, logo default on opening
};

// Creates the configuration folder, then reads MatrixConfig.con
// ("MatrixNowUse", "ComPortNum", "PortBandRate", "CircleTime") and
// MatrixModelConfig.con (the section list, the section MatrixNowUse).
DialogValues loadDialogValues(const AppPaths& paths);

// Writes the section `name` of MatrixModelConfig.con ("MatrixAddress",
// "MatrixInputNum", "MatrixOutputNum", "MatrixPattern", "MatrixCustomAddress",
// "MatrixCustomLogo", in that order; an existing model of that name, in any
// letter case, is overwritten key by key), then "MatrixModelNumber" = the
// number of models to MatrixConfig.con. Returns the model names.
std::vector<std::string> writeModel(const AppPaths& paths, const std::string& name,
                                    const ModelFields& fields);

// Erases the section `name` of MatrixModelConfig.con (a name without a section
// erases nothing) and writes "MatrixModelNumber". Returns the model names.
std::vector<std::string> eraseModel(const AppPaths& paths, const std::string& name);

// "MatrixPattern" of the section `name` of MatrixModelConfig.con.
void writeMatrixPattern(const AppPaths& paths, const std::string& name, bool pattern);

// The cycle field changed: writes "CircleTime" = `value` put into 1..100 and
// returns what it wrote.
std::int32_t storeCircleTime(const AppPaths& paths, std::int32_t value);

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
// "TakeMode" of "System config" (the folder is not created).
void writeTakeModeSetting(const AppPaths& paths, bool on);

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

}  // namespace mc
