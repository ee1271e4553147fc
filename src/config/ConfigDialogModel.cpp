#include "config/ConfigDialogModel.h"

#include <algorithm>
#include <cstdio>

#include "config/HexToInt.h"
#include "config/IniFile.h"
#include "config/IniParse.h"
#include "config/SettingsDefaults.h"
#include "config/SettingsKeys.h"
#include "text/Text.h"

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
        return {0, formatText(translated("ConfigDialogModel", "%1必须在 1 到 256 之间。"), {what})};
    return {*value, std::nullopt};
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

std::optional<std::string> modelNameProblem(std::string_view name) {
    if (name.empty()) return translated("ConfigDialogModel", "型号名称不能为空。");
    if (name.find_first_of("]\r\n") != std::string_view::npos)
        return translated("ConfigDialogModel", "型号名称不能包含“]”或换行。");
    if (isBlank(name.front()) || isBlank(name.back()))
        return translated("ConfigDialogModel", "型号名称的开头和结尾不能是空格。");
    return std::nullopt;
}

std::string convertErrorMessage(std::string_view text) {
    return "EConvertError\n'" + std::string(text) + "' is not a valid integer value";
}

AddResult addModel(const AppPaths& paths, const NewModel& model) {
    if (auto problem = modelNameProblem(model.name)) return {std::move(problem), {}};
    if (!usableAddress(model.addressText))
        return {translated("ConfigDialogModel", "地址必须是 00 到 FF 之间的十六进制数。"), {}};
    const CountCheck inputs =
        checkCount(model.inputsText, translated("ConfigDialogModel", "输入端口数"));
    if (inputs.refusal) return {inputs.refusal, {}};
    const CountCheck outputs =
        checkCount(model.outputsText, translated("ConfigDialogModel", "输出端口数"));
    if (outputs.refusal) return {outputs.refusal, {}};
    if (!usableAddress(model.customAddressText))
        return {translated("ConfigDialogModel", "自定义地址必须是 00 到 FF 之间的十六进制数。"),
                {}};

    ModelFields fields;
    fields.MatrixAddress = HexToInt(model.addressText);
    fields.MatrixInputNum = inputs.value;
    fields.MatrixOutputNum = outputs.value;
    fields.MatrixPattern = model.pattern;
    fields.MatrixCustomAddress = HexToInt(model.customAddressText);
    fields.MatrixCustomLogo = model.logo;
    AddResult result;
    result.models = writeModel(paths, model.name, fields);
    return result;
}

bool hasModel(const std::vector<std::string>& models, std::string_view name) {
    const std::string folded = foldAsciiCase(name);
    return std::any_of(models.begin(), models.end(),
                       [&](const std::string& model) { return foldAsciiCase(model) == folded; });
}

bool modelFieldsChanged(const AppPaths& paths, const NewModel& shown) {
    const IniFile models(paths.modelConfigFile());
    auto read = [&](std::string_view key, std::int32_t fallback) {
        return models.readInteger(shown.name, key, fallback);
    };
    auto sameAddress = [](std::string_view text, std::int32_t value) {
        return usableAddress(text) && HexToInt(text) == value;
    };
    auto sameCount = [](std::string_view text, std::int32_t value) {
        return parseIniInteger(text) == value;
    };
    return !sameAddress(shown.addressText, read(kMatrixAddress, startupDefaults::MatrixAddress)) ||
           !sameAddress(shown.customAddressText,
                        read(kMatrixCustomAddress, startupDefaults::MatrixCustomAddress)) ||
           !sameCount(shown.inputsText, read(kMatrixInputNum, startupDefaults::MatrixInputNum)) ||
           !sameCount(shown.outputsText, read(kMatrixOutputNum, startupDefaults::MatrixOutputNum));
}

DeleteResult deleteModel(const AppPaths& paths, const std::string& name) {
    DeleteResult result;
    result.models = eraseModel(paths, name);
    if (!result.models.empty()) result.shown = result.models.front();
    return result;
}

std::optional<std::string> storeMatrixPattern(const AppPaths& paths, const std::string& name,
                                              bool pattern) {
    if (auto problem = modelNameProblem(name)) return problem;
    writeMatrixPattern(paths, name, pattern);
    return std::nullopt;
}

}  // namespace mc
