#pragma once

// The port-name lists as MatrixEditList.con and status files hold them:
// section "MatrixInputStringList" with the keys "InputString" + n, section
// "MatrixOutputStringList" with "OutputString" + n (n zero-based, decimal,
// no padding); the value is the name, possibly empty. A missing key reads as
// an empty name. Writing never removes keys beyond the current counts.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mc {

class IniFile;

// The names of the lists in use; a list not in use is nullopt.
struct PortNameLists {
    std::optional<std::vector<std::string>> inputs;
    std::optional<std::vector<std::string>> outputs;
};

// The first `count` input / output names, as the file holds them.
std::vector<std::string> readInputNames(const IniFile& file, std::int32_t count);
std::vector<std::string> readOutputNames(const IniFile& file, std::int32_t count);

// Writes every name of each list present (empty ones included).
void writePortNames(IniFile& file, const PortNameLists& names);

// Removes both lists.
void erasePortNames(IniFile& file);

}  // namespace mc
