#pragma once

// MatrixLine.json: the line as the program last left it, so that a start can
// show clients what the device still carries.
//
//   {"model": "<model in use>", "address": 82, "inputs": 16, "outputs": 16,
//    "pattern": false,
//    "tables": {"video": [<entry>, ...], "audio": [...]}}   (pattern: "all" only)
//   <entry>: {"kind": "input", "input": 3, "changed": <ms since the epoch>}
//            {"kind": "closed" | "unknown", "changed": ...}
//            {"kind": "cycle", "inputs": [2, 3], "seconds": 1, "changed": ...}
//
// One entry per output, zero-based ports.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "control/Line.h"

namespace mc {

struct StoredLine {
    std::string model;
    std::int32_t address = 0;
    std::int32_t inputs = 0;
    std::int32_t outputs = 0;
    bool pattern = false;
    std::map<LineLayer, std::vector<LineEntry>> tables;
    bool operator==(const StoredLine&) const = default;
};

// The stored line of `line` for this model.
StoredLine storedLine(const Line& line, const std::string& model, std::int32_t address,
                      std::int32_t inputs);
// nullopt when the file does not exist. Throws std::runtime_error for a file
// that cannot be read or is not a stored line of its own counts (tables of
// the wrong size or layers, ports out of range).
std::optional<StoredLine> readStoredLine(const std::string& path);
// Written with the atomic writer; throws as it does.
void writeStoredLine(const std::string& path, const StoredLine& line);

}  // namespace mc
