#pragma once

// The configuration dialog's rules, without any window: the rate list, the
// address display, and the checks that decide whether a model may be added;
// adding and deleting models and the pattern click. What the dialog reads and
// stores in the files (DialogValues, ModelFields, the cycle interval) is in
// Settings.h.
//
// Writers throw IniWriteError (IniFile.h) when a file cannot be written. None
// of them changes the current directory: the dialog's handler restores it at
// its end. UI-thread use only.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/AppPaths.h"
#include "config/Settings.h"

namespace mc {

// The rate list of the dialog, in list order.
inline constexpr std::array<std::int32_t, 4> kBaudRates = {9600, 56000, 57600, 115200};
// The entry that shows `rate`; a rate not in the list shows the first entry.
int baudRateIndex(std::int32_t rate);
// The rate of entry `index`; no entry (-1) or one outside the list gives 9600.
std::int32_t baudRateAt(int index);

// Port counts a model may be added with: a frame carries a port index in one
// byte.
inline constexpr std::int32_t kMinModelPorts = 1;
inline constexpr std::int32_t kMaxModelPorts = 256;

// An address as the hexadecimal fields show it: upper-case, at least two
// digits (5 gives "05", 255 "FF", 256 "100"; a negative value shows its 32
// bits, -1 gives "FFFFFFFF").
std::string hexDisplay(std::int32_t value);

// Why `name` cannot be the name of a model (a section of the model table):
// empty, holding "]" or a line break, or blanks (space, tab) at either end.
// nullopt for a usable name.
std::optional<std::string> modelNameProblem(std::string_view name);

// The operator's click on the pattern box: writes "MatrixPattern" into the
// section `name`. Refused (message returned, nothing written) for a name that
// modelNameProblem rejects.
std::optional<std::string> storeMatrixPattern(const AppPaths& paths, const std::string& name,
                                              bool pattern);

// The fields of the dialog as typed, for adding a model.
struct NewModel {
    std::string name;               // the model box's text
    std::string addressText;        // the address field's text (hexadecimal)
    std::string customAddressText;  // the custom address field's text
    std::string inputsText;         // decimal, the configuration files' integer syntax
    std::string outputsText;
    bool pattern = false;
    std::string logo;
};

// The conversion message of a field that is not an integer:
// "EConvertError" + "\n" + "'<text>' is not a valid integer value".
std::string convertErrorMessage(std::string_view text);

// Outcome of adding a model: either refused, with the message to show and
// nothing written, or added, with the model table's new list.
struct AddResult {
    std::optional<std::string> refusal;
    std::vector<std::string> models;
};

// Checks every field first: the name (modelNameProblem), the addresses (one or
// more hexadecimal digits, at most FF), the inputs and outputs (integers, else
// convertErrorMessage; then 1..256). Only when all are usable, writes the
// section `name` of MatrixModelConfig.con ("MatrixAddress", "MatrixInputNum",
// "MatrixOutputNum", "MatrixPattern", "MatrixCustomAddress",
// "MatrixCustomLogo", in that order; an existing model of that name, in any
// letter case, is overwritten key by key), lists the sections and writes
// "MatrixModelNumber" = their number to MatrixConfig.con.
AddResult addModel(const AppPaths& paths, const NewModel& model);

// Outcome of deleting a model.
struct DeleteResult {
    std::vector<std::string> models;  // the model table's new list
    std::string shown;                // its first entry, or "" when it is empty
};

// Whether `models` (the model table's names) holds `name`, in any letter
// case, as the model table finds its sections.
bool hasModel(const std::vector<std::string>& models, std::string_view name);

// Whether the address, custom address or port counts shown for the model
// `shown.name` differ from what Apply would build it with: its section of
// MatrixModelConfig.con, each missing key (and a name without a section)
// read as the build reads it (32 × 32 at address 52). A field that is not a
// number differs. Reads only.
bool modelFieldsChanged(const AppPaths& paths, const NewModel& shown);

// Erases the section `name` of MatrixModelConfig.con (a name without a section
// erases nothing), lists the sections and writes "MatrixModelNumber". Leaves
// "MatrixNowUse" as it is.
DeleteResult deleteModel(const AppPaths& paths, const std::string& name);

}  // namespace mc
