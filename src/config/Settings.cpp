#include "config/Settings.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <string>
#include <vector>

#include "config/IniFile.h"
#include "config/SettingsKeys.h"
#include "text/Text.h"

namespace mc {

std::string windowCaption(const std::string& model) {
    return formatText(translated("MatrixSession", "%1 汇切台"), {model});
}

std::string StartupSettings::windowCaption() const {
    return mc::windowCaption(MatrixNowUse);
}

namespace {

using namespace keys;

bool outsidePortRange(std::int32_t count) {
    return clampPortCount(count) != count;
}

// The map holds the "COMn" keys the port names of the program can take, in
// their canonical spelling, plus the configured port name itself when that is
// not a device path (a hand-edited name such as "COM300").
void readSerialPortMap(const IniFile& config, StartupSettings& settings) {
    for (int n = 1; n <= 256; ++n) {
        const std::string key = commName(n);
        std::string device = config.readString(kPortMapSection, key, "");
        if (!device.empty()) settings.SerialPortMap[key] = std::move(device);
    }
    if (!settings.PortNum.empty() && settings.PortNum.front() != '/' &&
        !settings.SerialPortMap.contains(settings.PortNum)) {
        std::string device = config.readString(kPortMapSection, settings.PortNum, "");
        if (!device.empty()) settings.SerialPortMap[settings.PortNum] = std::move(device);
    }
}

void writeModelNumber(const AppPaths& paths, std::size_t count) {
    paths.ensureConfigDir();
    iniWriteInteger(paths.mainConfigFile(), kManageSection, kMatrixModelNumber,
                    static_cast<std::int32_t>(count));
}

}  // namespace

std::int32_t clampPortCount(std::int32_t raw) {
    return std::clamp(raw, kMinPortCount, kMaxPortCount);
}

bool isListenAddress(const std::string& text) {
    in6_addr address{};
    return inet_pton(AF_INET, text.c_str(), &address) == 1 ||
           inet_pton(AF_INET6, text.c_str(), &address) == 1;
}

bool isLoopbackAddress(const std::string& text) {
    in_addr v4{};
    if (inet_pton(AF_INET, text.c_str(), &v4) == 1)
        return reinterpret_cast<const unsigned char*>(&v4.s_addr)[0] == 127;
    in6_addr v6{};
    if (inet_pton(AF_INET6, text.c_str(), &v6) != 1) return false;
    if (IN6_IS_ADDR_LOOPBACK(&v6)) return true;
    return IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127;
}

StartupSettings readStartupSettings(const AppPaths& paths) {
    paths.ensureConfigDir();
    StartupSettings s;
    const IniFile config(paths.mainConfigFile());
    s.PortNum = config.readString(kSerialSection, kPortNum, s.PortNum);
    s.PortBandRate = config.readInteger(kSerialSection, kPortBandRate, s.PortBandRate);
    s.MatrixNowUse = config.readString(kManageSection, kMatrixNowUse, s.MatrixNowUse);
    s.VideoOrAudio = config.readInteger(kSystemSection, kVideoOrAudio, s.VideoOrAudio);
    s.CircleTime = config.readInteger(kSystemSection, kCircleTime, s.CircleTime);
    s.TakeMode = config.readBool(kSystemSection, kTakeMode, s.TakeMode);
    s.MatrixInputEditEnable =
        config.readBool(kManageSection, kMatrixInputEditEnable, s.MatrixInputEditEnable);
    s.MatrixOutputEditEnable =
        config.readBool(kManageSection, kMatrixOutputEditEnable, s.MatrixOutputEditEnable);

    readModelSettings(paths, s.MatrixNowUse, s);
    readSerialPortMap(config, s);
    return s;
}

void readModelSettings(const AppPaths& paths, const std::string& model, StartupSettings& s) {
    const StartupSettings defaults;
    const IniFile models(paths.modelConfigFile());
    s.MatrixAddress = models.readInteger(model, kMatrixAddress, defaults.MatrixAddress);
    s.MatrixCustomAddress =
        models.readInteger(model, kMatrixCustomAddress, defaults.MatrixCustomAddress);
    s.MatrixOutputNum = models.readInteger(model, kMatrixOutputNum, defaults.MatrixOutputNum);
    s.MatrixInputNum = models.readInteger(model, kMatrixInputNum, defaults.MatrixInputNum);
    s.MatrixPattern = models.readBool(model, kMatrixPattern, defaults.MatrixPattern);
    s.MatrixCustomLogo = models.readString(model, kMatrixCustomLogo, defaults.MatrixCustomLogo);
    s.countsClamped = outsidePortRange(s.MatrixOutputNum) || outsidePortRange(s.MatrixInputNum);
}

ModelFields readModelFields(const AppPaths& paths, const std::string& model,
                            std::string_view logoDefault) {
    const IniFile models(paths.modelConfigFile());
    ModelFields f;
    f.MatrixAddress = models.readInteger(model, kMatrixAddress, f.MatrixAddress);
    f.MatrixInputNum = models.readInteger(model, kMatrixInputNum, f.MatrixInputNum);
    f.MatrixOutputNum = models.readInteger(model, kMatrixOutputNum, f.MatrixOutputNum);
    f.MatrixCustomLogo = models.readString(model, kMatrixCustomLogo, logoDefault);
    f.MatrixCustomAddress = models.readInteger(model, kMatrixCustomAddress, f.MatrixCustomAddress);
    f.MatrixPattern = models.readBool(model, kMatrixPattern, f.MatrixPattern);
    return f;
}

std::vector<std::string> modelNames(const AppPaths& paths) {
    return iniSections(paths.modelConfigFile());
}

DialogValues loadDialogValues(const AppPaths& paths) {
    paths.ensureConfigDir();
    DialogValues v;
    const IniFile config(paths.mainConfigFile());
    v.MatrixNowUse = config.readString(kManageSection, kMatrixNowUse, v.MatrixNowUse);
    v.ComPortNum = std::clamp(config.readInteger(kSerialSection, kComPortNum, v.ComPortNum),
                              kMinComPort, kMaxComPort);
    v.PortBandRate = config.readInteger(kSerialSection, kPortBandRate, v.PortBandRate);
    v.CircleTime = config.readInteger(kSystemSection, kCircleTime, v.CircleTime);
    v.models = modelNames(paths);
    v.fields = readModelFields(paths, v.MatrixNowUse, dialogDefaults::LogoOnOpening);
    return v;
}

std::vector<std::string> writeModel(const AppPaths& paths, const std::string& name,
                                    const ModelFields& fields) {
    paths.ensureConfigDir();
    IniFile models(paths.modelConfigFile());
    models.writeInteger(name, kMatrixAddress, fields.MatrixAddress);
    models.writeInteger(name, kMatrixInputNum, fields.MatrixInputNum);
    models.writeInteger(name, kMatrixOutputNum, fields.MatrixOutputNum);
    models.writeBool(name, kMatrixPattern, fields.MatrixPattern);
    models.writeInteger(name, kMatrixCustomAddress, fields.MatrixCustomAddress);
    models.writeString(name, kMatrixCustomLogo, fields.MatrixCustomLogo);
    models.commit();
    std::vector<std::string> names = models.sections();
    writeModelNumber(paths, names.size());
    return names;
}

std::vector<std::string> eraseModel(const AppPaths& paths, const std::string& name) {
    paths.ensureConfigDir();
    IniFile models(paths.modelConfigFile());
    models.eraseSection(name);
    models.commit();
    std::vector<std::string> names = models.sections();
    writeModelNumber(paths, names.size());
    return names;
}

void writeMatrixPattern(const AppPaths& paths, const std::string& name, bool pattern) {
    paths.ensureConfigDir();
    iniWriteBool(paths.modelConfigFile(), name, kMatrixPattern, pattern);
}

std::int32_t storeCircleTime(const AppPaths& paths, std::int32_t value) {
    const std::int32_t stored = std::clamp(value, kMinCircleTime, kMaxCircleTime);
    paths.ensureConfigDir();
    iniWriteInteger(paths.mainConfigFile(), kSystemSection, kCircleTime, stored);
    return stored;
}

PortNameLists readPortNameFile(const AppPaths& paths, std::int32_t inputs, std::int32_t outputs,
                               bool inputsInUse, bool outputsInUse) {
    PortNameLists names;
    if (!inputsInUse && !outputsInUse) return names;
    const IniFile file(paths.editListFile());
    if (inputsInUse) names.inputs = readInputNames(file, inputs);
    if (outputsInUse) names.outputs = readOutputNames(file, outputs);
    return names;
}

void savePortNameFile(const AppPaths& paths, const PortNameLists& names) {
    paths.ensureConfigDir();
    {
        IniFile config(paths.mainConfigFile());
        config.writeBool(kManageSection, kMatrixInputEditEnable, names.inputs.has_value());
        config.writeBool(kManageSection, kMatrixOutputEditEnable, names.outputs.has_value());
        config.commit();
    }
    if (names.inputs || names.outputs) {
        IniFile file(paths.editListFile());
        writePortNames(file, names);
        file.commit();
    }
}

void erasePortNameFile(const AppPaths& paths) {
    paths.ensureConfigDir();
    IniFile file(paths.editListFile());
    erasePortNames(file);
    file.commit();
}

void writeLayerSetting(const AppPaths& paths, std::int32_t layer) {
    iniWriteInteger(paths.mainConfigFile(), kSystemSection, kVideoOrAudio, layer);
}

void writeTakeModeSetting(const AppPaths& paths, bool on) {
    iniWriteBool(paths.mainConfigFile(), kSystemSection, kTakeMode, on);
}

std::string commName(std::int32_t comPort) {
    return "COM" + std::to_string(comPort);
}

void writePortSettings(const AppPaths& paths, std::int32_t comPort, std::int32_t rate) {
    paths.ensureConfigDir();
    IniFile config(paths.mainConfigFile());
    config.writeString(kSerialSection, kPortNum, commName(comPort));
    config.writeInteger(kSerialSection, kComPortNum, comPort);
    config.writeInteger(kSerialSection, kPortBandRate, rate);
    config.commit();
}

void writePortMapEntry(const AppPaths& paths, std::int32_t comPort, const std::string& device) {
    paths.ensureConfigDir();
    IniFile config(paths.mainConfigFile());
    config.writeString(kPortMapSection, commName(comPort), device);
    config.commit();
}

void writePortFallback(const AppPaths& paths) {
    writePortSettings(paths, fallbackSettings::ComPortNum, fallbackSettings::PortBandRate);
}

void writeModelInUse(const AppPaths& paths, std::int32_t rate, const std::string& model) {
    paths.ensureConfigDir();
    IniFile config(paths.mainConfigFile());
    config.writeInteger(kSerialSection, kPortBandRate, rate);
    config.writeString(kManageSection, kMatrixNowUse, model);
    config.writeBool(kManageSection, kMatrixInputEditEnable, false);
    config.writeBool(kManageSection, kMatrixOutputEditEnable, false);
    config.commit();
}

}  // namespace mc
