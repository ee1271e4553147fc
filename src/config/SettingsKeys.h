#pragma once

// Every section and key name of the program's INI files, spelled once.
//
// MatrixConfig.con      kSerialSection, kManageSection, kSystemSection,
//                       kPortMapSection; each network service's own section
//                       is spelled by its service (ServiceSettings.h)
// MatrixModelConfig.con one section per model, named after the model, with
//                       the model keys
// MatrixEditList.con    kInputNamesSection, kOutputNamesSection (also in
//                       matrix status files)
// Matrix status files   kStatusSection and the node sections (StatusFile.h)

namespace mc::keys {

// --- MatrixConfig.con ---------------------------------------------------------
inline constexpr const char* kSerialSection = "Serial Commucation Set";
inline constexpr const char* kPortNum = "PortNum";
inline constexpr const char* kComPortNum = "ComPortNum";
inline constexpr const char* kPortBandRate = "PortBandRate";

inline constexpr const char* kManageSection = "Matrix Manage Message";
inline constexpr const char* kMatrixNowUse = "MatrixNowUse";
inline constexpr const char* kMatrixModelNumber = "MatrixModelNumber";
inline constexpr const char* kMatrixInputEditEnable = "MatrixInputEditEnable";
inline constexpr const char* kMatrixOutputEditEnable = "MatrixOutputEditEnable";

inline constexpr const char* kSystemSection = "System config";
inline constexpr const char* kVideoOrAudio = "VideoOrAudio";
inline constexpr const char* kCircleTime = "CircleTime";
inline constexpr const char* kTakeMode = "TakeMode";

// "COMn" = device path.
inline constexpr const char* kPortMapSection = "Serial Port Map";

// --- MatrixModelConfig.con: the keys of a model's section ---------------------
inline constexpr const char* kMatrixAddress = "MatrixAddress";
inline constexpr const char* kMatrixCustomAddress = "MatrixCustomAddress";
inline constexpr const char* kMatrixInputNum = "MatrixInputNum";
inline constexpr const char* kMatrixOutputNum = "MatrixOutputNum";
inline constexpr const char* kMatrixPattern = "MatrixPattern";
inline constexpr const char* kMatrixCustomLogo = "MatrixCustomLogo";

// --- Port names (MatrixEditList.con and status files) -------------------------
inline constexpr const char* kInputNamesSection = "MatrixInputStringList";
inline constexpr const char* kInputNamePrefix = "InputString";
inline constexpr const char* kOutputNamesSection = "MatrixOutputStringList";
inline constexpr const char* kOutputNamePrefix = "OutputString";

// --- Matrix status files ------------------------------------------------------
inline constexpr const char* kStatusSection = "Matrix Message";
inline constexpr const char* kStatusAddress = "Matrix Address";
inline constexpr const char* kSwitchNodeNum = "SwitchNodeNum";
inline constexpr const char* kSwitchNodePrefix = "SwitchNode";
inline constexpr const char* kNodeOutput = "I";
inline constexpr const char* kNodeInput = "J";

}  // namespace mc::keys
