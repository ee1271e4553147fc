#include "store/PortNameList.h"

#include <cstdint>

#include "config/IniFile.h"
#include "control/CrosspointState.h"

namespace mc {

namespace {

const char* const kInputListSection = "MatrixInputStringList";
const char* const kOutputListSection = "MatrixOutputStringList";

std::vector<std::string> readList(const IniFile& file, const char* section, const char* prefix,
                                  std::int32_t count) {
    if (count <= 0) return {};
    std::vector<std::string> names(static_cast<std::size_t>(count));
    for (std::int32_t k = 0; k < count; ++k) {
        names[static_cast<std::size_t>(k)] =
            file.readString(section, prefix + std::to_string(k), "");
    }
    return names;
}

void writeList(IniFile& file, const char* section, const char* prefix,
               const std::vector<std::string>& names) {
    for (std::size_t k = 0; k < names.size(); ++k)
        file.writeString(section, prefix + std::to_string(k), names[k]);
}

}  // namespace

std::vector<std::string> readInputNames(const IniFile& file, const CrosspointState& state) {
    return readInputNames(file, state.MatrixInputNum());
}

std::vector<std::string> readOutputNames(const IniFile& file, const CrosspointState& state) {
    return readOutputNames(file, state.MatrixOutputNum());
}

std::vector<std::string> readInputNames(const IniFile& file, std::int32_t count) {
    return readList(file, kInputListSection, "InputString", count);
}

std::vector<std::string> readOutputNames(const IniFile& file, std::int32_t count) {
    return readList(file, kOutputListSection, "OutputString", count);
}

void writePortNames(IniFile& file, const CrosspointState& state) {
    if (state.MatrixInputEditEnable)
        writeList(file, kInputListSection, "InputString", state.InputNames());
    if (state.MatrixOutputEditEnable)
        writeList(file, kOutputListSection, "OutputString", state.OutputNames());
}

void erasePortNames(IniFile& file) {
    file.eraseSection(kInputListSection);
    file.eraseSection(kOutputListSection);
}

}  // namespace mc
