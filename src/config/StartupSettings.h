#pragma once

// The settings the control window reads when it is created or rebuilt, with
// the defaults that apply when a file, section or key is missing. A
// default-constructed StartupSettings is what a first run without any
// configuration file reads.

#include <cstdint>
#include <map>
#include <string>

#include "config/SettingsDefaults.h"

namespace mc {

// Port counts the crosspoint state accepts: a frame carries an input or output
// index in one byte, so input 257 would switch input 1.
inline constexpr std::int32_t kMinPortCount = 1;
inline constexpr std::int32_t kMaxPortCount = 256;

// The count the crosspoint state uses for a port count of the model table.
std::int32_t clampPortCount(std::int32_t raw);

// Whether text is a numeric IPv4 address (dotted quad) or IPv6 address the
// server can listen on; host names, scope suffixes and spaces are not.
bool isListenAddress(const std::string& text);

// Whether text is a numeric loopback address: IPv4 127.0.0.0/8, IPv6 ::1, or
// an IPv4-mapped IPv6 address in 127.0.0.0/8. Only this machine reaches it.
bool isLoopbackAddress(const std::string& text);

struct StartupSettings {
    // MatrixConfig.con, section "Serial Commucation Set".
    std::string PortNum{startupDefaults::PortNum};
    std::int32_t PortBandRate = startupDefaults::PortBandRate;
    // MatrixConfig.con, section "Matrix Manage Message".
    std::string MatrixNowUse{startupDefaults::MatrixNowUse};
    // MatrixConfig.con, section "System config".
    std::int32_t VideoOrAudio = startupDefaults::VideoOrAudio;
    std::int32_t CircleTime = startupDefaults::CircleTime;
    bool TakeMode = startupDefaults::TakeMode;  // "TakeMode": clicks stage, "执行" sends
    // MatrixConfig.con, section "Matrix Manage Message".
    bool MatrixInputEditEnable = startupDefaults::MatrixInputEditEnable;
    bool MatrixOutputEditEnable = startupDefaults::MatrixOutputEditEnable;

    // MatrixModelConfig.con, the section named by MatrixNowUse. The counts are
    // the raw values of the file, not yet clamped.
    std::int32_t MatrixAddress = startupDefaults::MatrixAddress;
    std::int32_t MatrixCustomAddress = startupDefaults::MatrixCustomAddress;
    std::int32_t MatrixOutputNum = startupDefaults::MatrixOutputNum;
    std::int32_t MatrixInputNum = startupDefaults::MatrixInputNum;
    bool MatrixPattern = startupDefaults::MatrixPattern;
    std::string MatrixCustomLogo{startupDefaults::MatrixCustomLogo};

    // MatrixConfig.con, section "Serial Port Map": "COMn" (canonical spelling)
    // to device path, for the keys that are present with a non-empty value.
    std::map<std::string, std::string> SerialPortMap;

    // The network services' sections ("Network Control", "Web Control") are
    // read by the services themselves (ServiceSettings.h).

    // Set by readStartupSettings: a raw count lies outside 1..256, so the
    // crosspoint state uses a clamped one and the window shows a warning.
    bool countsClamped = false;

    // The caption of the control window for the model in use.
    std::string windowCaption() const;
};

// The caption of the control window for `model`: the model name and " 汇切台".
std::string windowCaption(const std::string& model);

}  // namespace mc
