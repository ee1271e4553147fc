#include "config/ConfigDialogModel.h"

#include <algorithm>
#include <cstdio>

#include "config/HexToInt.h"
#include "config/IniFile.h"
#include "config/SettingsKeys.h"

namespace mc {

namespace {

using namespace keys;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// An address field holds one or more hexadecimal digits and at most FF
// (leading zeros allowed).
bool usableAddress(std::string_view text) {
    if (text.empty() || !std::all_of(text.begin(), text.end(), isHexDigit)) return false;
    const std::size_t firstSignificant = std::min(text.find_first_not_of('0'), text.size());
    return text.size() - firstSignificant <= 2;
}

// The port count of a field, or the message that refuses it.
struct CountCheck {
    std::int32_t value = 0;
    std::optional<std::string> refusal;
};

CountCheck checkCount(std::string_view text, std::string_view what) {
    const std::optional<std::int32_t> value = parseIniInteger(text);
    if (!value) return {0, convertErrorMessage(text)};
    if (*value < kMinModelPorts || *value > kMaxModelPorts)
        return {0, std::string(what) + "必须在 1 到 256 之间。"};
    return {*value, std::nullopt};
}

void writeModelNumber(const AppPaths& paths, std::size_t count) {
    paths.ensureConfigDir();
    iniWriteInteger(paths.mainConfigFile(), kManageSection, kMatrixModelNumber,
                    static_cast<std::int32_t>(count));
}

}  // namespace

int baudRateIndex(std::int32_t rate) {
    const auto found = std::find(kBaudRates.begin(), kBaudRates.end(), rate);
    return found == kBaudRates.end() ? 0 : static_cast<int>(found - kBaudRates.begin());
}

std::int32_t baudRateAt(int index) {
    if (index < 0 || index >= static_cast<int>(kBaudRates.size())) return kBaudRates[0];
    return kBaudRates[static_cast<std::size_t>(index)];
}

std::string hexDisplay(std::int32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02X", static_cast<unsigned>(value));
    return buffer;
}

ModelFields readModelFields(const AppPaths& paths, const std::string& model,
                            std::string_view logoDefault) {
    const IniFile models(paths.modelConfigFile());
    ModelFields f;
    f.MatrixAddress = models.readInteger(model, kMatrixAddress, 0);
    f.MatrixInputNum = models.readInteger(model, kMatrixInputNum, 0);
    f.MatrixOutputNum = models.readInteger(model, kMatrixOutputNum, 0);
    f.MatrixCustomLogo = models.readString(model, kMatrixCustomLogo, logoDefault);
    f.MatrixCustomAddress = models.readInteger(model, kMatrixCustomAddress, 1);
    f.MatrixPattern = models.readBool(model, kMatrixPattern, false);
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
    v.ComPortNum =
        std::clamp(config.readInteger(kSerialSection, kComPortNum, 1), kMinComPort, kMaxComPort);
    v.rateIndex = baudRateIndex(config.readInteger(kSerialSection, kPortBandRate, 9600));
    v.CircleTime = config.readInteger(kSystemSection, kCircleTime, 1);
    v.models = modelNames(paths);
    v.fields = readModelFields(paths, v.MatrixNowUse, kLogoOnOpening);
    return v;
}

std::optional<std::string> modelNameProblem(std::string_view name) {
    if (name.empty()) return std::string("型号名称不能为空。");
    if (name.find_first_of("]\r\n") != std::string_view::npos)
        return std::string("型号名称不能包含“]”或换行。");
    if (isBlank(name.front()) || isBlank(name.back()))
        return std::string("型号名称的开头和结尾不能是空格。");
    return std::nullopt;
}

std::string convertErrorMessage(std::string_view text) {
    return "EConvertError\n'" + std::string(text) + "' is not a valid integer value";
}

AddResult addModel(const AppPaths& paths, const NewModel& model) {
    if (auto problem = modelNameProblem(model.name)) return {std::move(problem), {}};
    if (!usableAddress(model.addressText))
        return {std::string("地址必须是 00 到 FF 之间的十六进制数。"), {}};
    const CountCheck inputs = checkCount(model.inputsText, "输入端口数");
    if (inputs.refusal) return {inputs.refusal, {}};
    const CountCheck outputs = checkCount(model.outputsText, "输出端口数");
    if (outputs.refusal) return {outputs.refusal, {}};
    if (!usableAddress(model.customAddressText))
        return {std::string("自定义地址必须是 00 到 FF 之间的十六进制数。"), {}};

    paths.ensureConfigDir();
    IniFile models(paths.modelConfigFile());
    models.writeInteger(model.name, kMatrixAddress, HexToInt(model.addressText));
    models.writeInteger(model.name, kMatrixInputNum, inputs.value);
    models.writeInteger(model.name, kMatrixOutputNum, outputs.value);
    models.writeBool(model.name, kMatrixPattern, model.pattern);
    models.writeInteger(model.name, kMatrixCustomAddress, HexToInt(model.customAddressText));
    models.writeString(model.name, kMatrixCustomLogo, model.logo);
    models.commit();

    AddResult result;
    result.models = models.sections();
    writeModelNumber(paths, result.models.size());
    return result;
}

DeleteResult deleteModel(const AppPaths& paths, const std::string& name) {
    paths.ensureConfigDir();
    IniFile models(paths.modelConfigFile());
    models.eraseSection(name);
    models.commit();

    DeleteResult result;
    result.models = models.sections();
    if (!result.models.empty()) result.shown = result.models.front();
    writeModelNumber(paths, result.models.size());
    return result;
}

std::optional<std::string> storeMatrixPattern(const AppPaths& paths, const std::string& name,
                                              bool pattern) {
    if (auto problem = modelNameProblem(name)) return problem;
    paths.ensureConfigDir();
    iniWriteBool(paths.modelConfigFile(), name, kMatrixPattern, pattern);
    return std::nullopt;
}

std::int32_t storeCircleTime(const AppPaths& paths, std::int32_t value) {
    const std::int32_t stored = std::clamp(value, kMinCircleTime, kMaxCircleTime);
    paths.ensureConfigDir();
    iniWriteInteger(paths.mainConfigFile(), kSystemSection, kCircleTime, stored);
    return stored;
}

}  // namespace mc
