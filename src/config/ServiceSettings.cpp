#include "config/ServiceSettings.h"

#include "config/IniFile.h"

namespace mc {

namespace {

bool stored(const SettingField& field) {
    return field.kind != FieldKind::Link;
}

const std::string& valueOf(const ServiceSection& section, const SettingField& field) {
    const auto found = section.values.find(field.key);
    return found == section.values.end() ? field.defaultValue : found->second;
}

}  // namespace

const SettingField* ServiceSettingsPage::field(FieldKind kind) const {
    for (const SettingField& f : fields) {
        if (f.kind == kind) return &f;
    }
    return nullptr;
}

SettingsValues readServiceSettings(const AppPaths& paths, const ServiceSettingsPage& page) {
    const IniFile config(paths.mainConfigFile());
    SettingsValues values;
    for (const SettingField& field : page.fields) {
        if (!stored(field)) continue;
        const std::int32_t number = parseIniInteger(field.defaultValue).value_or(0);
        switch (field.kind) {
            case FieldKind::Switch:
                values.insert_or_assign(
                    field.key,
                    std::string(1,
                                config.readBool(page.section, field.key, number != 0) ? '1' : '0'));
                break;
            case FieldKind::Port:
                values[field.key] =
                    std::to_string(config.readInteger(page.section, field.key, number));
                break;
            default:
                values[field.key] = config.readString(page.section, field.key, field.defaultValue);
                break;
        }
    }
    return values;
}

void writeServiceSettings(const AppPaths& paths, const ServiceSection& section) {
    paths.ensureConfigDir();
    IniFile config(paths.mainConfigFile());
    for (const SettingField& field : section.fields) {
        if (!stored(field)) continue;
        const std::string& value = valueOf(section, field);
        switch (field.kind) {
            case FieldKind::Switch:
                config.writeBool(section.section, field.key,
                                 parseIniInteger(value).value_or(0) != 0);
                break;
            case FieldKind::Port:
                config.writeInteger(section.section, field.key, parseIniInteger(value).value_or(0));
                break;
            default:
                config.writeString(section.section, field.key, value);
                break;
        }
    }
    config.commit();
}

bool settingFlag(const SettingsValues& values, const std::string& key) {
    return settingNumber(values, key, 0) != 0;
}

std::int32_t settingNumber(const SettingsValues& values, const std::string& key,
                           std::int32_t fallback) {
    const auto found = values.find(key);
    if (found == values.end()) return fallback;
    return parseIniInteger(found->second).value_or(fallback);
}

std::string settingText(const SettingsValues& values, const std::string& key) {
    const auto found = values.find(key);
    return found == values.end() ? std::string() : found->second;
}

}  // namespace mc
