#pragma once

// The control window's file work at start-up and close: the settings read
// when the window is created or rebuilt, the port names loaded after the state
// is sized, and the names and their switches saved at close. Files are opened
// by path for each call and released at its end; nothing is cached. None of
// them changes the current directory: the window's handler restores it at its
// end. UI-thread use only.

#include "config/AppPaths.h"
#include "control/CrosspointState.h"
#include "control/StartupSettings.h"

namespace mc {

// Creates the configuration folder, then reads MatrixConfig.con ("PortNum",
// "PortBandRate", "MatrixNowUse", "VideoOrAudio", "CircleTime",
// "MatrixInputEditEnable", "MatrixOutputEditEnable"), then the model's section
// of MatrixModelConfig.con ("MatrixAddress", "MatrixCustomAddress",
// "MatrixOutputNum", "MatrixInputNum", "MatrixPattern", "MatrixCustomLogo"),
// then the "Serial Port Map" of MatrixConfig.con. Missing files, sections and
// keys give the defaults of StartupSettings; reading creates no file. The port
// counts are returned raw; countsClamped tells whether either lies outside
// 1..256.
StartupSettings readStartupSettings(const AppPaths& paths);

// Fills the names of the lists in use from MatrixEditList.con: "InputString" + k
// of "MatrixInputStringList" for every input k when MatrixInputEditEnable,
// "OutputString" + k of "MatrixOutputStringList" for every output k when
// MatrixOutputEditEnable. Lists not in use are left as they are (empty after
// construction).
void loadPortNames(const AppPaths& paths, CrosspointState& state);

// What the window's close saves: creates the configuration folder, writes both
// switches to "Matrix Manage Message" of MatrixConfig.con, then every name of
// each list in use (empty ones included) to MatrixEditList.con. Keys beyond the
// current counts stay in the file. Throws IniWriteError when a file cannot be
// written; the switches are then written or not as a whole, and so are the
// names.
void savePortNames(const AppPaths& paths, const CrosspointState& state);

}  // namespace mc
