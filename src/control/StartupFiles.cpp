#include "control/StartupFiles.h"

#include <string>
#include <vector>

#include "config/IniFile.h"
#include "store/PortNameList.h"

namespace mc {

namespace {

const char* const kSerialSection = "Serial Commucation Set";
const char* const kManageSection = "Matrix Manage Message";
const char* const kSystemSection = "System config";
const char* const kPortMapSection = "Serial Port Map";

bool outsidePortRange(std::int32_t count) {
    return clampPortCount(count) != count;
}

// The map holds the "COMn" keys the port names of the program can take, in
// their canonical spelling, plus the configured port name itself when that is
// not a device path (a hand-edited name such as "COM300").
void readSerialPortMap(const IniFile& config, StartupSettings& settings) {
    for (int n = 1; n <= 256; ++n) {
        const std::string key = "COM" + std::to_string(n);
        std::string device = config.readString(kPortMapSection, key, "");
        if (!device.empty()) settings.SerialPortMap[key] = std::move(device);
    }
    if (!settings.PortNum.empty() && settings.PortNum.front() != '/' &&
        !settings.SerialPortMap.contains(settings.PortNum)) {
        std::string device = config.readString(kPortMapSection, settings.PortNum, "");
        if (!device.empty()) settings.SerialPortMap[settings.PortNum] = std::move(device);
    }
}

}  // namespace

StartupSettings readStartupSettings(const AppPaths& paths) {
    paths.ensureConfigDir();
    StartupSettings s;
    const IniFile config(paths.mainConfigFile());
    s.PortNum = config.readString(kSerialSection, "PortNum", s.PortNum);
    s.PortBandRate = config.readInteger(kSerialSection, "PortBandRate", s.PortBandRate);
    s.MatrixNowUse = config.readString(kManageSection, "MatrixNowUse", s.MatrixNowUse);
    s.VideoOrAudio = config.readInteger(kSystemSection, "VideoOrAudio", s.VideoOrAudio);
    s.CircleTime = config.readInteger(kSystemSection, "CircleTime", s.CircleTime);
    s.MatrixInputEditEnable =
        config.readBool(kManageSection, "MatrixInputEditEnable", s.MatrixInputEditEnable);
    s.MatrixOutputEditEnable =
        config.readBool(kManageSection, "MatrixOutputEditEnable", s.MatrixOutputEditEnable);

    const IniFile models(paths.modelConfigFile());
    const std::string& model = s.MatrixNowUse;
    s.MatrixAddress = models.readInteger(model, "MatrixAddress", s.MatrixAddress);
    s.MatrixCustomAddress = models.readInteger(model, "MatrixCustomAddress", s.MatrixCustomAddress);
    s.MatrixOutputNum = models.readInteger(model, "MatrixOutputNum", s.MatrixOutputNum);
    s.MatrixInputNum = models.readInteger(model, "MatrixInputNum", s.MatrixInputNum);
    s.MatrixPattern = models.readBool(model, "MatrixPattern", s.MatrixPattern);
    s.MatrixCustomLogo = models.readString(model, "MatrixCustomLogo", s.MatrixCustomLogo);

    readSerialPortMap(config, s);
    s.countsClamped = outsidePortRange(s.MatrixOutputNum) || outsidePortRange(s.MatrixInputNum);
    return s;
}

void loadPortNames(const AppPaths& paths, CrosspointState& state) {
    if (!state.MatrixInputEditEnable && !state.MatrixOutputEditEnable) return;
    const IniFile names(paths.editListFile());
    if (state.MatrixInputEditEnable) {
        const std::vector<std::string> inputs = readInputNames(names, state);
        for (std::size_t k = 0; k < inputs.size(); ++k)
            state.setInputName(static_cast<std::int32_t>(k), inputs[k]);
    }
    if (state.MatrixOutputEditEnable) {
        const std::vector<std::string> outputs = readOutputNames(names, state);
        for (std::size_t k = 0; k < outputs.size(); ++k)
            state.setOutputName(static_cast<std::int32_t>(k), outputs[k]);
    }
}

void savePortNames(const AppPaths& paths, const CrosspointState& state) {
    paths.ensureConfigDir();
    {
        IniFile config(paths.mainConfigFile());
        config.writeBool(kManageSection, "MatrixInputEditEnable", state.MatrixInputEditEnable);
        config.writeBool(kManageSection, "MatrixOutputEditEnable", state.MatrixOutputEditEnable);
        config.commit();
    }
    if (state.MatrixInputEditEnable || state.MatrixOutputEditEnable) {
        IniFile names(paths.editListFile());
        writePortNames(names, state);
        names.commit();
    }
}

}  // namespace mc
