#pragma once

// A network service's settings as a description: its section of
// MatrixConfig.con, and for each key its kind, its caption on the
// configuration dialog's page, its default and its hint. The service owns
// the description; the program reads and writes the section from it, and
// the dialog builds the service's page from it. No Qt.
//
// Values are kept as text, as they are stored: a switch reads "1" or "0", a
// port its decimal number (both as the INI layer reads a bool and an
// integer, so "true" and " 12" read as they always did), anything else the
// text as written.
//
// Captions and hints are source texts (Chinese) of the description's
// translation context, marked MC_TEXT where they are written; the page
// passes them through translated().

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "config/AppPaths.h"

namespace mc {

enum class FieldKind {
    Switch,        // a check box: "1" or "0"
    Address,       // a numeric IP address to listen on (a line edit, trimmed)
    Port,          // a TCP port, 1..65535 on the page (a spin box)
    Text,          // a line of text (trimmed)
    PasswordHash,  // the hash of a password typed twice; the password is never stored
    Link,          // not stored: "caption" with %1 the address and %2 the port shown
    Kept,          // stored, not on the page: the text read is written back unchanged
};

struct SettingField {
    std::string key;  // the INI key; for a Link, a name only
    FieldKind kind = FieldKind::Text;
    const char* caption = "";       // the label (Switch: the box's text; Link: the template)
    std::string defaultValue;       // as stored
    const char* hint = nullptr;     // a note under the field (Address) or its placeholder
    bool modelPlaceholder = false;  // Text: empty stands for the model name, shown as placeholder
    int maxLength = 0;              // of a line edit; 0: Qt's own
};

// key → value as stored.
using SettingsValues = std::map<std::string, std::string>;

// The password fields of a page as typed, for the refusal check.
struct PasswordEntry {
    std::string password;
    std::string confirm;
};

struct ServiceSettingsPage {
    std::string id;            // the service's id, the stem of its controls' names ("Network")
    std::string section;       // "Network Control"
    const char* context = "";  // the translation context of the texts
    const char* title = "";    // the page's tab and group title
    std::vector<SettingField> fields;
    // Why the page's values may not be applied (Apply is refused with it);
    // nullopt when they may. Empty: always.
    std::function<std::optional<std::string>(const SettingsValues&, const PasswordEntry&)> refusal;
    // The text stored for a new password; empty when the page has no
    // PasswordHash field.
    std::function<std::string(const std::string& password)> hashPassword;

    const SettingField* field(FieldKind kind) const;
};

// One section as Apply writes it: the fields (for their kinds, in order)
// and the values.
struct ServiceSection {
    std::string section;
    std::vector<SettingField> fields;
    SettingsValues values;
};

// The section of `page` from MatrixConfig.con, each missing key its default.
// Reading creates nothing.
SettingsValues readServiceSettings(const AppPaths& paths, const ServiceSettingsPage& page);

// Creates the configuration folder and writes every stored field of
// `section` in order, a switch as a bool, a port as an integer; a value
// missing from `values` is written as its default. Throws IniWriteError.
void writeServiceSettings(const AppPaths& paths, const ServiceSection& section);

// A value of `values` read as a switch or an integer; `fallback` when missing
// or not a number.
bool settingFlag(const SettingsValues& values, const std::string& key);
std::int32_t settingNumber(const SettingsValues& values, const std::string& key,
                           std::int32_t fallback);
std::string settingText(const SettingsValues& values, const std::string& key);

}  // namespace mc
