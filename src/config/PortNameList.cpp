#include "config/PortNameList.h"

#include "config/IniFile.h"
#include "config/SettingsKeys.h"

namespace mc {

namespace {

std::vector<std::string> readList(const IniFile& file, const char* section, const char* prefix,
                                  std::int32_t count) {
    std::vector<std::string> names(static_cast<std::size_t>(count > 0 ? count : 0));
    for (std::size_t k = 0; k < names.size(); ++k)
        names[k] = file.readString(section, prefix + std::to_string(k), "");
    return names;
}

void writeList(IniFile& file, const char* section, const char* prefix,
               const std::vector<std::string>& names) {
    for (std::size_t k = 0; k < names.size(); ++k)
        file.writeString(section, prefix + std::to_string(k), names[k]);
}

}  // namespace

std::vector<std::string> readInputNames(const IniFile& file, std::int32_t count) {
    return readList(file, keys::kInputNamesSection, keys::kInputNamePrefix, count);
}

std::vector<std::string> readOutputNames(const IniFile& file, std::int32_t count) {
    return readList(file, keys::kOutputNamesSection, keys::kOutputNamePrefix, count);
}

void writePortNames(IniFile& file, const PortNameLists& names) {
    if (names.inputs)
        writeList(file, keys::kInputNamesSection, keys::kInputNamePrefix, *names.inputs);
    if (names.outputs)
        writeList(file, keys::kOutputNamesSection, keys::kOutputNamePrefix, *names.outputs);
}

void erasePortNames(IniFile& file) {
    file.eraseSection(keys::kInputNamesSection);
    file.eraseSection(keys::kOutputNamesSection);
}

}  // namespace mc
