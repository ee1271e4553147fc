#pragma once

// What a missing file, section or key reads as. The control window's build
// and the configuration dialog read some of the same keys with different
// defaults (the dialog shows address 0 and no ports for a model the table
// lacks, the build assumes a 32 x 32 matrix at 0x52); both sets stand here
// side by side, so that a default is never written twice or mixed up.

#include <cstdint>
#include <string_view>

namespace mc {

// Read when the matrix is built (StartupSettings).
namespace startupDefaults {
inline constexpr std::string_view PortNum = "COM1";
inline constexpr std::int32_t PortBandRate = 9600;
inline constexpr std::string_view MatrixNowUse = "DefaultMatrix";
inline constexpr std::int32_t VideoOrAudio = 1;
inline constexpr std::int32_t CircleTime = 1;
inline constexpr bool TakeMode = false;
inline constexpr bool MatrixInputEditEnable = false;
inline constexpr bool MatrixOutputEditEnable = false;
inline constexpr std::int32_t MatrixAddress = 0x52;
inline constexpr std::int32_t MatrixCustomAddress = 1;
inline constexpr std::int32_t MatrixOutputNum = 32;
inline constexpr std::int32_t MatrixInputNum = 32;
inline constexpr bool MatrixPattern = false;
inline constexpr std::string_view MatrixCustomLogo = "VELMORAN MATRIX";
}  // namespace startupDefaults

// Read by the configuration dialog (DialogValues, ModelFields).
namespace dialogDefaults {
inline constexpr std::string_view MatrixNowUse = "DefaultMatrix";
inline constexpr std::int32_t ComPortNum = 1;
inline constexpr std::int32_t PortBandRate = 9600;
inline constexpr std::int32_t CircleTime = 1;
inline constexpr std::int32_t MatrixAddress = 0;
inline constexpr std::int32_t MatrixInputNum = 0;
inline constexpr std::int32_t MatrixOutputNum = 0;
inline constexpr bool MatrixPattern = false;
inline constexpr std::int32_t MatrixCustomAddress = 1;
// "MatrixCustomLogo": one text when the dialog opens, another when the model
// name changes.
inline constexpr std::string_view LogoOnOpening = "VELMORAN MATRIX";
inline constexpr std::string_view LogoOnNameChange = "Velmoran Matrix";
}  // namespace dialogDefaults

// Ranges the configuration dialog puts its settings into.
inline constexpr std::int32_t kMinComPort = 1;
inline constexpr std::int32_t kMaxComPort = 20;
inline constexpr std::int32_t kMinCircleTime = 1;
inline constexpr std::int32_t kMaxCircleTime = 100;
// The TCP ports a network service's "Port" key may name.
inline constexpr std::int32_t kMinNetworkPort = 1;
inline constexpr std::int32_t kMaxNetworkPort = 65535;

// What Apply writes when the chosen port cannot be opened.
namespace fallbackSettings {
inline constexpr std::int32_t ComPortNum = 1;
inline constexpr std::int32_t PortBandRate = 9600;
}  // namespace fallbackSettings

}  // namespace mc
