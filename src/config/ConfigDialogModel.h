#pragma once

// The configuration dialog's work on the configuration files, without any
// window: what the dialog shows when it opens and when the model name
// changes, adding, overwriting and deleting models of the model table, the
// two settings stored at once (cycle interval, pattern flag), and the file
// steps of Apply (ConfigApply.h).
//
// Every function opens the files by path, reads or writes what it needs and
// commits before returning; nothing is cached. Writers throw IniWriteError
// (IniFile.h) when a file cannot be written. None of them changes the current
// directory: the dialog's handler restores it at its end. UI-thread use only.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/AppPaths.h"

namespace mc {

// The rate list of the dialog, in list order.
inline constexpr std::array<std::int32_t, 4> kBaudRates = {9600, 56000, 57600, 115200};
// The entry that shows `rate`; a rate not in the list shows the first entry.
int baudRateIndex(std::int32_t rate);
// The rate of entry `index`; no entry (-1) or one outside the list gives 9600.
std::int32_t baudRateAt(int index);

// Ranges of the dialog's spin fields.
inline constexpr std::int32_t kMinComPort = 1;
inline constexpr std::int32_t kMaxComPort = 20;
inline constexpr std::int32_t kMinCircleTime = 1;
inline constexpr std::int32_t kMaxCircleTime = 100;

// Port counts a model may be added with: a frame carries a port index in one
// byte.
inline constexpr std::int32_t kMinModelPorts = 1;
inline constexpr std::int32_t kMaxModelPorts = 256;

// Logo default of a model without "MatrixCustomLogo": one text when the dialog
// opens, another when the model name changes.
inline constexpr std::string_view kLogoOnOpening = "VELMORAN MATRIX";
inline constexpr std::string_view kLogoOnNameChange = "Velmoran Matrix";

// An address as the hexadecimal fields show it: upper-case, at least two
// digits (5 gives "05", 255 "FF", 256 "100"; a negative value shows its 32
// bits, -1 gives "FFFFFFFF").
std::string hexDisplay(std::int32_t value);

// One model of the model table as the dialog shows it.
struct ModelFields {
    std::int32_t MatrixAddress = 0;
    std::int32_t MatrixInputNum = 0;
    std::int32_t MatrixOutputNum = 0;
    bool MatrixPattern = false;
    std::int32_t MatrixCustomAddress = 1;
    std::string MatrixCustomLogo;
};

// The section `model` of MatrixModelConfig.con, with the dialog's defaults
// (address 0, custom address 1, counts 0, pattern false, logo `logoDefault`).
// Reading creates nothing.
ModelFields readModelFields(const AppPaths& paths, const std::string& model,
                            std::string_view logoDefault);

// The model names of the model table, in file order.
std::vector<std::string> modelNames(const AppPaths& paths);

// Everything the dialog shows when it opens.
struct DialogValues {
    std::string MatrixNowUse = "DefaultMatrix";  // the model name shown
    std::int32_t ComPortNum = 1;                 // put into 1..20
    int rateIndex = 0;                           // entry of the rate list
    std::int32_t CircleTime = 1;                 // as stored; the field clamps it
    std::vector<std::string> models;             // the list of the model box
    ModelFields fields;                          // of MatrixNowUse, logo default on opening
};

// Creates the configuration folder, then reads MatrixConfig.con
// ("MatrixNowUse", "ComPortNum", "PortBandRate", "CircleTime") and
// MatrixModelConfig.con (the section list, the section MatrixNowUse).
DialogValues loadDialogValues(const AppPaths& paths);

// Why `name` cannot be the name of a model (a section of the model table):
// empty, holding "]" or a line break, or blanks (space, tab) at either end.
// nullopt for a usable name.
std::optional<std::string> modelNameProblem(std::string_view name);

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

// Erases the section `name` of MatrixModelConfig.con (a name without a section
// erases nothing), lists the sections and writes "MatrixModelNumber". Leaves
// "MatrixNowUse" as it is.
DeleteResult deleteModel(const AppPaths& paths, const std::string& name);

// The operator's click on the pattern box: writes "MatrixPattern" into the
// section `name`. Refused (message returned, nothing written) for a name that
// modelNameProblem rejects.
std::optional<std::string> storeMatrixPattern(const AppPaths& paths, const std::string& name,
                                              bool pattern);

// The cycle field changed: writes "CircleTime" = `value` put into 1..100 and
// returns what it wrote.
std::int32_t storeCircleTime(const AppPaths& paths, std::int32_t value);

}  // namespace mc
